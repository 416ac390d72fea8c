#!/usr/bin/env bash
# The references agree with the program and with each other. Fails, naming each difference, when
# an option of `tarnhost --help` is missing from the manual page's OPTIONS or the manual names an
# option that --help lacks, when a verb that tarnhost's `help` lists has no entry in THE SCENARIO
# LANGUAGE, when groff warns while formatting the page, or when the README's checksum steps (the
# text between its "checking-the-download" markers) differ from their one source, whose
# @VERSION@ the README writes as VERSION.
#   docs_check.sh TARNHOST MANUAL README CHECKSUM_STEPS
set -uo pipefail

tarnhost=$1
manual=$2
readme=$3
steps=$4

# Reports a difference; the check it belongs to fails.
fail() {
    echo "FAIL: $*"
    return 1
}

# The option names in standard input: -x and --word, each once, wherever they stand.
option_names() { grep -oE '(^|[ ,(;])--?[a-z][a-z-]*' | sed 's/^[ ,(;]//' | sort -u; }

# The text of the tag lines (the line after .TP or .TQ) of section NAME of the manual, as words:
# dashes, quotes and font changes taken out.
tag_lines() {
    awk -v section="$1" '
        /^\.SH / { inside = (substr($0, 5) == section || substr($0, 5) == "\"" section "\"") }
        inside && tag { print; tag = 0; next }
        inside && /^\.T[PQ]/ { tag = 1 }' "$manual" |
        sed -e 's/^\.[A-Z]* *//' -e 's/\\f[A-Z]//g' -e 's/\\-/-/g' -e 's/"//g'
}

# Options, both ways.
options_agree() {
    local help_options manual_options option status=0
    help_options=$("$tarnhost" --help | option_names)
    manual_options=$(tag_lines OPTIONS | option_names)
    [[ -n $help_options ]] || fail "tarnhost --help names no option" || status=1
    for option in $(comm -23 <(echo "$help_options") <(echo "$manual_options")); do
        fail "tarnhost --help names $option, which the manual's OPTIONS lacks" || status=1
    done
    for option in $(comm -13 <(echo "$help_options") <(echo "$manual_options")); do
        fail "the manual's OPTIONS names $option, which tarnhost --help lacks" || status=1
    done
    return $status
}

# Each verb that `help` lists is the first word of an entry, or follows a comma in one ("quit,
# exit").
every_verb_has_an_entry() {
    local verbs entries verb status=0
    verbs=$(printf 'help\n' | "$tarnhost" - | sed -n 's/^  \([a-z][a-z-]*\)\( .*\)\{0,1\}$/\1/p' |
        sort -u)
    entries=$(tag_lines "THE SCENARIO LANGUAGE" | sed 's/ *, */,/g' | cut -d ' ' -f 1 |
        tr ',' '\n' | sort -u)
    [[ -n $verbs ]] || fail "tarnhost's help lists no verb" || status=1
    for verb in $(comm -23 <(echo "$verbs") <(echo "$entries")); do
        fail "the verb $verb has no entry in the manual's THE SCENARIO LANGUAGE" || status=1
    done
    return $status
}

# The page formats without a warning.
the_page_formats_without_warnings() {
    local warnings
    warnings=$(groff -man -ww -z "$manual" 2>&1) && [[ -z $warnings ]] ||
        fail "groff warns on the manual: ${warnings:-it exits non-zero}"
}

# The README's checksum steps are their source's.
the_readme_keeps_the_checksum_steps() {
    local in_readme in_source
    in_readme=$(sed -n '/^<!-- checking-the-download -->$/,/^<!-- end of checking-the-download -->$/p' \
        "$readme" | sed '1d;$d')
    in_source=$(sed 's/@VERSION@/VERSION/g' "$steps")
    [[ $in_readme == "$in_source" ]] || fail "the README's checksum steps differ from \
$(basename "$steps"): $(diff <(echo "$in_readme") <(echo "$in_source") | head -n 4 | tr '\n' ' ')"
}

checks=(options_agree every_verb_has_an_entry the_page_formats_without_warnings
    the_readme_keeps_the_checksum_steps)
failures=0
for check in "${checks[@]}"; do
    "$check" || failures=$((failures + 1))
done
echo "$((${#checks[@]} - failures)) passed, $failures failed"
((failures == 0))
