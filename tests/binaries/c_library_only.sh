#!/usr/bin/env bash
# Fails when a Linux module needs anything of the C++ runtime: a needed library other than the C
# library, or an undefined symbol that the C++ runtime provides (any C++ name, such as the
# operators new and delete or std::nothrow; throwing and catching; the personality routine; the
# unwinder; any symbol of the runtime's GLIBCXX or CXXABI versions). Such a module could throw
# into its host, and would load the C++ runtime into the host's process.
#   tests/binaries/c_library_only.sh [--sanitizer-runtimes] MODULE
# --sanitizer-runtimes is for a module built with AddressSanitizer and UndefinedBehaviorSanitizer:
# it also accepts their runtime libraries, which the instrumentation calls (and which stand in
# for the C library's allocation functions); everything of the C++ runtime still fails.
set -uo pipefail

allowed_libraries='^libc\.so\.[0-9]+$'
if [[ ${1:-} == --sanitizer-runtimes ]]; then
    allowed_libraries='^(libc|libasan|libubsan)\.so\.[0-9]+$'
    shift
fi
if (($# != 1)); then
    echo "usage: $0 [--sanitizer-runtimes] MODULE" >&2
    exit 2
fi
module=$1
# The C library's own entries to the C++ ABI, which every module may use.
c_library_symbols='^(__cxa_atexit|__cxa_finalize)$'
runtime_symbols='^(_Z|__cxa_|__gxx_personality|_Unwind_)'
runtime_versions='@(GLIBCXX|CXXABI)_'

needed=$(readelf -d "$module" | sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p') &&
    undefined=$(nm -D --undefined-only "$module" | awk '{print $NF}') || {
    echo "FAIL $module: cannot read its dynamic section and symbols"
    exit 1
}
echo "$module"
echo "  needs: $(echo $needed)"
echo "  undefined: $(echo $undefined)"
failures=0
while read -r library; do
    [[ -z $library || $library =~ $allowed_libraries ]] && continue
    echo "FAIL $module needs $library, not only the C library"
    failures=$((failures + 1))
done <<<"$needed"
while read -r symbol; do
    name=${symbol%%@*}
    [[ -z $name || $name =~ $c_library_symbols ]] && continue
    if [[ $name =~ $runtime_symbols || $symbol =~ $runtime_versions ]]; then
        echo "FAIL $module refers to $symbol, of the C++ runtime"
        failures=$((failures + 1))
    fi
done <<<"$undefined"
if ((failures > 0)); then
    echo "$failures problem(s) found"
    exit 1
fi
echo "$module needs nothing of the C++ runtime"
