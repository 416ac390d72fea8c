#!/usr/bin/env bash
# Fails when a file under src/ includes a header from a higher layer, or from a sibling folder of
# its own layer, so every folder builds only on those below it. Layers, bottom to top: host,
# support, bot, then the features teamlock and commands (side by side), then entry.
# Every file under src/ is read, whatever its name, and every include in it counts: quoted or in
# angle brackets, with any spacing, written with `#` or `%:`, as include, include_next or import.
# A line that looks like an include but whose name cannot be read (a macro, a comment in the way,
# a name continued on the next line) fails, so nothing passes unread. A name in angle brackets is
# the project's when its first folder is a folder of src/ or a layer, a system header otherwise.
# A file in a folder missing from the list fails, so a new folder must be given its place, and so
# does a file directly in src/, which has no layer: only the build's description, CMakeLists.txt,
# lives there.
#   tests/layering.sh SOURCE_DIRECTORY
set -uo pipefail

if (($# != 1)); then
    echo "usage: $0 SOURCE_DIRECTORY" >&2
    exit 2
fi
sources=${1%/}
declare -A layer=([host]=1 [support]=2 [bot]=3 [teamlock]=4 [commands]=4 [entry]=5)
# A preprocessor line naming an include directive, and the one form of it that can be read.
include_line='^[[:space:]]*(#|%:)(.*[^[:alnum:]_])?(include|include_next|import)([^[:alnum:]_]|$)'
readable_include='^[[:space:]]*(#|%:)[[:space:]]*(include|include_next|import)[[:space:]]*(<[^<>]+>|"[^"]+")[[:space:]]*(//.*|/\*.*)?$'
faults=0
checked=0

fail() {
    echo "FAIL: $1"
    faults=$((faults + 1))
}

# Judges the include `written` (with its quotes or angle brackets) of `file` in `folder`.
check_include() {
    local file=$1 folder=$2 written=$3 name=${3:1:-1} target
    target=${name%%/*}
    if [[ $written == \<* ]]; then
        if [[ $name != */* ]]; then
            [[ -e $sources/$name ]] && fail "$file includes $written, a file directly in src/"
            return
        fi
        [[ -n ${layer[$target]:-} || -d $sources/$target ]] || return
    fi
    if [[ $name != */* ]]; then
        fail "$file includes $written, which names no folder"
    elif [[ -z ${layer[$target]:-} ]]; then
        fail "$file includes $written from '$target', which has no layer"
    elif ((layer[$target] > layer[$folder])); then
        fail "$file ($folder) includes $written from the higher layer '$target'"
    elif ((layer[$target] == layer[$folder])) && [[ $target != "$folder" ]]; then
        fail "$file ($folder) includes $written from the sibling '$target'"
    fi
}

while IFS= read -r -d '' file; do
    relative=${file#"$sources"/}
    if [[ $relative != */* ]]; then
        [[ $relative == CMakeLists.txt ]] ||
            fail "$file is directly in src/, where no layer is"
        continue
    fi
    folder=${relative%%/*}
    if [[ -z ${layer[$folder]:-} ]]; then
        fail "$file is in the folder '$folder', which has no layer"
        continue
    fi
    checked=$((checked + 1))
    while IFS= read -r numbered; do
        line=${numbered#*:}
        [[ $line =~ $include_line ]] || continue
        if [[ ! $line =~ $readable_include ]]; then
            fail "$file:${numbered%%:*} has an include whose name cannot be read: $line"
            continue
        fi
        check_include "$file" "$folder" "${BASH_REMATCH[3]}"
    done < <(grep -anE '^[[:space:]]*(#|%:)' "$file" | tr -d '\r')
done < <(find "$sources" -mindepth 1 ! -type d -print0 | sort -z)
((checked > 0)) || { echo "FAIL: no source files under $1"; exit 1; }
((faults == 0)) || exit 1
echo "all $checked files include only from their own folder or the layers below"
