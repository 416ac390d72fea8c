#!/usr/bin/env bash
# Times `tarnhost --check` over a folder of COUNT small scenario files (10,000 unless given)
# against `cat` of the same files, both reading them from the page cache after one untimed read,
# and prints the ratio of their elapsed times and of their processor times, from one run: each is
# timed three times, in turn, and its fastest time taken, which other processes on a shared
# machine add least to. Exits 1 unless tarnhost passes every file, 2 on bad usage.
#   bench/check_files.sh TARNHOST MODULE [COUNT]
set -uo pipefail

if (($# < 2 || $# > 3)); then
    echo "usage: $0 TARNHOST MODULE [COUNT]" >&2
    exit 2
fi
tarnhost=$1 module=$2 count=${3:-10000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Each file: the handshake, an arena whose one team owns every flag, the lock it announces, a
# command answered and the goodbye; about 450 bytes, as the scenarios of the project are.
mkdir "$work/scenarios"
for ((file = 0; file < count; file++)); do
    printf '%s\n' "# scenario $file: the team that owns every flag is locked" \
        "init" "> console: DLL plugin connected." \
        "player Ace$file team 3 ship 1" "player Bea team 2 ship 2" \
        "flag north team 3" "flag south team 3" "arena-enter" \
        "> arena: *arena Freq 3 LOCKED -- No freq-hopping." \
        "command Ace$file !about" \
        "> to Ace$file: When one team owns all the flags, I disallow freq-hopping." \
        "term" "> console: DLL plugin disconnected." >"$work/scenarios/$(printf '%05d' "$file").scn"
done

cat_files() { find "$work/scenarios" -name '*.scn' -exec cat {} +; }
check_files() { "$tarnhost" --module "$module" --check "$work/scenarios"; }
summary=$(check_files | tail -n 1) # also the untimed read
if [[ $summary != "$count passed, 0 failed" ]]; then
    echo "FAIL: tarnhost --check over $count files ends '$summary'"
    exit 1
fi

# Runs FUNCTION once, its output thrown away; prints its elapsed and processor seconds, as the
# shell itself measures them (no timing program needed).
TIMEFORMAT='%R %U %S'
timed() {
    local seconds
    seconds=$({ time "$1" >/dev/null 2>"$work/errors"; } 2>&1) ||
        { cat "$work/errors" >&2 && return 1; }
    awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<<"$seconds"
}
for _ in 1 2 3; do
    timed cat_files >>"$work/cat.times" && timed check_files >>"$work/check.times" || exit 1
done
# The fastest of the three of each, column by column, and their ratios.
awk -v count="$count" '
    FNR == 1 { file++ }
    { for (c = 1; c <= 2; c++) if (FNR == 1 || $c < low[file, c]) low[file, c] = $c }
    END {
        printf "tarnhost --check over %d files: %.3f s elapsed, %.3f s of processor\n", count,
            low[2, 1], low[2, 2]
        printf "cat of the same files:          %.3f s elapsed, %.3f s of processor\n", low[1, 1],
            low[1, 2]
        printf "ratio: %.1f elapsed, %.1f processor\n",
            low[2, 1] / (low[1, 1] > 0 ? low[1, 1] : 0.001),
            low[2, 2] / (low[1, 2] > 0 ? low[1, 2] : 0.001)
    }' "$work/cat.times" "$work/check.times"
