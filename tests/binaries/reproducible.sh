#!/usr/bin/env bash
# Proves that the Windows release is reproducible: a copy of the sources in another directory,
# built there with the win32 preset, gives the same tarnwick.dll and tarnhost.exe, byte for byte,
# as BUILD_DIR, and both builds pack into the same zip with the same SHA256SUMS.
#   tests/binaries/reproducible.sh BUILD_DIR WORK_DIR
# BUILD_DIR is a finished win32 build of this source tree; WORK_DIR is emptied and used for the
# copy, its build and both packages. Each file that differs is named, with how many bytes differ.
set -uo pipefail

if (($# != 2)); then
    echo "usage: $0 BUILD_DIR WORK_DIR" >&2
    exit 2
fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
first_build=$(cd "$1" && pwd) || exit 1
work=$2
rm -rf "$work"
mkdir -p "$work" && work=$(cd "$work" && pwd) || exit 1

# The copy has no git history, so both packages take their dates from this commit's time.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)} || exit 1
export SOURCE_DATE_EPOCH

# A deeper path of another length, so no build or source path can hide in equal-length bytes.
copy=$work/another/checkout/of-tarnwick
mkdir -p "$copy"
echo "copying the sources to $copy"
tar -C "$root" --exclude=./build --exclude=./dist --exclude=./.git -cf - . | tar -C "$copy" -xf - ||
    exit 1
echo "building the copy with the win32 preset"
if ! { cmake -S "$copy" --preset win32 >"$work/configure.log" 2>&1 &&
    cmake --build "$copy/build/win32" --target tarnwick tarnhost >"$work/build.log" 2>&1; }; then
    echo "FAIL: the copy does not build; the end of its logs:"
    tail -n 40 "$work/configure.log" "$work/build.log"
    exit 1
fi
second_build=$copy/build/win32

"$root/scripts/package" --build-dir "$first_build" --output "$work/first" >"$work/first.log" 2>&1 &&
    "$copy/scripts/package" --build-dir "$second_build" --output "$work/second" \
        >"$work/second.log" 2>&1 || {
    echo "FAIL: packing failed:"
    cat "$work/first.log" "$work/second.log"
    exit 1
}

differences=0
# Compares two files byte for byte; names the file and counts the differing bytes if they differ.
compare() {
    local label=$1 first=$2 second=$3 count
    if cmp -s "$first" "$second"; then
        echo "same  $label  $(sha256sum <"$first" | cut -d' ' -f1)"
    else
        count=$(cmp -l "$first" "$second" 2>/dev/null | wc -l)
        echo "FAIL: $label differs between the two builds ($count bytes differ; sizes" \
            "$(stat -c %s "$first") and $(stat -c %s "$second")): $first $second"
        differences=$((differences + 1))
    fi
}
compare tarnwick.dll "$first_build/tarnwick.dll" "$second_build/tarnwick.dll"
compare tarnhost.exe "$first_build/tarnhost.exe" "$second_build/tarnhost.exe"
zip_name=$(basename "$(tail -n 1 "$work/first.log")")
compare "$zip_name" "$work/first/$zip_name" "$work/second/$zip_name"
compare SHA256SUMS "$work/first/SHA256SUMS" "$work/second/SHA256SUMS"
(cd "$work/first" && sha256sum --check --quiet SHA256SUMS) || {
    echo "FAIL: SHA256SUMS does not match the zip beside it"
    differences=$((differences + 1))
}

if ((differences > 0)); then
    echo "the release is not reproducible: $differences problem(s)"
    exit 1
fi
echo "two builds in two directories gave the same bytes"
