#!/usr/bin/env bash
# tarnhost at a real terminal, as a person uses it, as one table: each row is a behaviour, played
# in a tmux window of its own running an interactive shell (its own folder, HOME and
# XDG_STATE_HOME), where it types keys and waits, reading the screen, for what must show. Rows
# that need line editing run where tarnhost edits lines (MODE is ON); the others run in
# plain-line mode too (OFF), and those of a Windows console under wine (WINE: TARNHOST is
# tarnhost.exe). Exits 77 only when tmux is missing. ROWs named run alone.
#   terminal_test.sh TARNHOST MODULE MODE [ROW...]
set -uo pipefail

tarnhost=$(realpath "$1")
module=$(realpath "$2")
mode=$3
runner=()
checker=() # what runs tarnhost in the row that watches its memory
patience=200 # tenths of a second that anything may take to show
if ! grep -q __asan_init "$1" && command -v valgrind >/dev/null; then
    checker=(valgrind -q --error-exitcode=99)
fi
if [[ $mode == WINE ]]; then
    runner=("$(dirname "$(realpath "$0")")/../../cmake/wine-run")
    patience=600
fi
if ! command -v tmux >/dev/null; then
    echo "tmux is not installed: no terminal to drive"
    exit 77
fi
scratch=$(mktemp -d)
# A server of its own, reading no configuration, with a terminal type that every system knows.
terminal() { tmux -S "$scratch/socket" -f /dev/null "$@"; }
# Ends every window's tarnhost as a person does (Ctrl-C drops a half-typed line, then quit), so
# that it exits by itself and a coverage build keeps its counts; then every window's shell, and
# what runs in it, before the scratch folder goes.
finish() {
    local pane shell tries
    for pane in $(terminal list-panes -a -F '#{pane_id}' 2>/dev/null); do
        [[ $mode != WINE ]] || break # under wine, nothing of tarnhost is counted
        playing() {
            [[ $(terminal display-message -p -t "$pane" '#{pane_current_command}') == \
                "$(basename "$tarnhost")" ]]
        }
        if ! playing || ! keys "$pane" C-c || ! typed "$pane" quit || ! keys "$pane" Enter; then
            continue
        fi
        for ((tries = 0; tries < 50; tries++)); do
            playing || break
            sleep 0.1
        done
    done
    for shell in $(terminal list-panes -a -F '#{pane_pid}' 2>/dev/null); do
        terminal kill-server 2>/dev/null
        for ((tries = 0; tries < 50; tries++)); do
            kill -0 "$shell" 2>/dev/null || break
            sleep 0.1
        done
    done
    rm -rf "$scratch"
}
trap finish EXIT
if ! terminal new-session -d -s test -x 100 -y 30 </dev/null ||
    ! terminal set-option -g default-terminal screen >/dev/null; then
    echo "FAIL: tmux cannot start a session"
    exit 1
fi

# Opens window NAME: an interactive shell in $scratch/NAME, which is also its HOME, with its
# history in $scratch/NAME/state, in a UTF-8 locale; each VAR=VALUE given overrides. Where a
# coverage build keeps its counts (GCOV_PREFIX..., LLVM_PROFILE_FILE) passes through.
window() {
    local name=$1
    shift
    local counts=()
    [[ -z ${GCOV_PREFIX:-} ]] ||
        counts=(GCOV_PREFIX="$GCOV_PREFIX" GCOV_PREFIX_STRIP="${GCOV_PREFIX_STRIP:-0}")
    [[ -z ${LLVM_PROFILE_FILE:-} ]] || counts+=(LLVM_PROFILE_FILE="$LLVM_PROFILE_FILE")
    mkdir -p "$scratch/$name"
    terminal new-window -d -n "$name" -c "$scratch/$name" "$(printf '%q ' env -i PATH="$PATH" \
        HOME="$scratch/$name" XDG_STATE_HOME="$scratch/$name/state" LC_ALL=C.UTF-8 TERM=screen \
        PS1='$ ' HISTFILE= "${counts[@]}" "$@" bash --norc --noprofile)"
}

