#!/usr/bin/env bash
# The self-test of docs_check.sh, as a table: each row plants one fault in a copy of the manual
# page, the README, or tarnhost's --help (through a wrapper), and the checker must fail naming
# it; the real files must pass.
#   docs_check_selftest.sh TARNHOST MANUAL README CHECKSUM_STEPS
set -uo pipefail

checker=$(dirname "$(realpath "$0")")/docs_check.sh
tarnhost=$(realpath "$1")
manual=$2
readme=$3
steps=$4
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A tarnhost whose --help also names --bogus.
printf '#!/bin/sh\n%q "$@" && [ "$1" != --help ] || echo "  --bogus   planted"\n' "$tarnhost" \
    >"$scratch/bogus-help" && chmod +x "$scratch/bogus-help"

# Runs one row: `row NAME EXPECTED PROGRAM MANUAL_EDIT README_EDIT`, each edit a sed script
# applied to a copy; EXPECTED is a text the output must hold, or "pass" for a passing run.
failures=0
rows=0
row() {
    local name=$1 expected=$2 program=$3
    rows=$((rows + 1))
    sed "$4" "$manual" >"$scratch/manual" && sed "$5" "$readme" >"$scratch/readme"
    "$checker" "$program" "$scratch/manual" "$scratch/readme" "$steps" >"$scratch/out" 2>&1
    local status=$?
    if [[ $expected == pass ]] && ((status == 0)); then
        return
    elif [[ $expected != pass ]] && ((status != 0)) && grep -qF -- "$expected" "$scratch/out"; then
        return
    fi
    echo "FAIL: $name: the checker exits $status, expected '$expected'; it printed:"
    sed 's/^/    | /' "$scratch/out"
    failures=$((failures + 1))
}

row "the real files pass" pass "$tarnhost" "" ""
row "an option of --help missing from the manual" "names --effects, which the manual's" \
    "$tarnhost" '/^\.B \\-\\-effects$/s/effects/effectz/' ""
row "an option of the manual missing from --help" "names --effectz, which tarnhost --help lacks" \
    "$tarnhost" '/^\.B \\-\\-effects$/s/effects/effectz/' ""
row "an option added to --help alone" "names --bogus, which the manual's" \
    "$scratch/bogus-help" "" ""
row "a verb without an entry" "the verb tick has no entry" "$tarnhost" '/^\.B tick$/d' ""
row "the second verb of an entry left out" "the verb exit has no entry" "$tarnhost" \
    's/^\.BR quit ", " exit$/.B quit/' ""
row "a page that groff warns about" "groff warns on the manual" "$tarnhost" '/^\.SH FILES/i .zz' ""
row "the README's checksum steps drifting" "the README's checksum steps differ" "$tarnhost" "" \
    '/^    certutil/s/SHA256/MD5/'
row "the README without its checksum steps" "the README's checksum steps differ" "$tarnhost" "" \
    '/^<!-- checking-the-download -->$/d'

echo "$((rows - failures)) passed, $failures failed"
((failures == 0))
