#!/usr/bin/env bash
# Checks what built Windows binaries import against the committed list of allowed imports.
#   tests/binaries/dll_imports.sh ALLOWED_LIST FILE...
# ALLOWED_LIST has one line per function: DLL, function, then the file names (tarnwick.dll,
# tarnhost.exe) that may import it; '#' starts a comment. For every FILE it fails on, and names,
# each imported function that the list does not allow for a file of that name. DLL names compare
# without regard to case, as Windows does. Exits 0 only when every import of every FILE is listed.
set -uo pipefail

mingw_objdump=i686-w64-mingw32-objdump

# Prints "DLL FUNCTION" for every function the PE file $1 imports, DLL in upper case; a function
# imported by ordinal alone, which no list names, as "DLL ordinal:N".
imports_of() {
    "$mingw_objdump" -p "$1" | awk '
        /^The Import Tables/ { inside = 1; next }
        /^The (Export Tables|Function Table)|^PE File Base Relocations/ { inside = 0 }
        inside && /DLL Name:/ { dll = toupper($NF); next }
        inside && dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +<none>$/ { print dll, "ordinal:" $(NF - 1); next }
        inside && dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll, $NF }'
}

# Prints "DLL FUNCTION" for every function the list $1 allows for the file name $2.
allowed_for() {
    sed 's/#.*//' "$1" | awk -v name="$2" 'NF >= 3 {
        for (i = 3; i <= NF; i++) if ($i == name) { print toupper($1), $2; break } }'
}

if (($# < 2)); then
    echo "usage: $0 ALLOWED_LIST FILE..." >&2
    exit 2
fi
list=$1
shift
failures=0
for path in "$@"; do
    name=$(basename "$path")
    imported=$(imports_of "$path") || {
        echo "FAIL $path: $mingw_objdump cannot read it"
        failures=$((failures + 1))
        continue
    }
    if [[ -z $imported ]]; then
        echo "FAIL $path: no imports found; is it a Windows binary?"
        failures=$((failures + 1))
        continue
    fi
    unlisted=$(comm -23 <(sort -u <<<"$imported") <(allowed_for "$list" "$name" | sort -u))
    echo "$path: $(wc -l <<<"$imported") imports"
    while read -r dll function; do
        [[ -n $function ]] || continue
        if [[ $function == ordinal:* ]]; then
            echo "FAIL $path imports ordinal ${function#ordinal:} from $dll by ordinal only," \
                "which no list can allow"
        else
            echo "FAIL $path imports $function from $dll," \
                "which $(basename "$list") does not allow for $name"
        fi
        failures=$((failures + 1))
    done <<<"$unlisted"
done
if ((failures > 0)); then
    echo "$failures import(s) not allowed"
    exit 1
fi
echo "every import is allowed"