# The process id of window NAME's shell.
pane_shell() { terminal display-message -p -t "$1" '#{pane_pid}'; }

# Types TEXT into window NAME as it is; keys sends tmux key names (Enter, Tab, C-c, Up).
typed() { terminal send-keys -t "$1" -l "$2"; }
keys() { terminal send-keys -t "$@"; }

# The lines of window NAME's screen and scrollback, a wrapped line joined whole.
screen() { terminal capture-pane -p -J -S - -t "$1"; }

# Runs COMMAND... every tenth of a second until it succeeds, for up to 20 s (60 s under wine).
waits() {
    local tries
    for ((tries = 0; tries < patience; tries++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# Waits until COUNT lines (1 unless given) of window NAME's screen hold TEXT. When they never do,
# says so and shows the end of the screen.
shows() {
    local name=$1 text=$2 count=${3:-1}
    holds() { (($(screen "$name" | grep -cF -- "$text") >= count)); }
    waits holds && return 0
    echo "  window $name never showed '${text:0:80}' ($count times); its screen ends:"
    screen "$name" | grep -v '^$' | tail -n 8 | cut -c 1-120 | sed 's/^/    | /'
    return 1
}

# Waits until window NAME's shell prompts, its last line showing "$ " alone: keys typed before
# the shell has the terminal back from a stopped job may be dropped.
shell_prompts() {
    prompts() { [[ $(screen "$1" | sed 's/[[:blank:]]*$//' | grep -v '^$' | tail -n 1) == '$' ]]; }
    waits prompts "$1" || { echo "  window $1 never showed the shell's prompt" && return 1; }
}

# True when window NAME's screen and scrollback do not hold TEXT; says so when they do.
lacks() {
    if screen "$1" | grep -qF -- "$2"; then
        echo "  window $1 shows '$2'"
        return 1
    fi
}

# Starts tarnhost in window NAME with ARGUMENTS..., and waits for its first prompt; when it ends,
# the shell shows its exit status as [ended N].
start() {
    local name=$1
    shift
    local command
    command=$(printf '%q ' "${runner[@]}" "$tarnhost" --module "$module" "$@")
    typed "$name" "$command"'; echo "[ended $?]"' && keys "$name" Enter && shows "$name" "bot 1>"
}

# Under wine, Enter in window NAME: wine's console does not end the read under way on Ctrl-C, so
# the line is dropped as Enter ends it. The Ctrl-C event reaches tarnhost on a thread of its own,
# and nothing shows when it has: Enter waits 5 s, far longer than it takes on a loaded machine.
wine_console_ends_the_line() {
    [[ $mode != WINE ]] || { sleep 5 && keys "$1" Enter; }
}

# Types LINE (if any) and Enter into window NAME, then waits for TEXT (COUNT times).
answer() { { [[ -z $2 ]] || typed "$1" "$2"; } && keys "$1" Enter && shows "$1" "$3" "${4:-1}"; }

# The rows. Each plays its behaviour and fails at the first thing that does not show.
# (Where lines are edited, a line of blanks is kept out of the history. wine's console draws a
# character beyond U+FFFF as two replacement characters, so there the recording alone shows it.)
typing_any_utf8_text_in_a_utf8_locale_keeps_it_whole() {
    local shown="Zoé€𝒵 arrives in the arena"
    [[ $mode != WINE ]] || shown="Zoé€"
    window zoe && start zoe --record zoe.scn && answer zoe "arrive Zoé€𝒵" "  $shown" &&
        { [[ $mode != ON ]] || { answer zoe "  " "" && keys zoe Up &&
            shows zoe "bot 1> arrive Zoé€𝒵" 2 && keys zoe C-u; }; } &&
        answer zoe quit "[ended 0]" && grep -qx "arrive Zoé€𝒵" "$scratch/zoe/zoe.scn"
}

typing_any_utf8_text_in_the_c_locale_keeps_its_bytes_whole() {
    window c-locale LC_ALL=C && start c-locale --record zoe.scn &&
        answer c-locale "arrive Zoé" "  Zoé arrives in the arena" &&
        answer c-locale quit "[ended 0]" && grep -qx "arrive Zoé" "$scratch/c-locale/zoe.scn"
}

a_resize_keeps_the_session_and_the_line_being_typed() {
    window resize && start resize && typed resize "arrive Ac" && shows resize "bot 1> arrive Ac" &&
        terminal resize-window -t resize -x 60 -y 20 && answer resize "e" "  Ace arrives" &&
        lacks resize "Acbot 1>" # the line drawn once, not again after itself
}

# Under valgrind where the build has no sanitizer of its own: memory stays whole while the
# window narrows, step by step, to one column and one row and back, with keys typed at each size.
narrowing_to_one_column_and_row_while_typing_keeps_memory_whole() {
    local runner=("${checker[@]}" "${runner[@]}") size
    window narrow && start narrow && typed narrow "arrive Narrowly" && shows narrow "Narrowly" &&
        for size in "10 5" "3 2" "1 1" "2 1" "1 3" "1 1"; do
            terminal resize-window -t narrow -x "${size% *}" -y "${size#* }" && sleep 0.3 &&
                typed narrow "ab" && keys narrow Left BSpace && sleep 0.3 || return 1
        done && terminal resize-window -t narrow -x 100 -y 30 && keys narrow C-u &&
        answer narrow "arrive Nar" "  Nar arrives" && answer narrow quit "[ended 0]"
}

# The shell around tarnhost shares its process group, and outlives it.
a_signal_ends_tarnhost_alone_never_its_process_group() {
    local command
    command=$(printf '%q ' "${runner[@]}" "$tarnhost" --module "$module")
    window alone && typed alone "sh -c '$command; echo \"[its group\" \"lives on]\"'" &&
        keys alone Enter && shows alone "bot 1>" &&
        kill -TERM "$(pgrep -P "$(pgrep -P "$(pane_shell alone)")")" &&
        shows alone "[its group lives on]"
}

# With no UTF-8 locale at all (LOCPATH empty), text typed keeps its bytes, and a byte that is not
# UTF-8 is kept as a file keeps it.
typing_with_no_utf8_locale_on_the_machine_keeps_every_byte() {
    mkdir -p "$scratch/no-locales" && echo "leak:__argz_add_sep" >"$scratch/c-library.supp"
    # The C library keeps the search path of a locale it could not find.
    window bare LOCPATH="$scratch/no-locales" LSAN_OPTIONS=suppressions="$scratch/c-library.supp" &&
        start bare --record bare.scn &&
        answer bare "arrive Zoé" "  Zoé arrives" && typed bare "arrive Z" && keys bare -H e9 &&
        answer bare "" '  Z\xE9 arrives' && typed bare "arrive Y" && keys bare -H 80 &&
        answer bare "" '  Y\x80 arrives' && answer bare quit "[ended 0]" &&
        grep -qx "arrive Zoé" "$scratch/bare/bare.scn" &&
        grep -qx $'arrive Z\xe9' "$scratch/bare/bare.scn"
}

a_recording_removed_mid_session_ends_it_naming_the_file() {
    mkdir -p "$scratch/removed/gone"
    window removed && start removed --record gone/rec.scn && answer removed "arrive Ann" "  Ann" &&
        rm -r "$scratch/removed/gone" && answer removed "arrive Bo" \
        "write error on gone/rec.scn: it was removed or replaced while recording" &&
        shows removed "[ended 2]"
}

ctrl_z_then_fg_resumes_the_session_and_the_line_being_typed() {
    window stop && start stop && typed stop "arrive Be" && shows stop "bot 1> arrive Be" &&
        keys stop C-z && shows stop "[ended 148]" && shell_prompts stop &&
        answer stop fg "bot 1> arrive Be" 2 && answer stop "a" "  Bea arrives"
}

ctrl_c_cancels_the_line_being_typed_and_prompts_again() {
    window cancel && start cancel && typed cancel "arrive Xa" && shows cancel "bot 1> arrive Xa" &&
        keys cancel C-c && wine_console_ends_the_line cancel && shows cancel "bot 1>" 2 &&
        answer cancel "arrive Yo" "  Yo arrives" && lacks cancel "Xa arrives"
}

# With its output going to a file, tarnhost reads plain lines from the terminal: Ctrl-C still drops
# the line being typed, and the session goes on.
output_to_a_file_reads_plain_lines_and_ctrl_c_drops_the_line_being_typed() {
    local command
    command=$(printf '%q ' "${runner[@]}" "$tarnhost" --module "$module")
    prompted() { grep -q "bot 1> " "$scratch/plain/out"; }
    window plain && typed plain "$command >out; echo \"[ended \$?]\"" && keys plain Enter &&
        waits prompted && sleep 0.5 && typed plain "arrive Xa" && keys plain C-c &&
        answer plain "arrive Yo" "" && answer plain quit "[ended 0]" &&
        grep -q "  Yo arrives" "$scratch/plain/out" && ! grep -q "Xa arrives" "$scratch/plain/out"
}

ctrl_d_ends_the_session() {
    window end && start end && keys end C-d && shows end "[ended 0]"
}

an_unknown_word_names_the_nearest_whatever_its_case_or_swapped_letters() {
    window nearest && start nearest &&
        answer nearest hlep "unknown verb 'hlep' (did you mean 'help'?)" &&
        answer nearest qiut "unknown verb 'qiut' (did you mean 'quit'?)" &&
        answer nearest tikc "unknown verb 'tikc' (did you mean 'tick'?)" &&
        answer nearest "ARRIVE Ace" "unknown verb 'ARRIVE' (did you mean 'arrive'?)" &&
        answer nearest "help arive" "no help on 'arive' (did you mean 'arrive'?)" &&
        answer nearest "event arive" "unknown event 'arive' (did you mean 'arrive'?)"
}

a_pasted_line_of_100_kb_is_read_whole() {
    printf 'x%.0s' {1..102400} >"$scratch/pasted"
    window paste && start paste && terminal load-buffer "$scratch/pasted" &&
        terminal paste-buffer -t paste && keys paste Enter && shows paste "(102400 bytes)" &&
        answer paste quit "[ended 0]"
}

tab_quotes_the_names_it_completes_and_completes_every_word() {
    window tab && start tab && answer tab 'player "Ann Lee"' "Ann Lee is in the arena" &&
        answer tab 'flag "north #2"' "flag north #2 lies on the field" &&
        typed tab "command An" && keys tab Tab && shows tab 'bot 1> command "Ann Lee"' &&
        answer tab "!about" "Ann Lee, privately: When one team owns all the flags" &&
        typed tab "event flag-g" && keys tab Tab && typed tab "@An" && keys tab Tab &&
        typed tab "%no" && keys tab Tab &&
        answer tab "" "the host sends event 24 (grab) with @Ann Lee %north #2" &&
        typed tab 'set-flag "nor' && keys tab Tab && typed tab "team non" && keys tab Tab &&
        answer tab "" "flag north #2 now belongs to nobody" &&
        typed tab "effects of" && keys tab Tab && answer tab "" "game-server effects off" &&
        typed tab "xq" && keys tab Tab && answer tab "z" "unknown verb 'xqz'" &&
        typed tab "ar" && keys tab Tab && shows tab "arena-enter  arena-leave  arrive" &&
        typed tab "rive Cy" && keys tab Enter && shows tab "  Cy arrives"
}

two_sessions_at_once_keep_all_their_lines_in_the_history() {
    local shared=XDG_STATE_HOME=$scratch/shared
    window first "$shared" && window second "$shared" && start first && start second &&
        answer first "arrive One" "  One arrives" && answer second "arrive Two" "  Two arrives" &&
        keys first C-d && shows first "[ended 0]" && keys second C-d &&
        shows second "[ended 0]" && window third "$shared" && start third && keys third Up &&
        shows third "bot 1> arrive Two" && keys third Up && shows third "bot 1> arrive One"
}

a_session_whose_terminal_hangs_up_keeps_its_history() {
    local shared=XDG_STATE_HOME=$scratch/hung
    window hangs "$shared" && start hangs && answer hangs "arrive Hup" "  Hup arrives" &&
        terminal kill-window -t hangs && window after "$shared" && start after && keys after Up &&
        shows after "bot 1> arrive Hup"
}

the_history_file_is_cut_to_its_last_1000_lines_through_a_symbolic_link() {
    local file=$scratch/bounded/kept link=$scratch/bounded/state/tarnhost/history
    # Its last line as earlier versions wrote it: a byte as \NNN, a backslash doubled; a backslash
    # before anything else is kept.
    mkdir -p "${link%/*}" && { echo _HiStOrY_V2_ && seq -f "arrive P%g" 1499 &&
        echo 'arrive Z\303\251\\ｚ\1'; } >"$file" && ln -s ../../kept "$link" &&
        window bounded && start bounded && keys bounded Up && shows bounded 'bot 1> arrive Zé\ｚ\1' &&
        keys bounded C-u && answer bounded quit "[ended 0]" && [[ -L $link ]] &&
        (($(wc -l <"$file") == 1 + 1000 + 1)) # its first line, the last 1000, and quit
}

a_fifo_in_place_of_the_history_is_never_waited_on() {
    mkdir -p "$scratch/fifo/state/tarnhost" && mkfifo "$scratch/fifo/state/tarnhost/history" &&
        window fifo && start fifo && answer fifo "arrive Fi" "  Fi arrives" &&
        answer fifo quit "[ended 0]"
}

a_relative_xdg_state_home_is_ignored_for_home_and_a_relative_home_too() {
    local home=HOME=$scratch/relative
    window relative XDG_STATE_HOME=state && start relative &&
        answer relative "arrive Rel" "  Rel arrives" && keys relative C-d &&
        shows relative "[ended 0]" && window elsewhere "$home" XDG_STATE_HOME=state &&
        start elsewhere && keys elsewhere Up && shows elsewhere "bot 1> arrive Rel" &&
        window homeless HOME=home XDG_STATE_HOME=state && start homeless &&
        answer homeless "arrive Rh" "  Rh arrives" && answer homeless quit "[ended 0]" &&
        [[ ! -e $scratch/homeless/home && ! -e $scratch/homeless/state ]]
}

rows=(
    typing_any_utf8_text_in_a_utf8_locale_keeps_it_whole
    ctrl_c_cancels_the_line_being_typed_and_prompts_again
)
if [[ $mode != WINE ]]; then
    rows+=(
        typing_any_utf8_text_in_the_c_locale_keeps_its_bytes_whole
        a_resize_keeps_the_session_and_the_line_being_typed
        ctrl_d_ends_the_session
        an_unknown_word_names_the_nearest_whatever_its_case_or_swapped_letters
        a_signal_ends_tarnhost_alone_never_its_process_group
        a_recording_removed_mid_session_ends_it_naming_the_file
        output_to_a_file_reads_plain_lines_and_ctrl_c_drops_the_line_being_typed
    )
fi
if [[ $mode == ON ]]; then
    rows+=(
        ctrl_z_then_fg_resumes_the_session_and_the_line_being_typed
        a_pasted_line_of_100_kb_is_read_whole
        tab_quotes_the_names_it_completes_and_completes_every_word
        two_sessions_at_once_keep_all_their_lines_in_the_history
        a_session_whose_terminal_hangs_up_keeps_its_history
        the_history_file_is_cut_to_its_last_1000_lines_through_a_symbolic_link
        a_fifo_in_place_of_the_history_is_never_waited_on
        a_relative_xdg_state_home_is_ignored_for_home_and_a_relative_home_too
        narrowing_to_one_column_and_row_while_typing_keeps_memory_whole
        typing_with_no_utf8_locale_on_the_machine_keeps_every_byte
    )
fi
if (($# > 3)); then
    rows=("${@:4}")
fi
failures=0
for row in "${rows[@]}"; do
    if ! "$row"; then
        echo "FAIL: ${row//_/ }"
        failures=$((failures + 1))
    fi
done
echo "$((${#rows[@]} - failures)) passed, $failures failed"
((failures == 0))
