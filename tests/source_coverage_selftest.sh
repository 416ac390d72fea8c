#!/usr/bin/env bash
# Self-test of tests/source_coverage.py, the judge of tools/' coverage: counts of a small source
# that pass, then faults planted one at a time, each of which must fail it.
#   tests/source_coverage_selftest.sh
set -uo pipefail

judge=$(dirname "$0")/source_coverage.py
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat >"$work/a.cpp" <<'EOF'
int f(int x) {
    if (x > 0) {
        return 1;
    }
    if (x < -9) { // GCOVR_EXCL_BR_LINE never below -9
        return 2; // GCOVR_EXCL_LINE
    }
    return 0;
}
EOF
failures=0

# Judges counts where line 3 ran RAN times and the ways of line 2's condition were taken TRUE
# and FALSE times in one instantiation and SECOND_TRUE and SECOND_FALSE in another; the status.
judge() {
    local ran=$1 true=$2 false=$3 second_true=$4 second_false=$5
    printf 'SF:%s\nDA:1,5\nDA:2,5\nDA:3,%s\nDA:4,0\nDA:5,5\nDA:6,0\nDA:8,5\nend_of_record\n' \
        "$work/a.cpp" "$ran" >"$work/counts.lcov"
    printf '{"data":[{"files":[{"filename":"%s","branches":[%s,%s,%s]}]}]}\n' "$work/a.cpp" \
        "[2,9,2,14,$true,$false,0,0,4]" "[2,9,2,14,$second_true,$second_false,0,0,4]" \
        "[5,9,5,15,0,5,0,0,4]" >"$work/counts.json"
    python3 "$judge" "$work/counts.lcov" "$work/counts.json" "$work" 100 95 >"$work/report"
}
# Expects the status of judging counts ARGUMENTS... (as judge takes them) to be STATUS.
expect() {
    local status=$1 why=$2
    shift 2
    judge "$@"
    local got=$?
    if ((got != status)); then
        echo "FAIL: $why: exit $got, expected $status"
        sed 's/^/    /' "$work/report"
        failures=$((failures + 1))
    fi
}

expect 0 "every way taken, the marked line and brace lines left out" 5 5 5 0 0
expect 0 "each way taken in another instantiation of the same source" 5 5 0 0 5
expect 1 "a way no instantiation takes" 5 5 0 5 0
expect 1 "a line no test runs" 0 5 5 0 0
sed -i 's| // GCOVR_EXCL_BR_LINE never below -9||' "$work/a.cpp"
expect 1 "the mark on the line removed" 5 5 5 0 0
if [[ $(python3 "$judge" /nowhere "$work/counts.json" "$work" 100 95; echo $?) != *2 ]]; then
    echo "FAIL: counts that cannot be read are not an error"
    failures=$((failures + 1))
fi
echo "$((6 - failures)) passed, $failures failed"
((failures == 0))
