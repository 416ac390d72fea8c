#!/usr/bin/env bash
# Checks the Windows version resource of built programs and modules, the one Windows shows in a
# file's Properties.
#   tests/binaries/version_resource.sh VERSION FILE...     VERSION is the project version, 1.2.3
# For every FILE it fails unless the file has a version resource whose numeric FILEVERSION and
# PRODUCTVERSION are VERSION (then 0), whose FileVersion and ProductVersion strings are VERSION,
# whose ProductName is Tarnwick, whose FileDescription is not empty, and whose OriginalFilename
# is the file's own name.
set -uo pipefail

windres=i686-w64-mingw32-windres
failures=0
fail() {
    echo "FAIL $1: $2"
    failures=$((failures + 1))
}

if (($# < 2)); then
    echo "usage: $0 VERSION FILE..." >&2
    exit 2
fi
version=$1
shift
IFS=. read -r major minor patch <<<"$version"
numbers="$major, $minor, $patch, 0"

# Prints the value of the string VALUE named $1 in the decompiled resource $2.
string_value() {
    sed -n "s/^ *VALUE \"$1\", \"\\(.*\\)\"\$/\\1/p" <<<"$2"
}

for path in "$@"; do
    echo "$path"
    resource=$("$windres" -i "$path" -O rc 2>&1) || {
        fail "$path" "no resources to read: $resource"
        continue
    }
    grep -q '^1 VERSIONINFO$' <<<"$resource" || {
        fail "$path" "no version resource"
        continue
    }
    for field in FILEVERSION PRODUCTVERSION; do
        value=$(sed -n "s/^ *$field //p" <<<"$resource")
        [[ $value == "$numbers" ]] || fail "$path" "$field is '$value', not '$numbers'"
    done
    for field in FileVersion ProductVersion; do
        value=$(string_value "$field" "$resource")
        [[ $value == "$version" ]] || fail "$path" "$field is '$value', not '$version'"
    done
    [[ $(string_value ProductName "$resource") == Tarnwick ]] ||
        fail "$path" "ProductName is '$(string_value ProductName "$resource")', not 'Tarnwick'"
    [[ -n $(string_value FileDescription "$resource") ]] || fail "$path" "FileDescription is empty"
    [[ $(string_value OriginalFilename "$resource") == "$(basename "$path")" ]] ||
        fail "$path" "OriginalFilename is '$(string_value OriginalFilename "$resource")'"
    echo "  $(string_value FileDescription "$resource")," \
        "version $(string_value FileVersion "$resource")"
done
if ((failures > 0)); then
    echo "$failures problem(s) found"
    exit 1
fi
echo "all $# file(s) carry version $version"
