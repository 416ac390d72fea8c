#!/usr/bin/env python3
"""Reports the lines and branches of clang's counts, as llvm-cov exports them (lines from its lcov
export, branches from its JSON export), file by file, leaving out what the source marks as not
counted, and fails under the given shares:
    source_coverage.py LCOV_FILE JSON_FILE ROOT LINE_PERCENT BRANCH_PERCENT
A branch is a condition the source writes, each of its two ways counted apart; a template's
instantiations are one source, so a way is taken when any instantiation takes it.
A mark and what it leaves out, each with a comment in the source giving its reason:
    GCOVR_EXCL_LINE            the line and its branches
    GCOVR_EXCL_BR_LINE         the line's branches
    GCOVR_EXCL_START ... STOP  every line between, and their branches
    GCOVR_EXCL_BR_START ... GCOVR_EXCL_BR_STOP  the branches of every line between
A line of closing braces alone is left out too: it holds no code of its own, and clang counts it
with the block it closes, which may be one left out.
Prints the lines and branches that no test runs. Exits 0 at or above both shares, 1 under
either, 2 when the counts cannot be read."""
import json
import os
import sys


def excluded_lines(path):
    """The numbers of the lines of `path` left out whole, and of those whose branches are."""
    whole, branches, inside, inside_branches = set(), set(), False, False
    with open(path, encoding="utf-8", errors="replace") as source:
        for number, line in enumerate(source, 1):
            inside = inside or "GCOVR_EXCL_START" in line
            inside_branches = inside_branches or "GCOVR_EXCL_BR_START" in line
            code = line.split("//")[0].strip()
            if inside or "GCOVR_EXCL_LINE" in line or (code and not code.strip("}")):
                whole.add(number)
            if inside_branches or "GCOVR_EXCL_BR_LINE" in line:
                branches.add(number)
            inside = inside and "GCOVR_EXCL_STOP" not in line
            inside_branches = inside_branches and "GCOVR_EXCL_BR_STOP" not in line
    return whole, branches | whole


def read_counts(lcov, exported):
    """{file: ({line: count}, {(line, column, way): count})} from the lcov records and the JSON
    export; every way of a condition is summed over the instantiations that hold it."""
    files = {}
    for record in lcov:
        kind, _, value = record.strip().partition(":")
        if kind == "SF":
            lines = files.setdefault(value, ({}, {}))[0]
        elif kind == "DA":
            number, count = value.split(",")[:2]
            lines[int(number)] = int(count)
    for file in json.load(exported)["data"][0]["files"]:
        branches = files.setdefault(file["filename"], ({}, {}))[1]
        for line, column, _, _, taken, not_taken, *_ in file["branches"]:
            for way, count in ((True, taken), (False, not_taken)):
                branches[(line, column, way)] = branches.get((line, column, way), 0) + count
    return files


def main(arguments):
    if len(arguments) != 5:
        print(__doc__, file=sys.stderr)
        return 2
    lcov_path, json_path, root, line_share, branch_share = arguments
    try:
        with open(lcov_path, encoding="utf-8") as lcov:
            with open(json_path, encoding="utf-8") as exported:
                files = read_counts(lcov, exported)
    except (OSError, ValueError, KeyError, IndexError) as error:
        print(f"FAIL: the counts cannot be read: {error}")
        return 2
    totals = [0, 0, 0, 0]  # lines, lines run, branches, branches run
    print(f"{'file':<40} {'lines':>13} {'branches':>13}")
    for path in sorted(files):
        lines, branches = files[path]
        whole, no_branches = excluded_lines(path)
        lines = {n: c for n, c in lines.items() if n not in whole}
        branches = {k: c for k, c in branches.items() if k[0] not in no_branches}
        counts = [len(lines), sum(1 for c in lines.values() if c > 0),
                  len(branches), sum(1 for c in branches.values() if c > 0)]
        totals = [t + c for t, c in zip(totals, counts)]
        missed_lines = sorted(n for n, c in lines.items() if c == 0)
        missed_branches = [f"{line}:{column}" for line, column in
                           sorted({k[:2] for k, c in branches.items() if c == 0})]
        print(f"{os.path.relpath(path, root):<40} {counts[1]:>6}/{counts[0]:<6} "
              f"{counts[3]:>6}/{counts[2]:<6}")
        if missed_lines:
            print(f"    lines no test runs: {', '.join(map(str, missed_lines))}")
        if missed_branches:
            print(f"    conditions (line:column) a test never takes one way: {', '.join(map(str, missed_branches))}")
    line_percent = 100.0 * totals[1] / max(totals[0], 1)
    branch_percent = 100.0 * totals[3] / max(totals[2], 1)
    print(f"lines: {totals[1]}/{totals[0]} ({line_percent:.1f}%), "
          f"branches: {totals[3]}/{totals[2]} ({branch_percent:.1f}%)")
    return 0 if line_percent >= float(line_share) and branch_percent >= float(branch_share) else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
