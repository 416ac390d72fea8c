#!/usr/bin/env bash
# Proves that tests/layering.sh tells sound source trees from ones that break the layers: plants
# one file at a time in a small sound tree and fails unless the checker accepts exactly the sound
# ones, rejecting each planted include for the reason given.
#   tests/layering_selftest.sh [WORK_DIRECTORY]   (default: a fresh temporary directory)
set -uo pipefail

checker=$(cd "$(dirname "$0")" && pwd)/layering.sh
work=${1:-$(mktemp -d)}
mkdir -p "$work" && work=$(cd "$work" && pwd) || exit 1

# A tree that keeps the layers, with the include forms that are allowed: folders of their own and
# lower layers, quoted or in angle brackets, system headers with and without a folder, files that
# are not C++ and the build's description directly in src/.
make_sound_tree() {
    mkdir -p "$1"/host "$1"/support "$1"/bot "$1"/teamlock "$1"/commands "$1"/entry
    printf '#pragma once\n#include <cstdint>\n' >"$1"/host/Event.h
    printf '#pragma once\n#  include "host/Event.h"\n#include_next <sys/types.h>\n' \
        >"$1"/support/Text.h
    printf '#include "support/Text.h" // itself\n#include<host/Event.h>\n' >"$1"/support/Text.cpp
    printf '#pragma once\n%%:include "support/Text.h"\n' >"$1"/bot/Bot.h
    printf '#include "bot/Bot.h"\n/* #include "entry/Talk.h" is not a directive */\n' \
        >"$1"/teamlock/Lock.cpp
    printf '#include "bot/Bot.h"\r\n' >"$1"/commands/Commands.cpp
    printf '#include "teamlock/Lock.h"\n#include "commands/Commands.h"\n' >"$1"/entry/Talk.cpp
    printf '{ global: talk; local: *; };\n' >"$1"/entry/exports.map
    printf 'add_library(core STATIC)\n' >"$1"/CMakeLists.txt
}

# Each case: name | expected verdict | file planted in the sound tree (none for "") | its text,
# with \n for a new line. The verdict is "pass", or "fail: REASON" where REASON must appear in the
# checker's output, so a tree rejected for the wrong reason still counts as a wrong judgement.
cases=(
    "sound tree|pass||"
    "angle brackets from a higher layer|fail: includes <bot/Bot.h> from the higher layer|support/Low.cpp|#include <bot/Bot.h>"
    "spaced include in a .hpp|fail: includes \"entry/Talk.h\" from the higher layer|host/Extra.hpp|  #   include   \"entry/Talk.h\""
    "tabs and no space before the name|fail: includes <entry/Talk.h> from the higher layer|bot/Tabs.h|#\tinclude<entry/Talk.h>"
    "digraph include|fail: includes \"teamlock/Lock.h\" from the higher layer|bot/Digraph.h|%:include \"teamlock/Lock.h\""
    "include_next from a higher layer|fail: includes <entry/Talk.h> from the higher layer|host/Next.h|#include_next <entry/Talk.h>"
    "file of another extension|fail: includes \"entry/Talk.h\" from the higher layer|support/Table.inc|#include \"entry/Talk.h\""
    "file directly in src/|fail: directly in src/|Stray.cpp|#include \"host/Event.h\""
    "angle include of a file directly in src/|fail: a file directly in src/|host/Top.h|#include <CMakeLists.txt>"
    "sibling feature|fail: from the sibling 'commands'|teamlock/Reply.cpp|#include \"commands/Commands.h\""
    "folder without a layer|fail: in the folder 'extra', which has no layer|extra/Helper.h|#pragma once"
    "quoted include naming no folder|fail: which names no folder|support/Number.cpp|#include \"Text.h\""
    "include through a macro|fail: whose name cannot be read|host/Macro.h|#define HEADER \"entry/Talk.h\"\n#include HEADER"
    "comment inside the directive|fail: whose name cannot be read|host/Hidden.h|#/**/include \"entry/Talk.h\""
    "name continued on the next line|fail: whose name cannot be read|host/Split.h|#include \\\\\n\"entry/Talk.h\""
)

source "$(dirname "$0")/judge_cases.sh"
number=0
for entry in "${cases[@]}"; do
    number=$((number + 1))
    IFS='|' read -r name expected path text <<<"$entry"
    tree=$work/case$number/src
    rm -rf "$work/case$number"
    make_sound_tree "$tree"
    if [[ -n $path ]]; then
        mkdir -p "$(dirname "$tree/$path")"
        printf '%b\n' "$text" >"$tree/$path"
    fi
    if "$checker" "$tree" >"$work/case$number.log" 2>&1; then outcome=pass; else outcome=fail; fi
    judge_case "$name" "$expected" "$outcome" "$work/case$number.log"
done
report_judgements
