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
tarnhost=$1
module=$2
count=${3:-10000}
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

# Runs COMMAND... once, its output thrown away; prints its elapsed and processor seconds.
timed() {
    /usr/bin/time -f '%e %U %S' -o "$work/time" "$@" >/dev/null 2>"$work/errors" ||
        { cat "$work/errors" >&2 && return 1; }
    awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' "$work/time"
}

cat_files() { find "$work/scenarios" -name '*.scn' -exec cat {} +; }
check_files() { "$tarnhost" --module "$module" --check "$work/scenarios"; }
summary=$(check_files | tail -n 1) # also the untimed read
if [[ $summary != "$count passed, 0 failed" ]]; then
    echo "FAIL: tarnhost --check over $count files ends '$summary'"
    exit 1
fi
export -f cat_files check_files
export work tarnhost module
for _ in 1 2 3; do
    timed bash -c cat_files >>"$work/cat.times" || exit 1
    timed bash -c check_files >>"$work/check.times" || exit 1
done
fastest() { sort -n -k "$2" "$1" | head -n 1 | cut -d ' ' -f "$2"; }
cat_elapsed=$(fastest "$work/cat.times" 1) && cat_processor=$(fastest "$work/cat.times" 2)
check_elapsed=$(fastest "$work/check.times" 1) && check_processor=$(fastest "$work/check.times" 2)
awk -v count="$count" -v ce="$cat_elapsed" -v cp="$cat_processor" -v te="$check_elapsed" \
    -v tp="$check_processor" 'BEGIN {
        printf "tarnhost --check over %d files: %.3f s elapsed, %.3f s of processor\n", count, te, tp
        printf "cat of the same files:          %.3f s elapsed, %.3f s of processor\n", ce, cp
        printf "ratio: %.1f elapsed, %.1f processor\n", te / (ce > 0 ? ce : 0.001),
            tp / (cp > 0 ? cp : 0.001)
    }'
