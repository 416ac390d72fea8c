#!/usr/bin/env bash
# The tarnhost program as people run it: an interactive session piped through standard input
# (compared line for line with interactive.expected), the exit status and message of a file that
# fails, directories of scenarios, and the exit status of bad usage.
#   program_test.sh TARNHOST MODULE TEST_DIRECTORY
set -uo pipefail

tarnhost=$1
module=$2
here=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

# Reports a failed expectation and counts it.
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# An interactive session through a pipe: no prompts, every line answered, errors named and
# survived. The greeting's first line names the module path, which differs per build.
"$tarnhost" --module "$module" <"$here/interactive.in" >"$scratch/session.out" 2>&1
status=$?
((status == 0)) || fail "interactive session exited $status"
if ! tail -n +2 "$scratch/session.out" | diff -u "$here/interactive.expected" - >"$scratch/diff"; then
    fail "interactive session printed something else:"
    cat "$scratch/diff"
fi

# A scenario file stops at its first bad line, names file and line, and exits 1.
printf 'init\nplayer Ace\ngrab Ace north\nterm\n' >"$scratch/broken.scn"
for mode in "" --check --transcript; do
    "$tarnhost" --module "$module" $mode "$scratch/broken.scn" >"$scratch/out" 2>"$scratch/err"
    status=$?
    ((status == 1)) || fail "a broken file exited $status with '$mode'"
    grep -qxF "$scratch/broken.scn:3: unknown flag 'north' on bot 1 (flags: none)" "$scratch/err" ||
        fail "a broken file with '$mode' did not name line 3: $(cat "$scratch/err")"
    grep -q "disconnected" "$scratch/out" && fail "line 4 ran after the broken line with '$mode'"
done

# A directory stands for the .scn files in it, in name order; one without any is an error.
mkdir -p "$scratch/files" "$scratch/empty"
printf 'init\n> console: DLL plugin connected.\n' >"$scratch/files/b.scn"
printf 'init 7.0\n> console: DLL plugin cannot connect.  This plugin is out of date.\n' \
    >"$scratch/files/a.scn"
"$tarnhost" --module "$module" --check "$scratch/files" >"$scratch/out" 2>&1
status=$?
((status == 0)) || fail "a directory of passing files exited $status"
[[ $(cat "$scratch/out") == "ok   $scratch/files/a.scn"$'\n'"ok   $scratch/files/b.scn" ]] ||
    fail "a directory was not played file by file in name order: $(cat "$scratch/out")"
"$tarnhost" --module "$module" --check "$scratch/empty" >/dev/null 2>&1
status=$?
((status == 2)) || fail "a directory without scenarios exited $status"

# Bad usage and a missing module exit 2 with a message.
"$tarnhost" --module "$module" --bogus >/dev/null 2>"$scratch/err"
status=$?
((status == 2)) && grep -q "unknown option --bogus" "$scratch/err" || fail "bad option exited $status"
"$tarnhost" --module "$module" --check >/dev/null 2>&1
status=$?
((status == 2)) || fail "--check without files exited $status"
"$tarnhost" --module "$scratch/none.so" </dev/null >/dev/null 2>"$scratch/err"
status=$?
((status == 2)) && grep -q "cannot load" "$scratch/err" || fail "a missing module exited $status"

((failures == 0)) && echo "tarnhost program: all cases pass"
((failures == 0))
