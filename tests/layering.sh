#!/usr/bin/env bash
# Fails when a source file under src/ includes a header from a higher layer, or from a sibling
# folder of its own layer, so every folder builds only on those below it. Layers, bottom to top:
# host, support, bot, then the features teamlock and commands (side by side), then entry.
# A folder missing from the list fails too, so a new folder must be given its place.
#   tests/layering.sh SOURCE_DIRECTORY
set -uo pipefail

if (($# != 1)); then
    echo "usage: $0 SOURCE_DIRECTORY" >&2
    exit 2
fi
declare -A layer=([host]=1 [support]=2 [bot]=3 [teamlock]=4 [commands]=4 [entry]=5)
faults=0
checked=0
while IFS= read -r file; do
    folder=${file#"$1"/}
    folder=${folder%%/*}
    if [[ -z ${layer[$folder]:-} ]]; then
        echo "FAIL: $file is in the folder '$folder', which has no layer"
        faults=$((faults + 1))
        continue
    fi
    checked=$((checked + 1))
    while IFS= read -r included; do
        target=${included%%/*}
        if [[ $included != */* ]]; then
            echo "FAIL: $file includes \"$included\", which names no folder"
            faults=$((faults + 1))
        elif [[ -z ${layer[$target]:-} ]]; then
            echo "FAIL: $file includes \"$included\" from '$target', which has no layer"
            faults=$((faults + 1))
        elif ((layer[$target] > layer[$folder])); then
            echo "FAIL: $file ($folder) includes \"$included\" from the higher layer '$target'"
            faults=$((faults + 1))
        elif ((layer[$target] == layer[$folder])) && [[ $target != "$folder" ]]; then
            echo "FAIL: $file ($folder) includes \"$included\" from the sibling '$target'"
            faults=$((faults + 1))
        fi
    done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "$1" -mindepth 2 -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
((checked > 0)) || { echo "FAIL: no source files under $1"; exit 1; }
((faults == 0)) || exit 1
echo "all $checked source files include only from their own folder or the layers below"
