#!/usr/bin/env bash
# The coverage leg's one test: runs every other test of a build made with gcc's coverage, from
# counts set to nothing, then reports the lines and branches of src/ with gcovr, file by file in
# the output and as HTML in BUILD/coverage/index.html. Fails when a test fails (what it printed is
# shown again last, and the tests' whole output is in BUILD/coverage/tests.log), or unless every
# line and every branch of src/ was run.
#   tests/coverage.sh CTEST BUILD_DIRECTORY
#
# What is not counted, and why:
# - branches the compiler makes for exceptions (--exclude-throw-branches): the core is built
#   without exceptions, so none of them can be taken;
# - branches on lines with no code of their own, such as a closing brace, where gcc puts clean-up
#   it generates (--exclude-unreachable-branches);
# - the failing branch of an assert: the invariant holds in every run, or the test aborts. The
#   assert's line itself counts, so its condition is run;
# - what the source marks with GCOVR_EXCL_LINE, GCOVR_EXCL_BR_LINE or a GCOVR_EXCL_START and
#   GCOVR_EXCL_STOP pair, each with a comment giving the reason.
set -uo pipefail

if (($# != 2)); then
    echo "usage: $0 CTEST BUILD_DIRECTORY" >&2
    exit 2
fi
ctest=$1
build=$2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
if ! command -v gcovr >/dev/null 2>&1; then
    echo "coverage: gcovr is not installed (scripts/install-deps installs it)"
    exit 1
fi

find "$build" -name '*.gcda' -delete
mkdir -p "$build/coverage"
tests_log=$build/coverage/tests.log
"$ctest" --test-dir "$build" --label-exclude '^coverage$' --parallel 2 --timeout 300 \
    --output-on-failure --no-tests=error | tee "$tests_log"
tests_status=${PIPESTATUS[0]}

report=(
    # Counts are looked for in the build folder alone: the rest of the tree may hold links that
    # lead out of it (the wine prefix's drive letters).
    gcovr "$build" --root "$root" --filter "$root/src/" --object-directory "$build"
    --exclude-throw-branches --exclude-unreachable-branches
    --exclude-branches-by-pattern '\s*assert\(.*'
    # The soak runs in the reliability leg only; its objects, never run here, hold nothing of
    # what the tests run, and gcovr 5.2 stops on them (it cannot merge a function they place on
    # another line).
    --exclude-directories '.*/reliability_soak\.dir'
)
echo
echo "=== coverage of src/: lines"
"${report[@]}" --txt || exit 1
echo "=== coverage of src/: branches"
"${report[@]}" --txt --branches --html-details "$build/coverage/index.html" \
    --fail-under-line 100 --fail-under-branch 100
coverage_status=$?
echo "HTML report: $build/coverage/index.html"
if ((tests_status != 0)); then
    # The report is long: what each failing test printed is shown again here, at the end of the
    # log, where a reader of its last lines finds it.
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
