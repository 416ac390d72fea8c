#!/usr/bin/env bash
# Checks built modules and programs at the binary level.
#   tests/binaries/dll_exports.sh MACHINE FILE...      MACHINE is i386 or x86-64
# For every FILE it fails unless the file is built for MACHINE (read from its headers), and:
#   *.dll  is a 32-bit PE DLL whose export table holds `talk` and nothing else, by name or by
#          ordinal, and which imports no MinGW runtime DLL;
#   *.exe  is a 32-bit PE program that imports no MinGW runtime DLL;
#   *.so   is an ELF module whose dynamic symbol table defines `talk` and nothing else.
# The runtime is linked statically on Windows, so a DLL or program that still imports
# libgcc_s, libstdc++ or libwinpthread would not load on a machine without MinGW.
# Exits 0 only when every file passes; with no FILE it fails.
set -uo pipefail

mingw_objdump=i686-w64-mingw32-objdump
runtime_dll_pattern='^(libgcc_s|libstdc\+\+|libwinpthread|libssp|libatomic|libquadmath|libgomp)'

failures=0
fail() {
    echo "FAIL $1: $2"
    failures=$((failures + 1))
}

# The PE headers must say 32-bit x86 (pei-i386, optional header magic 010b) and, for a .dll,
# carry the DLL characteristic. Only i386 is ever built for Windows.
check_pe_header() {
    local path=$1 machine=$2 headers=$3
    [[ $machine == i386 ]] || fail "$path" "Windows files are only built for i386, not $machine"
    grep -q 'file format pei-i386$' <<<"$headers" || fail "$path" "not a pei-i386 file"
    grep -qE '^Magic[[:space:]]+010b' <<<"$headers" || fail "$path" "not PE32 (optional header magic)"
    local is_dll=no
    sed -n '/^Characteristics/,/^$/p' <<<"$headers" | grep -qx $'\tDLL' && is_dll=yes
    case $path in
    *.dll) [[ $is_dll == yes ]] || fail "$path" "not marked as a DLL" ;;
    *.exe) [[ $is_dll == no ]] || fail "$path" "marked as a DLL, not a program" ;;
    esac
}

# The ELF header must give the class and machine of MACHINE (ELF32 i386 or ELF64 x86-64).
check_elf_header() {
    local path=$1 machine=$2 header class architecture
    header=$(readelf -h "$path") || {
        fail "$path" "readelf cannot read it"
        return
    }
    class=$(sed -n 's/^ *Class: *//p' <<<"$header")
    architecture=$(sed -n 's/^ *Machine: *//p' <<<"$header")
    case $machine in
    i386) [[ $class == ELF32 && $architecture == "Intel 80386" ]] ;;
    x86-64) [[ $class == ELF64 && $architecture == *X86-64 ]] ;;
    *) false ;;
    esac || fail "$path" "built as $class $architecture, not $machine"
}

# Fails for every imported DLL that belongs to the MinGW runtime.
check_pe_imports() {
    local path=$1 headers=$2 imported
    imported=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
    echo "  imports: $(echo $imported)"
    while read -r dll; do
        [[ -n $dll ]] || continue
        if grep -qiE "$runtime_dll_pattern" <<<"$dll"; then
            fail "$path" "imports the MinGW runtime DLL $dll"
        fi
    done <<<"$imported"
}

# The export directory must count exactly one address and one name, and that name is `talk`.
check_pe_exports() {
    local path=$1 headers=$2 addresses names
    addresses=$(awk '/Number in:/ {getline; print $NF; exit}' <<<"$headers")
    names=$(awk '/\[Ordinal\/Name Pointer\] Table/ {inside = 1; next}
                 inside && /^[[:space:]]*\[ *[0-9]+\]/ {print $NF; next}
                 inside {exit}' <<<"$headers")
    echo "  exports: $(echo $names)"
    [[ $((16#${addresses:-0})) == 1 ]] || fail "$path" "export address table holds ${addresses:-no} entries, not 1"
    [[ $names == talk ]] || fail "$path" "exports '$(echo $names)', not just talk"
}

# The dynamic symbol table must define exactly one symbol, the function `talk`.
check_elf_exports() {
    local path=$1 symbols
    symbols=$(nm -D --defined-only "$path") || {
        fail "$path" "nm cannot read it"
        return
    }
    echo "  exports: $(awk '{print $NF}' <<<"$symbols" | xargs)"
    [[ $(awk '{print $2, $3}' <<<"$symbols") == "T talk" ]] ||
        fail "$path" "defines '$(awk '{print $NF}' <<<"$symbols" | xargs)', not just the function talk"
}

if (($# < 2)); then
    echo "usage: $0 i386|x86-64 FILE..." >&2
    exit 2
fi
machine=$1
shift
for path in "$@"; do
    echo "$path"
    if [[ ! -f $path ]]; then
        fail "$path" "no such file"
        continue
    fi
    case $path in
    *.dll | *.exe)
        headers=$("$mingw_objdump" -p "$path") || {
            fail "$path" "$mingw_objdump cannot read it"
            continue
        }
        check_pe_header "$path" "$machine" "$headers"
        check_pe_imports "$path" "$headers"
        [[ $path == *.dll ]] && check_pe_exports "$path" "$headers"
        ;;
    *.so)
        check_elf_header "$path" "$machine"
        check_elf_exports "$path"
        ;;
    *) fail "$path" "neither .dll, .exe nor .so" ;;
    esac
done
if ((failures > 0)); then
    echo "$failures problem(s) found"
    exit 1
fi
echo "all $# file(s) pass"
