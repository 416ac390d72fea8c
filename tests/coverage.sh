#!/usr/bin/env bash
# The coverage leg's two tests:
#   tests/coverage.sh src CTEST BUILD_DIRECTORY
#     over a build made with gcc's coverage: runs every other test of the build, from counts set
#     to nothing, merges the counts they left into BUILD/coverage/counts.json, then reports the
#     lines and branches of src/ file by file in the output and as HTML in
#     BUILD/coverage/index.html. Fails when a test fails (what it printed is shown again last,
#     and the tests' whole output is in BUILD/coverage/tests.log), or unless every line and every
#     branch of src/ was run.
#   tests/coverage.sh tools CMAKE CTEST BUILD_DIRECTORY REQUIRED
#     builds the project again with clang's source-based coverage of tools/, runs its tests and
#     reports the lines and branches of tools/ (tests/source_coverage.py), and the lines of every
#     file under tools/; with REQUIRED ON, fails unless every line and 95% of the branches were
#     run. clang counts the branches the source writes; gcc adds branches of its own to destroy
#     what was built when a call throws, which no test of the source's rules can take.
#
# Where gcc's counts are kept: a test that runs tarnhost programs many times over writes its
# counts under a folder of its own (GCOV_PREFIX, set by the build for that test), and
# tests/tarnhost/cli_test.sh keeps those of its rows run as nobody in another; gcov-tool merges
# each folder into the build's own counts before anything is reported. No two tests ever write
# the same count file, so a test that dies while writing damages no other test's counts. clang's
# are one file per process (LLVM_PROFILE_FILE with %p), merged by llvm-profdata.
#
# What is not counted, and why:
# - branches gcc makes for exceptions (--exclude-throw-branches): the core is built without
#   exceptions, so none of them can be taken;
# - branches on lines with no code of their own, such as a closing brace, where gcc puts clean-up
#   it generates (--exclude-unreachable-branches); with clang, such lines themselves, which it
#   counts with the block they close;
# - the failing branch of an assert: the invariant holds in every run, or the test aborts. The
#   assert's line itself counts, so its condition is run;
# - the Windows layer of tools/ (a file whose name holds "Windows"): CMake builds it for Windows
#   alone, where no counts can be taken under wine; the win32-tests leg runs its tests;
# - what the source marks with GCOVR_EXCL_LINE, GCOVR_EXCL_BR_LINE or a GCOVR_EXCL_START and
#   GCOVR_EXCL_STOP pair (in tools/, also the branches between GCOVR_EXCL_BR_START and
#   GCOVR_EXCL_BR_STOP), each with a comment giving the reason.
set -uo pipefail

usage() {
    echo "usage: $0 src CTEST BUILD_DIRECTORY | tools CMAKE CTEST BUILD_DIRECTORY ON|OFF" >&2
    exit 2
}
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if ! command -v gcovr >/dev/null 2>&1; then
    echo "coverage: gcovr is not installed (scripts/install-deps installs it)"
    exit 1
fi

# Prints the report of FOLDER (src or tools) from the merged counts, then the same with branches,
# passing on any further gcovr options; returns gcovr's status.
report() {
    local folder=$1
    shift
    local from=(gcovr --add-tracefile "$build/coverage/counts.json" --root "$root"
        --filter "$root/$folder/")
    echo
    echo "=== coverage of $folder/: lines"
    "${from[@]}" --txt || return 1
    echo "=== coverage of $folder/: branches"
    "${from[@]}" --txt --branches "$@"
}

# Runs every test but the coverage leg's own, merges their counts and writes counts.json.
count_every_test() {
    find "$build" -name '*.gcda' -delete
    rm -rf "$build/coverage" && mkdir -p "$build/coverage/counts"
    tests_log=$build/coverage/tests.log
    "$ctest" --test-dir "$build" --label-exclude '^coverage$' --parallel 2 --timeout 300 \
        --output-on-failure --no-tests=error | tee "$tests_log"
    tests_status=${PIPESTATUS[0]}
    # gcov-tool reads every count file under the folders it merges, so the tests' own folders
    # are moved out of the build before each is merged into it.
    local apart counts
    apart=$(mktemp -d) && mv "$build/coverage/counts" "$apart/" || return 1
    for counts in "$apart"/counts/*/; do
        [[ -d $counts ]] || continue
        # (gcov-tool fails on a folder without counts: then the first folder is copied whole.)
        if [[ -z $(find "$build" -name '*.gcda' -print -quit) ]]; then
            cp -R "$counts." "$build" || return 1
        elif ! gcov-tool merge -o "$apart/merged" "$counts" "$build" >/dev/null ||
            ! cp -R "$apart/merged/." "$build"; then
            echo "FAIL: the counts in ${counts#"$apart"/} cannot be merged"
            rm -rf "$apart"
            return 1
        fi
        rm -rf "$apart/merged"
    done
    rm -rf "$apart"
    # Counts are looked for in the build folder alone: the rest of the tree may hold links that
    # lead out of it (the wine prefix's drive letters).
    gcovr "$build" --root "$root" --filter "$root/src/" --object-directory "$build" \
        --exclude-throw-branches --exclude-unreachable-branches \
        --exclude-branches-by-pattern '\s*assert\(.*' \
        --exclude-directories '.*/reliability_soak\.dir' \
        --exclude-directories "$build/coverage" --exclude-directories "$build/tools-source" \
        --json "$build/coverage/counts.json"
    # (The soak runs in the reliability leg only; its objects, never run here, hold nothing of
    # what the tests run, and gcovr 5.2 stops on them: it cannot merge a function they place on
    # another line.)
}

