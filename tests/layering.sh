#!/usr/bin/env bash
# Fails when a file under src/ includes, as the compiler sees it, a file from a higher layer, or
# from a sibling folder of its own layer, so every folder builds only on those below it. Layers,
# bottom to top: host, support, bot, then the features teamlock and commands (side by side), then
# entry. The compiler ($CXX, or g++) preprocesses every file under src/ on its own, whatever its
# name, with src/ as its one include folder and its own folder not searched for quoted names
# (`-I-`), and lists each file it opens and which file opened it (`-H`). Each opened file is judged
# by its real path (`..` and symbolic links resolved): under src/, by its folder's layer; outside
# src/, only the compiler's own headers are allowed. A file that cannot be preprocessed fails, and
# so does a file in a folder missing from the list (a new folder must be given its place), or
# directly in src/, which has no layer: only the build's description, CMakeLists.txt, lives there.
#   tests/layering.sh SOURCE_DIRECTORY INCLUDE_FOLDER...
# INCLUDE_FOLDER... are the include folders the build gives the core: they must be src/ alone.
set -uo pipefail

if (($# < 2)); then
    echo "usage: $0 SOURCE_DIRECTORY INCLUDE_FOLDER..." >&2
    exit 2
fi
sources=$(realpath -e "$1") || exit 2
shift
compiler=${CXX:-g++}
declare -A layer=([host]=1 [support]=2 [bot]=3 [teamlock]=4 [commands]=4 [entry]=5)
faults=0
checked=0

fail() {
    echo "FAIL: $1"
    faults=$((faults + 1))
}

for folder in "$@"; do
    [[ $(realpath -m "$folder") == "$sources" ]] ||
        fail "the core's include folders are '$*', not $sources alone"
done

# The folders the compiler searches for its own headers, real paths, one a line.
system_folders=$("$compiler" -x c++ -E -v - </dev/null 2>&1 >/dev/null |
    sed -n '/^#include <...> search starts here:/,/^End of search list./{/^ /p}' |
    while read -r folder; do realpath -m "$folder"; done)

# The layer folder of the real path $1 under src/: empty when it is directly in src/ or in a
# folder without a layer.
folder_of() {
    local relative=${1#"$sources"/}
    [[ $relative == */* && -n ${layer[${relative%%/*}]:-} ]] && echo "${relative%%/*}"
}

# Judges that `includer` opened `included`, both real paths.
judge_include() {
    local includer=$1 included=$2 from to
    if [[ $included != "$sources"/* ]]; then
        while read -r folder; do
            [[ -n $folder && $included == "$folder"/* ]] && return
        done <<<"$system_folders"
        fail "$includer includes $included, outside src/ and the compiler's own headers"
        return
    fi
    from=$(folder_of "$includer")
    to=$(folder_of "$included")
    if [[ -z $from || $from == "$to" ]]; then
        return
    elif [[ ${included#"$sources"/} != */* ]]; then
        fail "$includer includes $included, a file directly in src/"
    elif [[ -z $to ]]; then
        fail "$includer includes $included, from a folder that has no layer"
    elif ((layer[$to] > layer[$from])); then
        fail "$includer ($from) includes $included from the higher layer '$to'"
    elif ((layer[$to] == layer[$from])) && [[ $to != "$from" ]]; then
        fail "$includer ($from) includes $included from the sibling '$to'"
    fi
}

while IFS= read -r -d '' file; do
    [[ -d $file ]] && continue # a link to a folder: its files are judged where they lie
    relative=${file#"$sources"/}
    if [[ $relative != */* ]]; then
        [[ $relative == CMakeLists.txt ]] || fail "$file is directly in src/, where no layer is"
        continue
    fi
    if [[ -z ${layer[${relative%%/*}]:-} ]]; then
        fail "$file is in the folder '${relative%%/*}', which has no layer"
        continue
    fi
    checked=$((checked + 1))
    if ! opened=$("$compiler" -std=c++17 -I- -I "$sources" -x c++ -E -H -o /dev/null "$file" 2>&1); then
        fail "$file cannot be preprocessed: $(grep -v "obsolete option" <<<"$opened")"
        continue
    fi
    # -H names each opened file after as many dots as it lies deep; its opener is the file last
    # named one level up. Real paths are found for all of them at once.
    mapfile -t lines < <(grep -E '^\.+ ' <<<"$opened")
    ((${#lines[@]} > 0)) || continue
    mapfile -t real < <(realpath -m -- "${lines[@]#* }")
    openers=("$(realpath -e "$file")")
    for index in "${!lines[@]}"; do
        dots=${lines[index]%% *}
        judge_include "${openers[${#dots} - 1]}" "${real[index]}"
        openers[${#dots}]=${real[index]}
    done
done < <(find "$sources" -mindepth 1 \( -type f -o -type l \) -print0 | sort -z)
((checked > 0)) || { echo "FAIL: no source files under $sources"; exit 1; }
((faults == 0)) || exit 1
echo "all $checked files include, as the compiler sees them, only from their own folder or the layers below"
