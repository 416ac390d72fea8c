#!/usr/bin/env bash
# The tarnhost program as people run it, as one table: each row gives the arguments and the
# standard input, and the exit status and the first line printed (standard output first, then
# the error stream) that must come out. After the table, an interactive session through a pipe
# (-i) is compared line for line with interactive.expected.
#   cli_test.sh TARNHOST MODULE TEST_DIRECTORY VERSION
set -uo pipefail

tarnhost=$1
module=$2
here=$3
version=$4
umask 022 # what the rows make, every user may read, whatever umask the caller set
scratch=$(mktemp -d)
# A coverage build's counts of the rows run as nobody (below) are kept beside the test's own, for
# tests/coverage.sh to merge, before the scratch folder goes: gcc's under GCOV_PREFIX, clang's
# in the folder of LLVM_PROFILE_FILE.
keep_counts() {
    [[ -z ${GCOV_PREFIX:-} || ! -d $scratch/runner/counts ]] ||
        { mkdir -p "$GCOV_PREFIX-as-nobody" &&
            cp -R "$scratch/runner/counts/." "$GCOV_PREFIX-as-nobody"; }
    local profile
    for profile in "$scratch"/runner/profiles/*.profraw; do
        [[ -z ${LLVM_PROFILE_FILE:-} || ! -f $profile ]] ||
            cp "$profile" "$(dirname "$LLVM_PROFILE_FILE")/as-nobody-${profile##*/}"
    done
}
trap 'keep_counts; chmod -R u+rwx "$scratch" && rm -rf "$scratch"' EXIT
cd "$scratch" || exit 1
failures=0
rows=0

