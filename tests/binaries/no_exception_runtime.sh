#!/usr/bin/env bash
# Fails when the linker's map of a binary shows the C++ exception runtime linked into it: the
# throw and catch entry points, the unwinder, the personality routine or the emergency pool that
# the runtime takes from the process heap at load and never gives back at unload. Sections the
# linker dropped as unused are listed apart in the map and do not count.
#   tests/binaries/no_exception_runtime.sh MAP_FILE
set -uo pipefail
if (($# != 1)); then
    echo "usage: $0 MAP_FILE" >&2
    exit 2
fi
if ! grep -q '^Linker script and memory map' "$1"; then
    echo "FAIL $1: not a linker map"
    exit 1
fi
pattern='__cxa_throw|__cxa_allocate_exception|__cxa_begin_catch|__gxx_personality|_Unwind_|eh_alloc\.o|eh_throw\.o'
# Everything but the list of discarded input sections, which runs up to the memory configuration.
linked=$(awk '/^Discarded input sections/ { skip = 1 } /^Memory Configuration/ { skip = 0 }
              !skip' "$1") || exit 1
found=$(grep -oE "$pattern" <<<"$linked" | sort -u)
if [[ -n $found ]]; then
    echo "FAIL $1: the exception runtime is linked in:" $found
    exit 1
fi
echo "$1: no exception runtime linked in"