# Builds tools/ again with clang's source-based coverage in BUILD/tools-source, runs every test
# of that build (each program writing counts of its own) and exports the counts of tools/ there,
# as lcov (tools.lcov, for lines) and as JSON (tools.json, for branches with their columns).
count_tools() {
    source_build=$build/tools-source
    local profiles=$source_build/profiles log=$build/tools-source.log
    echo "=== tools/ built with clang's coverage in $source_build (log: $log)"
    if ! "$cmake" -S "$root" -B "$source_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DTARNWICK_TESTS=ON \
        -DTARNWICK_SOURCE_COVERAGE=ON >"$log" 2>&1 ||
        ! "$cmake" --build "$source_build" --parallel 2 >>"$log" 2>&1; then
        tail -n 30 "$log"
        echo "FAIL: tools/ cannot be built with clang's coverage"
        return 1
    fi
    # A count file for each process (a process that finds its number's file from an earlier one
    # merges into it); the rows run as nobody write theirs elsewhere and copy them here
    # (tests/tarnhost/cli_test.sh). The layering check preprocesses with gcc's options, which
    # clang refuses; every other leg runs it.
    rm -rf "$profiles" && mkdir -p "$profiles"
    if ! LLVM_PROFILE_FILE="$profiles/%p-%m.profraw" "$ctest" --test-dir "$source_build" \
        --exclude-regex '^source\.layering$' --parallel 2 --timeout 300 --output-on-failure \
        >>"$log" 2>&1; then
        grep -E '(Failed|Timeout|\*\*\*)' "$log" | tail -n 20
        echo "FAIL: a test failed in the build of tools/ with clang's coverage"
        return 1
    fi
    local export=(llvm-cov export "$source_build/tarnhost" --object "$source_build/tarnhost_tests"
        --instr-profile="$source_build/tools.profdata" --skip-functions "$root/tools")
    llvm-profdata merge --sparse "$profiles" -o "$source_build/tools.profdata" &&
        "${export[@]}" --format=lcov >"$source_build/tools.lcov" &&
        "${export[@]}" --format=text >"$source_build/tools.json" ||
        { echo "FAIL: the counts of tools/ cannot be merged" && return 1; }
}

case ${1:-} in
src)
    (($# == 3)) || usage
    ctest=$2
    build=$3
    count_every_test || exit 1
    report src --html-details "$build/coverage/index.html" \
        --fail-under-line 100 --fail-under-branch 100
    coverage_status=$?
    echo "HTML report: $build/coverage/index.html"
    if ((tests_status != 0)); then
        # The report is long: what each failing test printed is shown again here, at the end
        # of the log, where a reader of its last lines finds it.
        echo "=== the tests that failed, with what they printed"
        awk '/^ *[0-9]+\/[0-9]+ Test +#/ { shown = $0 !~ /Passed/ } shown && !/^ *Start +[0-9]+:/' \
            "$tests_log"
        echo "FAIL: a test failed"
        exit 1
    fi
    if ((coverage_status != 0)); then
        echo "FAIL: a line or a branch of src/ is run by no test"
        exit 1
    fi
    echo "every line and every branch of src/ is run"
    ;;
tools)
    (($# == 5)) || usage
    cmake=$2
    ctest=$3
    build=$4
    required=$5
    count_tools || exit 1
    python3 "$root/tests/source_coverage.py" "$source_build/tools.lcov" "$source_build/tools.json" \
        "$root" 100 95
    coverage_status=$? # 1: under a share; 2: the counts could not be read
    ((coverage_status != 2)) || exit 1
    echo "=== lines of the files under tools/"
    (cd "$root" && find tools -type f -print0 | sort -z | xargs -0 wc -l)
    if ((coverage_status == 0)); then
        echo "every line and at least 95% of the branches of tools/ are run"
    elif [[ $required == ON ]]; then
        echo "FAIL: tools/ has a line, or more than 5% of its branches, that no test runs"
        exit 1
    else
        echo "NOT REQUIRED: tools/ is short of every line and 95% of its branches run;"
        echo "configure with -DTARNWICK_TOOLS_COVERAGE_REQUIRED=ON to make this a failure"
    fi
    ;;
*) usage ;;
esac
