#!/usr/bin/env bash
# Builds the Windows package with scripts/package, unpacks it into a scratch folder and uses
# it as an operator would under wine: the guide names the version the binaries carry and holds
# the checksum steps written beside the zip, tarnhost's manual is there as text, every
# bundled scenario and one named in UTF-8 are checked, by folder and by the guide's wildcard
# command, which passes over folders and matches in linear time, wildcards fold case beyond ASCII
# and expand in folder names, the demo plays as a transcript, play-demo.cmd runs, a scenario
# plays from a pipe (tarnhost.exe -), and an interactive session answers through a pipe.
#
#   tests/tarnhost/package_test.sh [--build-dir DIR]    (arguments go to scripts/package)
#
# Exits 77 ("cannot run here") when wine or unzip is missing.
set -uo pipefail

cd "$(dirname "${BASH_SOURCE[0]}")/../.."
root=$PWD
for tool in wine unzip; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "package test: $tool is missing"
        exit 77
    fi
done
# Runs a Windows program in the project's own wine prefix.
wine_run=$root/cmake/wine-run

zip_path=$(scripts/package "$@" | tail -n 1) || {
    echo "FAIL: scripts/package failed"
    exit 1
}
scratch=$(mktemp -d "$root/build/package-test.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
unzip -q "$zip_path" -d "$scratch" || exit 1
folder=$scratch/$(basename "$zip_path" .zip)
failures=0

# Reports a failed expectation and counts it.
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# The package holds the module, the runner, the guide, the manual, the demo launcher and every
# scenario.
for entry in tarnwick.dll tarnhost.exe OPERATORS-GUIDE.txt TARNHOST.txt CHANGELOG.txt \
    play-demo.cmd; do
    [[ -f $folder/$entry ]] || fail "$entry is not in the package"
done
for scenario in scenarios/*.scn; do
    [[ -f $folder/$scenario ]] || fail "$scenario is not in the package"
done

cd "$folder" || exit 1
echo "---- the checksum steps beside the zip are the guide's; the manual is text with CRLF ends"
beside=$(dirname "$zip_path")/CHECKING-THE-DOWNLOAD.txt
steps=$(tail -n +4 "$beside" 2>/dev/null)
[[ -n $steps && $(<OPERATORS-GUIDE.txt) == *"$steps"* ]] &&
    grep -qF "certutil -hashfile $(basename "$zip_path") SHA256" "$beside" ||
    fail "the text beside the zip is missing, or the guide does not hold its steps"
# Every line of TARNHOST.txt ends in CR LF, and it holds the reference's sections.
[[ $(grep -c $'\r$' TARNHOST.txt) -eq $(wc -l <TARNHOST.txt) ]] &&
    grep -qF 'THE SCENARIO LANGUAGE' TARNHOST.txt && grep -qF 'EXIT STATUS' TARNHOST.txt ||
    fail "TARNHOST.txt is not the manual as text with Windows line ends"

echo "---- the guide names the version the build writes"
# True when GUIDE names the zip and Tarnwick's version as VERSION, and no other version.
guide_names_version() {
    local named
    named=$(grep -o 'tarnwick-[^ ]*-win32\.zip\|Tarnwick [0-9][0-9.]*[0-9]\|@VERSION@' "$1" |
        sort -u | tr '\n' ' ')
    [[ $named == "Tarnwick $2 tarnwick-$2-win32.zip " ]] || {
        echo "$1 names: $named"
        return 1
    }
}
version=$("$wine_run" tarnhost.exe --version | tr -d '\r')
version=${version#tarnhost }
[[ $(basename "$zip_path") == "tarnwick-$version-win32.zip" ]] &&
    guide_names_version OPERATORS-GUIDE.txt "$version" && grep -qF "Tarnwick $version" TARNHOST.txt ||
    fail "the guide, the manual or the zip's name differs from tarnhost.exe's version '$version'"
# The check itself fails on a guide that names an older version in one place.
sed '0,/tarnwick-[^ ]*-win32/s//tarnwick-0.9.0-win32/' OPERATORS-GUIDE.txt >"$scratch/old-guide.txt"
guide_names_version "$scratch/old-guide.txt" "$version" >/dev/null &&
    fail "the guide's version check passes a guide naming tarnwick-0.9.0-win32.zip"

# An operator's own additions: a scenario whose name is not ASCII, one whose extension is in
# capitals, a folder whose name looks like a scenario's, and a long name for the pathological
# wildcard below.
printf 'init\r\n> console: DLL plugin connected.\r\n' >scenarios/café.scn
cp scenarios/café.scn scenarios/CAPITALS.SCN
mkdir scenarios/old.scn
touch "scenarios/$(printf 'a%.0s' {1..40})"
count=$(find scenarios -maxdepth 1 -type f -iname '*.scn' | wc -l)

echo "---- wine tarnhost.exe --check scenarios"
timeout 600 "$wine_run" tarnhost.exe --check scenarios | tr -d '\r' | tee "$scratch/check.out"
status=${PIPESTATUS[0]}
((status == 0)) || fail "the bundled scenarios do not pass under wine (exit $status)"
[[ $(grep -c '^ok ' "$scratch/check.out") -eq $count ]] &&
    grep -qxF 'ok   scenarios\café.scn' "$scratch/check.out" ||
    fail "not every bundled scenario reported ok"

echo "---- wine tarnhost.exe --check scenarios\\*.scn (the guide's command)"
timeout 600 "$wine_run" tarnhost.exe --check 'scenarios\*.scn' | tr -d '\r' >"$scratch/wildcard.out"
status=${PIPESTATUS[0]}
((status == 0)) && [[ $(tail -n 1 "$scratch/wildcard.out") == "$count passed, 0 failed" ]] &&
    grep -qxF 'ok   scenarios\café.scn' "$scratch/wildcard.out" ||
    fail "the guide's wildcard command does not check every scenario: $(tail -n 2 "$scratch/wildcard.out")"

echo "---- wine tarnhost.exe --check scenarios\\*a*a*a*a*a*a*a*a*a*a*b, which must end at once"
timeout 20 "$wine_run" tarnhost.exe --check 'scenarios\*a*a*a*a*a*a*a*a*a*a*b' \
    'scenarios\demo.scn' 2>&1 | tr -d '\r' >"$scratch/pathological.out"
status=${PIPESTATUS[0]}
((status == 2)) && grep -qF 'tarnhost: no such file: scenarios' "$scratch/pathological.out" &&
    grep -qxF '1 passed, 1 failed' "$scratch/pathological.out" ||
    fail "the pathological wildcard exits $status: $(head -n 1 "$scratch/pathological.out")"

echo "---- wine tarnhost.exe --check scen*\\demo.scn scenarios\\CAFÉ*.scn"
timeout 300 "$wine_run" tarnhost.exe --check 'scen*\demo.scn' 'scenarios\CAFÉ*.scn' |
    tr -d '\r' >"$scratch/folded.out"
status=${PIPESTATUS[0]}
((status == 0)) && [[ $(tail -n 1 "$scratch/folded.out") == "2 passed, 0 failed" ]] ||
    fail "a wildcard in a folder's name or in capitals misses: $(head -n 3 "$scratch/folded.out")"

echo "---- wine tarnhost.exe --transcript scenarios\\demo.scn"
timeout 300 "$wine_run" tarnhost.exe --transcript 'scenarios\demo.scn' | tr -d '\r' >"$scratch/demo.out"
status=${PIPESTATUS[0]}
((status == 0)) || fail "the demo transcript exited $status"
grep -qF 'game server: every player reads "Freq 3 LOCKED -- No freq-hopping."' \
    "$scratch/demo.out" || fail "the demo transcript does not show the lock announcement"

echo "---- wine cmd /c play-demo.cmd"
timeout 300 "$wine_run" cmd /c play-demo.cmd </dev/null 2>&1 | tr -d '\r' >"$scratch/cmd.out"
grep -qF 'plug-in -> Cid, privately: *setfreq 2' "$scratch/cmd.out" ||
    fail "play-demo.cmd does not play the demo: $(head -n 5 "$scratch/cmd.out")"

echo "---- a scenario piped to wine tarnhost.exe -"
printf 'init\r\n> console: DLL plugin connected.\r\nterm\r\n> console: DLL plugin disconnected.\r\n' |
    timeout 300 "$wine_run" tarnhost.exe --check - | tr -d '\r' >"$scratch/pipe.out"
status=${PIPESTATUS[1]}
((status == 0)) && [[ $(head -n 1 "$scratch/pipe.out") == "ok   -" ]] ||
    fail "a piped scenario does not pass (exit $status): $(head -n 2 "$scratch/pipe.out")"

echo "---- the rules of Windows names, streams and consoles, a row each"
# Runs one row: `wine_row STATUS TEXT INPUT ARGUMENT...` runs tarnhost.exe (or $program) under
# wine with INPUT on standard input, and passes when it exits STATUS and prints TEXT within a
# line (either stream).
wine_row() {
    local status=$1 text=$2 input=$3 got
    shift 3
    printf '%s' "$input" | timeout 120 "$wine_run" "${program:-$folder/tarnhost.exe}" "$@" \
        2>&1 | tr -d '\r' >"$scratch/row.out"
    got=${PIPESTATUS[1]}
    ((got == status)) && grep -qF -- "$text" "$scratch/row.out" ||
        fail "tarnhost.exe $* exits $got, expected $status and '$text': $(head -n 3 "$scratch/row.out")"
}
mkdir "$scratch/rows" && cd "$scratch/rows" || exit 1
pass=$'init\n> console: DLL plugin connected.\n'
fail=$'init\n> console: DLL plugin welcomes you.\n'
long=$(printf 'd%.0s' {1..100})/$(printf 'e%.0s' {1..100})/$(printf 'f%.0s' {1..100})
mkdir -p dots/sub dots/sub. devices loop "deep/$long" fold
printf '%s' "$pass" | tee dots/a.scn dots/b.scn dots/sub/pass.scn devices/nul.scn devices/ok.scn \
    loop/ok.scn "deep/$long/pass.scn" fold/𐐨.scn >/dev/null
printf '%s' "$fail" | tee dots/a.scn. 'dots/b.scn ' dots/sub./fail.scn >/dev/null
ln -s .. loop/back
here='Z:'${PWD//\//\\} # this folder as Windows names it
# Standard input is bytes, as a file is: a 0x1A byte does not end it.
wine_row 1 "-:3: '\x1A' holds a control byte" "$pass"$'\x1a\n'"$fail" --check -
# A walk passes over links (reparse points), a folder linked to the one above it included.
wine_row 0 "1 passed, 0 failed" "" --check loop
# A name ending in a dot or blank, or a device's name, is failed by name, never opened as the
# name without them (a.scn., b.scn and sub. would read a.scn, b.scn and sub) or as the device.
wine_row 2 "3 passed, 3 failed" "" --check dots
wine_row 2 "dots\a.scn.: its name ends in a dot or blank" "" --check 'dots\a*'
wine_row 2 "dots\a.scn.: its name ends in a dot or blank" "" --check 'dots\a.scn.'
wine_row 2 "devices\nul.scn: its name is a device's (nul)" "" --check devices
# "\\?\" starts a path, it is no wildcard; paths past 260 characters work, walked or named.
wine_row 0 "1 passed, 0 failed" "" --check "\\\\?\\$here\\devices\\ok*.scn"
wine_row 0 "1 passed, 0 failed" "" --check deep
wine_row 0 "1 passed, 0 failed" "" --check "deep\\${long//\//\\}\\pass.scn"
# Wildcards fold case as the file system does, one UTF-16 unit at a time and no further.
wine_row 2 "no such file: fold\𐐀*.scn" "" --check 'fold\𐐀*.scn'
# A module that cannot load says why in words; /? asks for help; NUL is not a console.
wine_row 2 "nowhere.dll: Module not found" "" --module nowhere.dll --check devices
wine_row 0 "usage: tarnhost [OPTIONS]" "" '/?'
program=cmd wine_row 1 "FAIL -: nothing to check" "" /c "Z:${folder//\//\\}\\tarnhost.exe --check <NUL"
# A console is read in UTF-16, "-" included: a name typed there keeps its accent, which a read
# of bytes in the console's code page would turn into another byte (\x82).
console_row() { # as wine_row, INPUT typed at a console on a terminal of its own (`script`)
    local status=$1 text=$2 input=$3 got
    shift 3
    rm -f "$scratch/console.tty"
    { # typed once wine's console has taken the terminal (its line mode off)
        for ((wait = 0; wait < 1200; wait++)); do
            [[ -s $scratch/console.tty ]] &&
                stty -F "$(cat "$scratch/console.tty")" -a 2>/dev/null | grep -q -- -icanon && break
            sleep 0.1
        done
        printf '%s' "$input"
    } | LC_ALL=C.UTF-8 timeout 180 script -qec "tty >'$scratch/console.tty' && exec \
        $(printf '%q ' "$wine_run" "$folder/tarnhost.exe" "$@")" /dev/null |
        tr -d '\r' | sed 's/\x1b\[[0-9;?]*[a-zA-Z]//g' >"$scratch/row.out"
    got=${PIPESTATUS[1]}
    ((got == status)) && tr -d ' ' <"$scratch/row.out" | grep -qF -- "${text// /}" ||
        fail "tarnhost.exe $* at a console exits $got, expected $status and '$text': $(tail -n 3 "$scratch/row.out")"
}
console_row 0 "to Zoé: When one team" $'init\rplayer Zoé\rcommand Zoé !about\rquit\r' -
# A walk passes over the file standard output is written to, known by its file id.
program=cmd wine_row 0 "1 passed, 0 failed" "" \
    /c "Z:${folder//\//\\}\\tarnhost.exe --check loop >loop\\report.scn & type loop\\report.scn"

echo "---- interactive wine tarnhost.exe -i, run from another folder"
cd "$scratch" || exit 1
printf 'arrive Ace team 3 ship 1\nflag north team 3\narena-enter\nstate\n' |
    timeout 300 "$wine_run" "$folder/tarnhost.exe" -i | tr -d '\r' >"$scratch/session.out"
for expected in "plug-in -> host console: DLL plugin connected." \
    "plug-in -> everybody, public chat: *arena Freq 3 LOCKED -- No freq-hopping." \
    "player Ace: team 3, ship 1, ident 0, access 0"; do
    grep -qF "$expected" "$scratch/session.out" || fail "the interactive session lacks: $expected"
done

((failures == 0)) && echo "package test: $(basename "$zip_path") works under wine"
((failures == 0))