# Runs one row: `row STATUS FIRST_LINE INPUT ARGUMENT...`. The program is $program (tarnhost
# by default) run in the directory $in (the scratch directory by default). A FIRST_LINE that
# starts with "last: " is compared with the last line instead.
row() {
    local status=$1 expected=$2 input=$3
    shift 3
    rows=$((rows + 1))
    (cd "${in:-.}" && printf '%s' "$input" | "${program:-$tarnhost}" "$@") >out 2>err
    local got=$? line
    if [[ $expected == "last: "* ]]; then
        line=$(cat out err | tail -n 1)
        expected=${expected#last: }
    else
        line=$(cat out err | head -n 1)
    fi
    if [[ $got != "$status" || $line != "$expected" ]]; then
        echo "FAIL: tarnhost $* (input ${input:0:40}): exit $got, first line '$line'"
        echo "      expected exit $status, '$expected'"
        failures=$((failures + 1))
    fi
}

connected=$'init\n> console: DLL plugin connected.\n'
locked="> arena: *arena Freq 3 LOCKED -- No freq-hopping."
printf '> console: nonsense\ninit\n> console: DLL plugin connected.\n' >first.scn
printf 'init\n# a comment\n> console: DLL plugin connected.\n' >after-comment.scn
printf 'player A\0B\nplayer A\0C\n' >nul.scn
printf '%s' "$connected" >pass.scn
printf 'init\n> console: DLL plugin welcomes you.\n' >fail.scn
printf '# A story told, nothing expected.\ninit\nterm\n' >story.scn
printf 'init 7.0\n' >refused.scn
printf 'bot 0\ninit\nbot 1\n%s' "$connected" >zero.scn
printf '%s%s\n%s\n> server: every player reads "Freq 3 LOCKED -- No freq-hopping."\n' \
    "$connected" $'player Ace team 3 ship 1\nflag north team 3\narena-enter' "$locked" >effects.scn
: >empty.scn
mkdir -p walked/sub.scn mod bin
printf '%s' "$connected" >walked/sub.scn/inner.scn
: >walked/a && ln -s sub.scn walked/link.scn # neither is played: a short name, a link
cp "$module" "$here/../../scenarios/demo.scn" mod/
ln -s "$tarnhost" bin/tarnhost
ln -s "$tarnhost" linked-tarnhost
full=$(seq 0 65535 | sed 's/^/player P/')$'\nplayer Overflow\n'
ticks=$(seq 3000 | sed 's/.*/tick/')
printf '#!/bin/sh\nexec %q "$@" >/dev/full\n' "$tarnhost" >to-full
mkdir dangling unreadable unreadable/sub listed listed/closed listed/closed/inner fifos deep
cp pass.scn dangling/ && ln -s nowhere dangling/.#demo.scn && ln -s nowhere dangling/zz-gone.scn
cp pass.scn unreadable/a.scn && chmod 000 unreadable/sub
cp pass.scn listed/ && cp fail.scn listed/closed/inner/ && chmod 444 listed/closed
cp pass.scn fifos/ && mkfifo fifos/waiting.scn && ln -s waiting.scn fifos/linked.scn
part=$(printf 'd%.0s' {1..200}) && cp pass.scn deep/ # 25 parts make a path too long for open()
(cd deep && for _ in {1..25}; do mkdir "$part" && cd "$part" || exit; done &&
    cp "$scratch/fail.scn" .)
cp mod/demo.scn mod/-demo.scn
# Root reads every folder: the rows about folders that cannot be read run as nobody, through
# copies of the program and the module in the scratch folder, which every user can enter wherever
# the build lies. A build that counts coverage writes its counts under GCOV_PREFIX, here a folder
# the user nobody may write to, since the build folder may be out of that user's reach; they keep
# the layout GCOV_PREFIX_STRIP gives them.
mkdir runner runner/counts runner/profiles && cp "$tarnhost" "$module" runner/ &&
    chmod 755 runner/* && chmod 777 runner/counts runner/profiles # the build's may shut others out
printf '#!/bin/sh\nexport GCOV_PREFIX=%q LLVM_PROFILE_FILE=%q\n%s %q "$@"\n' \
    "$scratch/runner/counts" "$scratch/runner/profiles/%p-%m.profraw" \
    "$( ((EUID == 0)) && echo 'exec setpriv --reuid=65534 --regid=65534 --clear-groups --')" \
    "$scratch/runner/$(basename "$tarnhost")" >as-user
printf '#!/bin/sh\nexec %q "$@" 2>/dev/null\n' "$tarnhost" >no-errors
printf '#!/bin/sh\nexec %q "$@" <&-\n' "$tarnhost" >input-closed
printf '#!/bin/sh\n%q "$@" >&-\nexec %q --check recorded.scn\n' "$tarnhost" "$tarnhost" \
    >output-closed
printf '#!/bin/bash\ntrap "" PIPE\n%q "$@" | head -c 1 >/dev/null\nexit "${PIPESTATUS[0]}"\n' \
    "$tarnhost" >reader-gone
chmod +x to-full as-user no-errors input-closed output-closed reader-gone && chmod 755 .

# A '>' line follows no line: refused, naming file and line, in every mode.
row 1 "first.scn:1: an expected line ('>') must follow the line that prints it" "" first.scn
row 1 "FAIL first.scn" "" --check first.scn
row 1 "after-comment.scn:3: an expected line ('>') must follow the line that prints it" "" \
    --transcript after-comment.scn
# Every ident held: the next player is refused, not searched for forever.
row 1 "-:65537: every ident from 0 to 65535 is held on bot 1: no room for 'Overflow'" "$full" -
# A 16-bit count pushed past its range is refused, not wrapped.
row 1 "-:3: 'Ace' carries 65535 flags, as many as a count holds" \
    $'player Ace flags 65535\nflag north\ngrab Ace north\n' -
# Control bytes are refused in names, and control and invalid bytes shown escaped.
row 1 "nul.scn:1: 'A\\x00B' holds a control byte" "" nul.scn
row 1 "-:1: unknown verb 'd\\xFFnce' (try 'help')" $'d\xffnce\n' -
# A directory is walked, never played; a file with nothing to check fails --check.
row 0 "ok   walked/sub.scn/inner.scn" "" --check walked
row 0 "last: 1 passed, 0 failed" "" --check walked/
row 1 "FAIL empty.scn: nothing to check (no expected lines)" "" --check empty.scn
row 1 "FAIL /dev/null: nothing to check (no expected lines)" "" --check /dev/null
# No file meets a bot an earlier one left: a bot refused for good in one connects in the next,
# and a file after one that used handle 0 (which keeps its number) plays the same.
row 1 "last: 1 passed, 1 failed" "" --check refused.scn pass.scn
row 0 "last: 3 passed, 0 failed" "" --check zero.scn pass.scn zero.scn
# A story without expectations is told and passes.
row 0 "Tarnwick, played by tarnhost from story.scn" "" --transcript story.scn
row 0 "last:       plug-in -> host console: DLL plugin disconnected." "" --transcript story.scn
# The module: a --module path is relative to the current directory; by default it is beside
# the real program, however the program was reached.
in=mod row 0 "ok   demo.scn" "" --module tarnwick.so --check demo.scn
# Without one beside it, the module is looked for where an installed tree keeps it; the message
# when neither is there names the one beside the program.
# (Where that is, relative to the program, the help says.)
from_program=$("$tarnhost" --help | sed -n "s/^ *\(.*\) from tarnhost's folder, as installed)$/\1/p")
mkdir -p "installed/bin/$from_program" && cp "$tarnhost" installed/bin/
program=installed/bin/$(basename "$tarnhost") row 2 "tarnhost: cannot load \
$(pwd -P)/installed/bin/$(basename "$module"): cannot open shared object file: No such file or \
directory" "" --check pass.scn
cp "$module" "installed/bin/$from_program/"
program=installed/bin/$(basename "$tarnhost") row 0 "ok   pass.scn" "" --check pass.scn
PATH=$scratch/bin:$PATH program=tarnhost row 0 "ok   pass.scn" "" --check pass.scn
program=./linked-tarnhost row 0 "ok   pass.scn" "" --check pass.scn

# Conventions: help and version, usage errors named with exit status 2.
# The help answers alone, whatever else is asked, and fits a terminal of 80 columns.
row 0 "usage: tarnhost [OPTIONS] [FILE...]" "" --check missing.scn --help
if "$tarnhost" --help | awk 'length($0) > 79 { found = 1 } END { exit !found }'; then
    echo "FAIL: a line of tarnhost --help is wider than 79 columns"
    failures=$((failures + 1))
fi
row 0 "tarnhost $version" "" --version
row 2 "tarnhost: --module needs a path" "" --check pass.scn --module
row 2 "tarnhost: --check and --transcript cannot be combined" "" --check --transcript pass.scn
row 2 "tarnhost: --effects and --no-effects cannot be combined" "" --effects --no-effects -
row 2 "last: tarnhost: no such file: missing.scn" "" --check missing.scn
row 2 "last: tarnhost: no scenario files in bin" "" bin
row 2 "last: tarnhost: pass.scn/x.scn: not a directory" "" pass.scn/x.scn
row 2 "tarnhost: unknown option --bogus" "" --bogus
row 2 "tarnhost: --no-init applies to interactive mode only" "" --no-init pass.scn
row 2 "tarnhost: -i plays no files" "" -i pass.scn
row 2 "tarnhost: --check needs a FILE, or - for standard input" "" --check -i
if ((EUID != 0)); then
    printf 'init\n' >locked.scn && chmod 000 locked.scn
    row 2 "tarnhost: locked.scn: permission denied" "" locked.scn
fi
row 2 "tarnhost: cannot load $(pwd -P)/nowhere.so: cannot open shared object file: No such \
file or directory" "" --module nowhere.so --check pass.scn
in=mod row 0 "ok   -demo.scn" "" --module=tarnwick.so --check -- -demo.scn
row 2 "tarnhost: --module needs a path" "" --module= --check pass.scn
row 2 "tarnhost: --record needs a file" "" -i --record ''
# Options as GNU reads them: a long option cut short where one fits, short ones bundled.
row 0 "ok   pass.scn" "" --chec pass.scn
row 2 "tarnhost: ambiguous option --no" "" --no pass.scn
row 2 "tarnhost: unknown option --" "" --=x
row 2 "tarnhost: unknown option -x" "" -ix
row 0 "tarnhost $version" "" -i --version
# Output that cannot be written, and input that cannot be read, fail with status 2; a walk passes
# over names beginning with a dot, and plays what it can.
program=./to-full row 2 "tarnhost: write error on standard output: No space left on device" "" \
    --check pass.scn
row 2 "last: tarnhost: write error on /dev/full: No space left on device" $'player Ace\n' \
    -i --record /dev/full
row 2 "ok   dangling/pass.scn" "" --check dangling
program=./as-user row 2 "last: tarnhost: unreadable/sub: permission denied" "" --check unreadable
# Nothing named is passed over in silence: what cannot be entered, what is too deep to open and a
# folder without scenarios fail alone, by name, and the rest is played; a FIFO found in a walk is
# passed over, as special files are, rather than waited on.
program=./as-user row 2 "last: tarnhost: listed/closed/inner: permission denied" "" --check listed
program=./no-errors row 2 "last: 1 passed, 1 failed" "" --check deep
program=./no-errors row 2 "last: 1 passed, 1 failed" "" --check bin pass.scn
program=timeout row 0 "last: 1 passed, 0 failed" "" 30 "$tarnhost" --check fifos
# Input that cannot be read is an error, never an empty scenario; no file opened takes the place
# of a closed standard stream.
row 2 "tarnhost: read error on /proc/self/mem: Input/output error" "" /proc/self/mem
program=./input-closed row 2 "tarnhost: read error on standard input: Bad file descriptor" ""
program=./output-closed row 0 "ok   recorded.scn" $'player Ace\n' -i --record recorded.scn
program=./reader-gone row 2 "tarnhost: write error on standard output: Broken pipe" "$ticks" \
    --transcript -
# A file is never both read and written: recording into the scenario being typed is refused, as
# is playing the file output goes to, and a walk passes over it.
mkdir own-output && cp pass.scn own-output/ && cp pass.scn self.scn
# (A build that records into its own input would fill the disk, so each row has 30 s at most.)
program=timeout row 2 "tarnhost: self.scn: input file is output file" "" \
    30 sh -c '"$0" -i --record self.scn <self.scn' "$tarnhost"
program=timeout row 2 "tarnhost: self.scn: input file is output file" "" \
    30 sh -c '"$0" self.scn >>self.scn' "$tarnhost"
program=timeout row 0 "last: 1 passed, 0 failed" "" \
    30 sh -c '"$0" --check own-output >own-output/report.scn; cat own-output/report.scn' "$tarnhost"
# Short of memory a file fails alone, where memory can be limited (not under AddressSanitizer).
if ! grep -q __asan_init "$tarnhost"; then
    printf '#!/bin/sh\nulimit -v 200000 && exec %q "$@"\n' "$tarnhost" >limited && chmod +x limited
    program=./limited row 2 "last: tarnhost: /dev/zero: out of memory" "" --check /dev/zero pass.scn
    # Any shape of line costs about a byte per byte: 40 MB of two-byte words, or of expected lines.
    { printf 'event 1'; head -c 40000000 /dev/zero | tr '\0' ' ' | sed 's/  / a/g'; } >words.scn
    { echo tick; yes '>' | head -c 40000000; } >expected.scn
    program=./limited row 1 "words.scn:1: unexpected 'a'; usage: event CODE [PARAMETER...]" "" \
        words.scn
    program=./limited row 1 "expected.scn:1: after 'tick'" "" --check expected.scn
fi
# --check over several files closes with the count.
row 1 "last: 1 passed, 1 failed" "" --check pass.scn fail.scn
# Standard input that is not a terminal plays as a file: no handshake for it, '>' lines
# checked, differences on the error stream.
row 0 "ok   -" "$connected" --check -
row 0 "" $'arrive Ace\ncommand Ace about\n'
row 1 "console: DLL plugin connected." $'init\n> console: DLL plugin welcomes you.\n'
row 0 "ok   effects.scn" "" --effects --check effects.scn
# The language: help, named events, commands as a player types them.
row 0 "Arena setup, the plug-in is not told:" $'help\n' -
row 0 "  grab NAME FLAG                    a player picks a flag off the field" $'help grab\n'
row 0 "Event codes and names for 'event', and the parameters read as records:" $'help events\n'
row 0 "ok   -" "${connected}player Ace team 3 ship 1
flag north team 3
flag south team 3
event flag-grab null %north
$locked
command Ace !about
> to Ace: When one team owns all the flags, I disallow freq-hopping.
" --check -

# What a new user trips on: each row failed before its fix.
long=$(printf 'a%.0s' {1..3000})
printf '#!/bin/sh\nexec "%s" "$@" >/dev/null\n' "$tarnhost" >errors-only && chmod +x errors-only
flags=$(seq 0 65535 | sed 's/^/flag f/')
players=$(seq 0 65535 | sed 's/^/player P/')$'\n'$(seq 0 65535 | sed 's/^/remove P/')
# A backslash is shown as \\, so a name holding the text \xFF is not the byte 0xFF.
row 1 "last: 0 passed, 1 failed" "${connected}arrive \\xFF
command \\xFF !about
> to \\xFF: When one team owns all the flags, I disallow freq-hopping.
" --check -
# Overlong forms, code points beyond U+10FFFF and surrogates are not UTF-8.
row 1 "-:1: unknown verb 'x\\xE0\\x80\\x80\\xF4\\x90\\x80\\x80\\xED\\xA0\\x80\\xF0\\x8F\\xBF\\xBF' (try \
'help')" $'x\xe0\x80\x80\xf4\x90\x80\x80\xed\xa0\x80\xf0\x8f\xbf\xbf\n' -
# Numbers are read in hexadecimal after 0x or 0X.
row 0 "" $'bot 0X2\nbot 0x3\n' -
row 0 "" $'quit # done\nbogus\n' -
row 0 "" $'exit\nbogus\n' -
row 0 "last: 2 passed, 0 failed" "${connected}quit"$'\n'"$connected" --check - -
row 1 "-:1: UTF-16 text: save it as UTF-8" $'\xff\xfei\n' -
row 1 "-:1: UTF-16 text: save it as UTF-8" $'\xfe\xffi\n' -
row 1 "-:1: UTF-16 text: save it as UTF-8" $'\xff\xfe\n# c\n> x\n' -
row 2 "tarnhost: no such file: ''" "" ''
# The byte-order mark is skipped at the start under -i, and shown anywhere else; "\r\n" ends a line.
program=./errors-only row 1 "line 2: unknown verb '\\xEF\\xBB\\xBFterm' (try 'help'); nothing changed" \
    $'\xef\xbb\xbfinit\n\xef\xbb\xbfterm\n' -i
row 0 "last:       plug-in -> host console: DLL plugin disconnected." $'init\r\nterm\r\n' -i
program=./errors-only row 1 "line 1: unknown verb 'bogus' (try 'help'); nothing changed" \
    $'bogus\n' -i
row 0 "last: tarnhost: no line printed anything, so rec.scn has nothing for --check to compare;\
 --check fails it" $'player Ace\n' -i --no-init --record rec.scn
row 1 "-:1: unknown verb '${long:0:60}'... (3000 bytes) (try 'help')" "$long"$'\n' -
row 0 "  set-flag FLAG {team N}            change a flag's owner (team N or none)" \
    $'help set-flag\n'
row 1 "-:1: unknown verb 'setflag' (did you mean 'set-flag'?)" $'setflag north team 3\n' -
row 0 "last:   41 flag-reset" $'help events\n'
# An unknown name lists the first ten the bot knows, and how many it knows in all.
row 1 "-:12: unknown player 'Zed' on bot 1 (players: P1, P2, P3, P4, P5, P6, P7, P8, P9, P10, ... \
(11 in all))" "$(printf 'player P%s\n' {1..11})"$'\ngrab Zed north\n' -
# A flag taken out of the game while carried is one fewer its carrier holds.
row 0 "" $'player Ace flags 65534\nflag north\nflag south\ngrab Ace north\nremove-flag north
grab Ace south\n' -
# A recording removed before the session ends is an error naming it, even with no line after; so
# is one replaced.
program=sh row 2 "last: tarnhost: write error on gone.scn: it was removed or replaced while \
recording" "" -c '{ echo "arrive Ann"; sleep 1; rm gone.scn; } | "$0" -i --record gone.scn' \
    "$tarnhost"
program=sh row 2 "last: tarnhost: write error on moved.scn: it was removed or replaced while \
recording" "" -c '{ echo "arrive Ann"; sleep 1; cp pass.scn new.scn; mv new.scn moved.scn; echo "arrive Bob"; } |
    "$0" -i --record moved.scn' "$tarnhost"
# A recording that cannot be opened ends the session before it starts; one that is no file is
# written all the same; without effects, the recording starts with the first line.
row 2 "tarnhost: write error on nowhere/rec.scn: No such file or directory" "" -i --record \
    nowhere/rec.scn
row 0 "last:   Ace is in the arena on team 0, ship 0 (set up quietly)" $'player Ace\n' -i \
    --record /dev/null
program=sh row 0 "init" $'player Ace\n' -c '"$0" -i --no-effects --record plain.scn >/dev/null &&
    sed -n 2p plain.scn' "$tarnhost"
# Setting up and taking down a large arena takes linear time: quadratic took minutes here.
program=timeout row 0 "" "$flags" 60 "$tarnhost" -
program=timeout row 0 "" "$players" 60 "$tarnhost" -

# An interactive session through a pipe: no prompts, every line answered, errors named on the
# error stream and survived, so it exits 1. The greeting's first line names the module path,
# which differs per build.
"$tarnhost" --module "$module" -i <"$here/interactive.in" >session.out 2>&1
status=$?
if ((status != 1)) || ! tail -n +2 session.out | diff -u "$here/interactive.expected" -; then
    echo "FAIL: the interactive session exited $status or printed something else"
    failures=$((failures + 1))
fi

echo "$((rows + 1 - failures)) passed, $failures failed"
((failures == 0))
