#!/usr/bin/env bash
# Proves that the Windows release is reproducible: a copy of the sources in another directory,
# built there with the win32 preset, gives the same tarnwick.dll and tarnhost.exe, byte for byte,
# as BUILD_DIR, and both builds pack into the same zip with the same SHA256SUMS.
#   tests/binaries/reproducible.sh BUILD_DIR WORK_DIR
#   tests/binaries/reproducible.sh --compare FIRST_DIR SECOND_DIR
# BUILD_DIR is a finished win32 build of this source tree; WORK_DIR is emptied and used for the
# copy, its build and both releases, each gathered in a folder (the two files and the package).
# --compare judges two such folders alone: every file of either must be in both, byte for byte,
# and a SHA256SUMS must match the files beside it. Each file that differs is named, with how many
# bytes differ.
set -uo pipefail

# Compares the release folders $1 and $2 as --compare tells; fails when they differ.
compare_releases() {
    local first=$1 second=$2 name count differences=0
    while IFS= read -r name; do
        if [[ ! -f $first/$name || ! -f $second/$name ]]; then
            echo "FAIL: $name is in only one of the two builds: $first $second"
            differences=$((differences + 1))
        elif cmp -s "$first/$name" "$second/$name"; then
            echo "same  $name  $(sha256sum <"$first/$name" | cut -d' ' -f1)"
        else
            count=$(cmp -l "$first/$name" "$second/$name" 2>/dev/null | wc -l)
            echo "FAIL: $name differs between the two builds ($count bytes differ; sizes" \
                "$(stat -c %s "$first/$name") and $(stat -c %s "$second/$name")):" \
                "$first/$name $second/$name"
            differences=$((differences + 1))
        fi
    done < <({ (cd "$first" && ls -A) && (cd "$second" && ls -A); } | sort -u)
    if [[ -f $first/SHA256SUMS ]] && ! (cd "$first" && sha256sum --check --quiet SHA256SUMS); then
        echo "FAIL: SHA256SUMS does not match the files beside it"
        differences=$((differences + 1))
    fi
    if ((differences > 0)); then
        echo "the release is not reproducible: $differences problem(s)"
        return 1
    fi
    echo "two builds in two directories gave the same bytes"
}

if (($# == 3)) && [[ $1 == --compare ]]; then
    compare_releases "$2" "$3"
    exit
fi
if (($# != 2)); then
    echo "usage: $0 BUILD_DIR WORK_DIR | --compare FIRST_DIR SECOND_DIR" >&2
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

cp "$first_build/tarnwick.dll" "$first_build/tarnhost.exe" "$work/first/" &&
    cp "$second_build/tarnwick.dll" "$second_build/tarnhost.exe" "$work/second/" || exit 1
compare_releases "$work/first" "$work/second"
