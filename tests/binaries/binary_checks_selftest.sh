#!/usr/bin/env bash
# Proves that the checks of built files tell good ones from bad ones: builds tiny modules that
# each break one rule (or none), hands each to its checker and fails unless the checkers accept
# exactly the sound ones, rejecting each bad one for the reason given. Two sets of cases:
#   windows  the export checker (dll_exports.sh, on Windows and Linux modules), the imports
#            (dll_imports.sh), the exception runtime in a DLL's link map
#            (no_exception_runtime.sh), the size limit (size_limit.sh), the version resource
#            (version_resource.sh) and the comparison of two builds (reproducible.sh --compare);
#            needs the MinGW-w64 compiler and g++ with -m32
#   linux    nothing of the C++ runtime in a Linux module (c_library_only.sh); needs g++ and
#            its sanitizers
#   tests/binaries/binary_checks_selftest.sh windows|linux [WORK_DIRECTORY]
#                                                 (default: a fresh temporary directory)
set -uo pipefail

checks=$(cd "$(dirname "$0")" && pwd)
set_name=${1:-}
work=${2:-$(mktemp -d)}
mkdir -p "$work"
cd "$work" || exit 1

windows_compiler=i686-w64-mingw32-g++-win32
export_talk='extern "C" __declspec(dllexport) void talk(void*) {}'
elf_talk='extern "C" __attribute__((visibility("default"))) void talk(void*) {}'
uses_runtime='#include <string>
extern "C" __declspec(dllexport) void talk(void* e) { static std::string s; s += e ? "x" : "y"; }'
printf 'EXPORTS\ntalk\nhidden @7 NONAME\n' >ordinal.def
# An import library of a DLL whose one function has no name, only its ordinal.
printf 'LIBRARY nameless.dll\nEXPORTS\nhidden @5 NONAME\n' >nameless.def
i686-w64-mingw32-dlltool -d nameless.def -l libnameless.a
# A version resource of Tarnwick 1.2.3, OriginalFilename NAME.
cat >version.rc <<'EOF_RC'
1 VERSIONINFO
FILEVERSION 1,2,3,0
PRODUCTVERSION 1,2,3,0
BEGIN
    BLOCK "StringFileInfo"
    BEGIN
        BLOCK "040904B0"
        BEGIN
            VALUE "FileDescription", "Probe"
            VALUE "FileVersion", "1.2.3"
            VALUE "OriginalFilename", "NAME"
            VALUE "ProductName", "Tarnwick"
            VALUE "ProductVersion", "1.2.3"
        END
    END
END
EOF_RC
versioned_dll="sed \"s/NAME/\$2.dll/\" version.rc >\$2.rc && i686-w64-mingw32-windres \$2.rc -O coff -o \$2.res && $windows_compiler -shared -static \$1 \$2.res -o \$2.dll"
# The built DLL checked under the name tarnwick.dll against the project's list of imports.
as_tarnwick="mkdir -p \$1.named && cp \$1.dll \$1.named/tarnwick.dll && dll_imports.sh $checks/allowed-imports.txt \$1.named/tarnwick.dll"
# The check of the built DLL gathered as tarnwick.dll in two release folders, compared after
# the command $1 has changed them.
compared_after() {
    echo "mkdir -p \$1.first \$1.second && cp \$1.dll \$1.first/tarnwick.dll &&" \
        "cp \$1.dll \$1.second/tarnwick.dll && $1 && reproducible.sh --compare \$1.first \$1.second"
}
sound_dll="$windows_compiler -shared -static -fno-exceptions -Wl,--gc-sections \$1 -o \$2.dll -Wl,-Map,\$2.map"
# Built as the real module is linked: --as-needed, so that only what it uses is needed.
elf_module="g++ -shared -fPIC -fvisibility=hidden -fno-exceptions -Wl,--as-needed \$1 -o \$2.so"
kept='extern "C" __attribute__((visibility("default"))) void* kept;
void* kept;'

