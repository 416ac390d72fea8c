#!/usr/bin/env bash
# Proves that tests/binaries/dll_exports.sh tells good modules from bad ones: builds tiny modules
# that each break one rule (or none) and fails unless the checker accepts exactly the sound ones.
#   tests/binaries/dll_exports_selftest.sh [WORK_DIRECTORY]   (default: a fresh temporary directory)
set -uo pipefail

checker=$(cd "$(dirname "$0")" && pwd)/dll_exports.sh
work=${1:-$(mktemp -d)}
mkdir -p "$work"
cd "$work" || exit 1

windows_compiler=i686-w64-mingw32-g++-win32
export_talk='extern "C" __declspec(dllexport) void talk(void*) {}'
elf_talk='extern "C" __attribute__((visibility("default"))) void talk(void*) {}'
uses_runtime='#include <string>
extern "C" __declspec(dllexport) void talk(void* e) { static std::string s; s += e ? "x" : "y"; }'
printf 'EXPORTS\ntalk\nhidden @7 NONAME\n' >ordinal.def

# Each case: name | expected verdict | machine to check for | source | build. The verdict is
# "pass", or "fail: REASON" where REASON must appear in the checker's output, so a bad module
# rejected for the wrong reason still counts as a wrong judgement.
# The build command gets the source file as $1 and the output file as $2.
cases=(
    "sound DLL|pass|i386|$export_talk|$windows_compiler -shared -static \$1 -o \$2.dll"
    "DLL with a second named export|fail: not just talk|i386|$export_talk
extern \"C\" __declspec(dllexport) void extra() {}|$windows_compiler -shared -static \$1 -o \$2.dll"
    "DLL with an export by ordinal only|fail: export address table holds 00000002|i386|extern \"C\" void talk(void*) {}
extern \"C\" void hidden() {}|$windows_compiler -shared -static \$1 ordinal.def -o \$2.dll"
    "DLL importing the MinGW C++ runtime|fail: imports the MinGW runtime DLL libstdc++|i386|$uses_runtime|$windows_compiler -shared \$1 -o \$2.dll"
    "program named like a DLL|fail: not marked as a DLL|i386|$export_talk
int main() {}|$windows_compiler -static \$1 -o \$2.dll"
    "sound 64-bit module|pass|x86-64|$elf_talk|g++ -shared -fPIC -fvisibility=hidden \$1 -o \$2.so"
    "module defining a second symbol|fail: not just the function talk|x86-64|$elf_talk
extern \"C\" __attribute__((visibility(\"default\"))) int extra;
int extra = 1;|g++ -shared -fPIC -fvisibility=hidden \$1 -o \$2.so"
    "64-bit module checked as i386|fail: built as ELF64|i386|$elf_talk|g++ -shared -fPIC -fvisibility=hidden \$1 -o \$2.so"
    "sound 32-bit module|pass|i386|$elf_talk|g++ -m32 -shared -fPIC -fvisibility=hidden \$1 -o \$2.so"
)

wrong=0
number=0
for entry in "${cases[@]}"; do
    number=$((number + 1))
    IFS='|' read -r -d '' name expected machine source build <<<"$entry"
    build=${build%$'\n'}
    printf '%s\n' "$source" >"case$number.cpp"
    if ! bash -c "$build" build "case$number.cpp" "case$number" >"case$number.log" 2>&1; then
        echo "WRONG $name: the sample does not build"
        cat "case$number.log"
        wrong=$((wrong + 1))
        continue
    fi
    output=$(ls "case$number".dll "case$number".so 2>/dev/null)
    if "$checker" "$machine" "$output" >>"case$number.log" 2>&1; then outcome=pass; else outcome=fail; fi
    reason=""
    [[ $expected == "fail: "* ]] && reason=${expected#"fail: "}
    if [[ $outcome == "${expected%%:*}" ]] && { [[ -z $reason ]] || grep -qF "$reason" "case$number.log"; }; then
        echo "ok    $name: checker says $outcome"
    else
        echo "WRONG $name: checker says $outcome, expected $expected"
        cat "case$number.log"
        wrong=$((wrong + 1))
    fi
done
echo "$((number - wrong)) of $number cases judged right"
((wrong == 0))
