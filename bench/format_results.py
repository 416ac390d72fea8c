#!/usr/bin/env python3
"""format_results.py DIRECTORY: writes bench/RESULTS.md on standard output from what
scripts/bench left in DIRECTORY: suite.json and suite32.json (each build's event suite, from
Google Benchmark's JSON reporter), callgrind/ and callgrind32/ (their callgrind dumps, named
"NAME/PLAYERS/EVENTS"), replay.txt and check_files.txt (bench/check_files.sh). Exits 1, after writing it all, when a run failed or an
event allocated beyond its allowance."""
import json
import pathlib
import re
import sys

TARGET, FLOOR = 1.3, 256
SURVEY = {"FlagDropUnlocked": "BareWalkSplit", "FlagDropKeepsLock": "BareWalkOwned"}
BUILDS = ("", " (32-bit)")
METHOD = (
    "Each event goes through `talk` of the plug-in core linked statically into the benchmark, "
    "driven by hostsim: bot N plays in an arena of N players, half on team 1 and half on team 2, "
    "all in ships, with a quarter as many flags; every eighth player of a team carries a flag. "
    "The host callback only counts what it receives. Google Benchmark runs five repetitions of "
    "each case and walk, in random order among all of them; a time is that of the fastest "
    "repetition of a case over that of the fastest bare walk of the same arena, in the same run. "
    "Times are processor time per event, which other processes on a shared machine do not add "
    "to, except for cases with an untimed step before each event: there, the wall time of the "
    "events alone. The 32-bit build (`-m32`, preset `bench32`) runs right after the 64-bit one.")
problems = []


def load_suite(path):
    """The context of a suite run, and its runs by (name, players), each its fastest repetition."""
    suite = json.loads(path.read_text())
    runs = {}
    for run in suite["benchmarks"]:
        name, players = run["run_name"].split("/")[:2]
        key = (name, int(players))
        if run.get("error_occurred"):
            problems.append(f"{path.name}: {name}/{players}: {run['error_message']}")
        elif run["run_type"] == "iteration":
            # A run with an untimed step reports the wall time of its events alone as real time.
            manual = run["run_name"].endswith("manual_time")
            run["time"] = run["real_time" if manual else "cpu_time"]
            runs[key] = min(run, runs.get(key, run), key=lambda kept: kept["time"])
    return suite["context"], runs


def load_counts(directory):
    """Instructions per event by (name, players), in the order callgrind dumped them."""
    counts = {}
    for dump in sorted(directory.glob("callgrind.out.*"), key=lambda path: int(path.suffix[1:])):
        fields = dict(line.split(": ", 1) for line in dump.read_text().splitlines() if ": " in line)
        name, players, events = fields["desc"].rpartition("Client Request: ")[2].split("/")
        counts[(name, int(players))] = int(fields["summary"]) / int(events)
    return counts


def ratio(values, name, base, players):
    """values[(name, players)] over values[(base, players)]; None when either is missing."""
    value, floor = values.get((name, players)), values.get((base, players))
    return None if value is None or not floor else value / floor


def shown(value, decimals=2):
    """`value` with `decimals` decimals; "-" when missing."""
    return "-" if value is None else f"{value:.{decimals}f}"


def walk_ratio(runs, name, players):
    """A case's time over the time of the bare walk it is labelled with."""
    times = {key: run["time"] for key, run in runs.items()}
    return ratio(times, name, runs.get((name, players), {}).get("label"), players)


def allocations(suites, name, players):
    """Allocations per event of each build, whole when whole, and what the case allows."""
    counted = [suite[(name, players)]["allocs"] for suite in suites if (name, players) in suite]
    allowed = max(suite.get((name, players), {}).get("allowed", 0) for suite in suites)
    problems.extend(f"{name}/{players}: {count:g} allocations, {allowed:g} allowed"
                    for count in counted if count > allowed)
    shown = (f"{count:.{0 if count == round(count) else 2}f}" for count in counted)
    return " / ".join(shown) + f" ({allowed:.0f})"