# Each case: name | expected verdict | check | source | build. The verdict is "pass", or "fail:
# REASON" where REASON must appear in the checker's output. The build command gets the source
# file as $1 and the name to build (without its extension) as $2; the check command, run with the
# checkers on its PATH, gets that name as $1.
windows_cases=(
    "sound DLL|pass|dll_exports.sh i386 \$1.dll|$export_talk|$windows_compiler -shared -static \$1 -o \$2.dll"
    "DLL with a second named export|fail: not just talk|dll_exports.sh i386 \$1.dll|$export_talk
extern \"C\" __declspec(dllexport) void extra() {}|$windows_compiler -shared -static \$1 -o \$2.dll"
    "DLL with an export by ordinal only|fail: export address table holds 00000002|dll_exports.sh i386 \$1.dll|extern \"C\" void talk(void*) {}
extern \"C\" void hidden() {}|$windows_compiler -shared -static \$1 ordinal.def -o \$2.dll"
    "DLL importing the MinGW C++ runtime|fail: imports the MinGW runtime DLL libstdc++|dll_exports.sh i386 \$1.dll|$uses_runtime|$windows_compiler -shared \$1 -o \$2.dll"
    "program named like a DLL|fail: not marked as a DLL|dll_exports.sh i386 \$1.dll|$export_talk
int main() {}|$windows_compiler -static \$1 -o \$2.dll"
    "sound 64-bit module|pass|dll_exports.sh x86-64 \$1.so|$elf_talk|g++ -shared -fPIC -fvisibility=hidden \$1 -o \$2.so"
    "module defining a second symbol|fail: not just the function talk|dll_exports.sh x86-64 \$1.so|$elf_talk
extern \"C\" __attribute__((visibility(\"default\"))) int extra;
int extra = 1;|g++ -shared -fPIC -fvisibility=hidden \$1 -o \$2.so"
    "64-bit module checked as i386|fail: built as ELF64|dll_exports.sh i386 \$1.so|$elf_talk|g++ -shared -fPIC -fvisibility=hidden \$1 -o \$2.so"
    "sound 32-bit module|pass|dll_exports.sh i386 \$1.so|$elf_talk|g++ -m32 -shared -fPIC -fvisibility=hidden \$1 -o \$2.so"
    "DLL without the exception runtime|pass|no_exception_runtime.sh \$1.map|$export_talk|$sound_dll"
    "DLL that throws|fail: the exception runtime is linked in|no_exception_runtime.sh \$1.map|extern \"C\" __declspec(dllexport) void talk(void* e) { if (!e) throw 1; }|$windows_compiler -shared -static -Wl,--gc-sections \$1 -o \$2.dll -Wl,-Map,\$2.map"
    "DLL given for its link map|fail: not a linker map|no_exception_runtime.sh \$1.dll|$export_talk|$sound_dll"
    "DLL at the size limit|pass|size_limit.sh \$(stat -c %s \$1.dll) \$1.dll|$export_talk|$sound_dll"
    "DLL one byte over the size limit|fail: more than the limit|size_limit.sh \$((\$(stat -c %s \$1.dll) - 1)) \$1.dll|$export_talk|$sound_dll"
    "DLL importing only allowed functions|pass|$as_tarnwick|#include <cstdlib>
extern \"C\" __declspec(dllexport) void talk(void* e) { if (!e) std::free(std::malloc(4)); }|$sound_dll"
    "DLL importing a function the list does not allow|fail: imports GetTickCount from KERNEL32.DLL|$as_tarnwick|#include <windows.h>
extern \"C\" __declspec(dllexport) void talk(void* e) { if (!e) Sleep(GetTickCount()); }|$sound_dll"
    "DLL importing a function by ordinal only|fail: imports ordinal 5 from NAMELESS.DLL by ordinal only|$as_tarnwick|extern \"C\" void hidden();
extern \"C\" __declspec(dllexport) void talk(void* e) { if (!e) hidden(); }|$sound_dll -L. -lnameless"
    "DLL with its version resource|pass|version_resource.sh 1.2.3 \$1.dll|$export_talk|$versioned_dll"
    "DLL without a resource|fail: no resources to read|version_resource.sh 1.2.3 \$1.dll|$export_talk|$sound_dll"
    "DLL of another version|fail: FILEVERSION is '1, 2, 3, 0', not '1, 2, 4, 0'|version_resource.sh 1.2.4 \$1.dll|$export_talk|$versioned_dll"
    "two builds alike|pass|$(compared_after true)|$export_talk|$sound_dll"
    "two builds differing by one byte|fail: tarnwick.dll differs between the two builds (1 bytes differ|$(compared_after "dd of=\$1.second/tarnwick.dll bs=1 count=1 seek=78 conv=notrunc status=none <<<X")|$export_talk|$sound_dll"
    "a file only one build gave|fail: tarnhost.exe is in only one of the two builds|$(compared_after "cp \$1.dll \$1.first/tarnhost.exe")|$export_talk|$sound_dll"
)
linux_cases=(
    "module using only the C library|pass|c_library_only.sh \$1.so|#include <cstdlib>
$kept
extern \"C\" __attribute__((visibility(\"default\"))) void talk(void*) { kept = std::malloc(4); }|$elf_module"
    "module calling the throwing operator new|fail: refers to _Znw|c_library_only.sh \$1.so|$kept
extern \"C\" __attribute__((visibility(\"default\"))) void talk(void*) { kept = new int(1); }|$elf_module"
    "module naming std::nothrow|fail: refers to _ZSt7nothrow|c_library_only.sh \$1.so|#include <new>
$kept
extern \"C\" __attribute__((visibility(\"default\"))) void talk(void*) { kept = new (std::nothrow) int(1); }|$elf_module"
    "module that throws|fail: refers to __cxa_throw|c_library_only.sh \$1.so|extern \"C\" __attribute__((visibility(\"default\"))) void talk(void* e) { if (!e) throw 1; }|g++ -shared -fPIC -fvisibility=hidden \$1 -o \$2.so"
    "module needing libstdc++ for nothing|fail: needs libstdc++.so.6|c_library_only.sh \$1.so|$elf_talk|g++ -shared -fPIC -Wl,--no-as-needed \$1 -o \$2.so"
    "sanitized module, its runtimes accepted|pass|c_library_only.sh --sanitizer-runtimes \$1.so|#include <cstdlib>
$kept
extern \"C\" __attribute__((visibility(\"default\"))) void talk(void*) { kept = std::malloc(4); }|$elf_module -fsanitize=address,undefined"
    "sanitized module checked as a plain one|fail: needs libasan|c_library_only.sh \$1.so|$elf_talk|$elf_module -fsanitize=address,undefined"
)

case $set_name in
windows) cases=("${windows_cases[@]}") ;;
linux) cases=("${linux_cases[@]}") ;;
*)
    echo "usage: $0 windows|linux [WORK_DIRECTORY]" >&2
    exit 2
    ;;
esac

source "$checks/../judge_cases.sh"
number=0
for entry in "${cases[@]}"; do
    number=$((number + 1))
    IFS='|' read -r -d '' name expected check source build <<<"$entry"
    build=${build%$'\n'}
    printf '%s\n' "$source" >"case$number.cpp"
    if ! bash -c "$build" build "case$number.cpp" "case$number" >"case$number.log" 2>&1; then
        echo "the sample does not build:" >>"case$number.log"
        judge_case "$name" "$expected" "nothing: the sample does not build" "case$number.log"
        continue
    fi
    if PATH=$checks:$PATH bash -c "$check" check "case$number" >>"case$number.log" 2>&1; then
        outcome=pass
    else
        outcome=fail
    fi
    judge_case "$name" "$expected" "$outcome" "case$number.log"
done
report_judgements
