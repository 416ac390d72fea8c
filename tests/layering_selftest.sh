#!/usr/bin/env bash
# Proves that tests/layering.sh tells sound source trees from ones that break the layers: plants
# one file at a time (and a link) in a small sound tree and fails unless the checker accepts
# exactly the sound ones, rejecting each planted include for the reason given.
#   tests/layering_selftest.sh [WORK_DIRECTORY]   (default: a fresh temporary directory)
set -uo pipefail

checker=$(cd "$(dirname "$0")" && pwd)/layering.sh
work=${1:-$(mktemp -d)}
mkdir -p "$work" && work=$(cd "$work" && pwd) || exit 1

# A tree that keeps the layers, with the include forms that are allowed: folders of their own and
# lower layers, quoted or in angle brackets, the compiler's own headers with and without a folder,
# files that are not C++ and the build's description directly in src/. Beside src/, a header
# that no file of src/ may include.
make_sound_tree() {
    mkdir -p "$1"/host "$1"/support "$1"/bot "$1"/teamlock "$1"/commands "$1"/entry "$1"/../outside
    printf '#pragma once\n#include <cstdint>\n' >"$1"/host/Event.h
    printf '#pragma once\n#  include "host/Event.h"\n#include <sys/types.h>\n' >"$1"/support/Text.h
    printf '#include "support/Text.h" // itself\n#include<host/Event.h>\n' >"$1"/support/Text.cpp
    printf '#pragma once\n%%:include "support/Text.h"\n' >"$1"/bot/Bot.h
    printf '#pragma once\n#include "bot/Bot.h"\n' >"$1"/teamlock/Lock.h
    printf '#include "teamlock/Lock.h"\n/* #include "entry/Talk.h" is not a directive */\n' \
        >"$1"/teamlock/Lock.cpp
    printf '#pragma once\n#include "bot/Bot.h"\r\n' >"$1"/commands/Commands.h
    printf '#pragma once\n' >"$1"/entry/Talk.h
    printf '#include "teamlock/Lock.h"\n#include "commands/Commands.h"\n' >"$1"/entry/Talk.cpp
    printf '{ global: talk; local: *; };\n' >"$1"/entry/exports.map
    printf 'add_library(core STATIC)\n' >"$1"/CMakeLists.txt
    printf '#pragma once\n' >"$1"/../outside/Thing.h
}

# Each case: name | expected verdict | file planted in the sound tree (none for "") | its text,
# with \n for a new line | a symbolic link planted too, as LINK=TARGET (optional). The verdict is
# "pass", or "fail: REASON" where REASON must appear in the checker's output, so a tree rejected
# for the wrong reason still counts as a wrong judgement.
cases=(
    "sound tree|pass||"
    "angle brackets from a higher layer|fail: from the higher layer 'bot'|support/Low.cpp|#include <bot/Bot.h>"
    "spaced include in a .hpp|fail: from the higher layer 'entry'|host/Extra.hpp|  #   include   \"entry/Talk.h\""
    "tabs and no space before the name|fail: from the higher layer 'entry'|bot/Tabs.h|#\tinclude<entry/Talk.h>"
    "digraph include|fail: from the higher layer 'teamlock'|bot/Digraph.h|%:include \"teamlock/Lock.h\""
    "include_next from a higher layer|fail: from the higher layer 'entry'|host/Next.h|#include_next <entry/Talk.h>"
    "file of another extension|fail: from the higher layer 'entry'|support/Table.inc|#include \"entry/Talk.h\""
    "file directly in src/|fail: directly in src/, where no layer is|Stray.cpp|#include \"host/Event.h\""
    "angle include of a file directly in src/|fail: a file directly in src/|host/Top.h|#include <CMakeLists.txt>"
    "sibling feature|fail: from the sibling 'commands'|teamlock/Reply.cpp|#include \"commands/Commands.h\""
    "folder without a layer|fail: in the folder 'extra', which has no layer|extra/Helper.h|#pragma once"
    "quoted include naming no folder|fail: cannot be preprocessed|support/Number.cpp|#include \"Text.h\""
    "include through a macro|fail: from the higher layer 'entry'|host/Macro.h|#define HEADER \"entry/Talk.h\"\n#include HEADER"
    "comment inside the directive|fail: from the higher layer 'entry'|host/Hidden.h|#/**/include \"entry/Talk.h\""
    "name continued on the next line|fail: from the higher layer 'entry'|host/Split.h|#include \\\\\n\"entry/Talk.h\""
    "path that climbs back into src/|fail: from the higher layer 'entry'|support/Climb.h|#include \"host/../entry/Talk.h\""
    "comment before the include|fail: from the higher layer 'entry'|support/Before.h|/* note */ #include \"entry/Talk.h\""
    "comment closing before the include|fail: from the higher layer 'entry'|support/Open.h|/* a note\n   over two lines */ #include \"entry/Talk.h\""
    "hash then include on the next line|fail: from the higher layer 'entry'|support/Hash.h|#\\\\\ninclude \"entry/Talk.h\""
    "directive split inside its word|fail: from the higher layer 'entry'|support/Word.h|#inc\\\\\nlude \"entry/Talk.h\""
    "folder reached through a symbolic link|fail: from the higher layer 'entry'|support/Linked.h|#include \"support/up/Talk.h\"|support/up=../entry"
    "header outside src/|fail: outside src/ and the compiler's own headers|host/Out.h|#include \"../outside/Thing.h\""
    "include folder other than src/ alone|fail: not|||--extra-folder"
    "include that cannot be found|fail: cannot be preprocessed|bot/Missing.h|#include \"bot/Gone.h\""
)

source "$(dirname "$0")/judge_cases.sh"
number=0
for entry in "${cases[@]}"; do
    number=$((number + 1))
    IFS='|' read -r name expected path text link <<<"$entry"
    tree=$work/case$number/src
    rm -rf "$work/case$number"
    make_sound_tree "$tree"
    if [[ -n $path ]]; then
        mkdir -p "$(dirname "$tree/$path")"
        printf '%b\n' "$text" >"$tree/$path"
    fi
    folders=("$tree")
    if [[ $link == --extra-folder ]]; then
        folders+=("$work/case$number")
    elif [[ -n $link ]]; then
        ln -s "${link#*=}" "$tree/${link%%=*}"
    fi
    if "$checker" "$tree" "${folders[@]}" >"$work/case$number.log" 2>&1; then
        outcome=pass
    else
        outcome=fail
    fi
    judge_case "$name" "$expected" "$outcome" "$work/case$number.log"
done
report_judgements