def table(rows, sizes, cell):
    """Markdown lines of a table with a row per (title, key), a column per arena size, and
    cell(key, players) in each cell."""
    lines = ["| Case (players) | " + " | ".join(map(str, sizes)) + " |",
             "|---" + "|--:" * len(sizes) + "|"]
    return lines + [f"| {title} | " + " | ".join(cell(key, size) for size in sizes) + " |"
                    for title, key in rows]


def machine(context):
    """When and where: date, processors, model, memory, compiler, load average at the start."""
    text = pathlib.Path("/proc/cpuinfo").read_text() + pathlib.Path("/proc/meminfo").read_text()
    model, kibibytes = (re.search(pattern, text, re.M)[1] for pattern in
                        (r"^model name\s*: (.*)", r"^MemTotal:\s*(\d+)"))
    loads = " ".join(f"{load:.2f}" for load in context["load_avg"])
    return (f"Written by `scripts/bench` on {context['date'][:16].replace('T', ' ')} UTC, on "
            f"{context['num_cpus']} processors ({model}) with {int(kibibytes) / 1048576:.1f} GiB, "
            f"built by {context['compiler']}; load average at the start {loads}.")


def main(directory):
    context, runs = load_suite(directory / "suite.json")
    suites = [runs, load_suite(directory / "suite32.json")[1]]
    counts = [load_counts(directory / "callgrind"), load_counts(directory / "callgrind32")]
    sizes = sorted({players for _, players in runs})
    order = {name: run["family_index"] for (name, _), run in runs.items() if run.get("label")}
    cases = [(name, name) for name in sorted(order, key=order.get)]
    survey = [(name + build, (suite, name)) for build, suite in zip(BUILDS, suites)
              for name in SURVEY]
    missed = [title for title, (suite, name) in survey if any(
        (walk_ratio(suite, name, size) or 0) > TARGET for size in sizes if size >= FLOOR)]
    instructions = [(name, name) for name in dict.fromkeys(name for name, _ in counts[0])]
    ratios = [(f"{name} ÷ {walk}{build}", (count, name, walk))
              for build, count in zip(BUILDS, counts) for name, walk in SURVEY.items()]
    out = ["# Benchmark results", "", machine(context), "", METHOD, "",
           "## Survey path against the bare walk", "",
           "Time per flag drop divided by the time of a bare walk over the same two host lists "
           f"reading the same fields. Target: {TARGET} or below from {FLOOR} players up; "
           + (f"missed by {', '.join(missed)}." if missed else "met by every row."), "",
           *table(survey, sizes, lambda key, size: shown(walk_ratio(*key, size))), "",
           "## Every case against the bare walk", "",
           "Time per event as a multiple of the bare walk of the same arena (the split-flag walk "
           "for unlocked cases, the owned-flag walk for locked ones).", "",
           *table(cases, sizes, lambda name, size: shown(walk_ratio(runs, name, size))), "",
           "## Heap allocations per event", "",
           "Counted inside `talk` only, in the 64-bit / 32-bit build; in brackets the most the "
           "event may make.", "",
           *table(cases, sizes, lambda name, size: allocations(suites, name, size)), "",
           "## Instructions per event (callgrind)", "",
           "Counted inside `talk` (or the bare walk) only, over a few events of each case after "
           "one uncounted; exact and repeatable, unlike times.", "",
           *table(instructions, sizes, lambda name, size: shown(counts[0].get((name, size)), 0)),
           *table(ratios, sizes, lambda key, size: shown(ratio(*key, size)))[2:], "",
           "## Replay of a busy flag game", "", "```",
           (directory / "replay.txt").read_text().rstrip(), "```", "",
           "## tarnhost --check against cat", "",
           "`tarnhost --check` over a folder of small scenario files against `cat` of the same "
           "files (found by `find`), both from the page cache, each the fastest of three runs "
           "taken in turn (`bench/check_files.sh`). Target: 3 or below.", "", "```",
           (directory / "check_files.txt").read_text().rstrip(), "```"]
    print("\n".join(out))
    for problem in problems:
        print(f"format_results: {problem}", file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1])))
