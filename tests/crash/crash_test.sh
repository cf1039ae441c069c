#!/usr/bin/env bash
# Crash test of the real program: drives shows under a private X server, kills the program with
# SIGKILL at random moments (rolling, just after the step that saves a round, winners screen,
# prize screen, setup window) and checks after every kill and every restart that nothing
# committed was lost or damaged. Then ends it once with SIGTERM after a settings edit made in
# the window, which must save everything and exit 0 within a second.
#
#   crash_test.sh PROGRAM_FOLDER [KILLS=8] [SEED=1]
#
# Environment: CRASH_BUSY=N starts N busy loops for the whole run; KEEP=1 keeps the work folder.
# Exit 0 all passed, 1 a check failed (the folder is kept), 2 bad use, 77 no X tools.
set -u

if [ $# -lt 1 ] || [ $# -gt 3 ]; then
    echo "usage: $0 PROGRAM_FOLDER [KILLS] [SEED]" >&2
    exit 2
fi
SRC=$(cd "$1" && pwd) || exit 2
KILLS=${2:-8}
SEED=${3:-1}
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/lib.sh"
require_tools import
check_program_folder "$SRC"
# The same choices for the same seed (the program's own timing still varies).
RANDOM=$SEED

begin_run crash
TRACE=$WORK/trace.log

trace() { echo "$(date +%T.%N | cut -c1-12) $*" >>"$TRACE"; }

# Fails with the evidence: a screenshot, the end of the trace, the record and the winners.
fail() {
    FAILED=1
    [ -n "${DISPLAY:-}" ] && x_retry import -window root "$WORK/failure.png" 2>/dev/null
    {
        echo "FAIL: $*"
        echo "event folder: $APP"
        echo "--- last steps ($TRACE)"
        tail -n 25 "$TRACE"
        echo "--- draw record (last 6 lines)"
        [ -f "$APP/draw-record.jsonl" ] && tail -n 6 "$APP/draw-record.jsonl" | cut -c1-400
        echo "--- files"
        ls -la "$APP" | grep -v -e ' image$' -e ' music$' -e ' sound$' -e ' example$'
        [ -f "$WORK/failure.png" ] && echo "screenshot: $WORK/failure.png"
    } >&2
    trace "FAIL: $*"
    exit 1
}

start_busy "${CRASH_BUSY:-0}"

start_xvfb "$WORK"
program_env "$WORK"
trace "display $DISPLAY, program $SRC, kills $KILLS, seed $SEED, busy ${CRASH_BUSY:-0}"

EVENT=0
APP=
new_event() {
    # A finished event's folder has passed its checks; only the failing one is kept.
    [ -n "$APP" ] && rm -rf "$APP"
    EVENT=$((EVENT + 1))
    APP=$WORK/event-$EVENT
    copy_program "$SRC" "$APP"
    write_event "$APP"
    PENDING_VOID=
    LINES_AT_KILL=0
    trace "event $EVENT in $APP"
}

# Starts the program in the event folder and waits for its setup window.
MAIN=
start_program() {
    launch_program "$APP" || fail "no setup window within 60 s (pid $PID; program.log: $(tail -n 3 "$APP/program.log"))"
    trace "started pid $PID, window $MAIN"
}

kill_program() {  # label
    local boxes
    boxes=$(message_boxes)
    [ -z "$boxes" ] || fail "a message box was open before the kill ($1): the program reported something"
    kill -9 "$PID" 2>/dev/null
    wait "$JOB"
    trace "SIGKILL ($1)"
    wait_windows_gone || fail "the windows of the killed program stayed on screen"
    PID=
}

# Run in the background: SIGKILL as soon as the record has changed (0) or data.xml.saving
# exists (1), or after about two seconds when neither happens.
kill_when() {
    local n
    for ((n = 0; n < 100000; n++)); do
        if (($1 == 0)); then
            [ "$APP/draw-record.jsonl" -nt "$WORK/stamp" ] && break
        else
            [ -e "$APP/data.xml.saving" ] && break
        fi
    done
    kill -9 "$PID"
}

# Ends the program like a logout; it must exit 0 within 10 s (the timed check is separate).
term_program() {
    local start rc
    start=$(now_ms)
    kill -TERM "$PID"
    while kill -0 "$PID" 2>/dev/null && (($(now_ms) - start < 10000)); do sleep 0.02; done
    kill -0 "$PID" 2>/dev/null && fail "still running 10 s after SIGTERM"
    wait "$JOB"
    rc=$?
    TERM_MS=$(($(now_ms) - start))
    trace "SIGTERM: exit $rc after $TERM_MS ms"
    wait_windows_gone || fail "the windows stayed on screen after the exit"
    PID=
    [ "$rc" = 0 ] || fail "exit code $rc after SIGTERM (program.log: $(tail -n 3 "$APP/program.log"))"
}

verify_record() {
    if [ ! -e "$APP/draw-record.jsonl" ]; then
        # No show was ever started here: there is nothing to verify, and no winner either.
        [ -z "$(data_winner_elements "$APP/data.xml")" ] || fail "winners in data.xml but no draw record"
        return
    fi
    "$APP/vantoria" --verify "$APP" >"$APP/verify.out" 2>&1
    local rc=$?
    [ "$rc" = 0 ] || fail "vantoria --verify exit $rc: $(cat "$APP/verify.out")"
}

# Checks of the files left behind by a kill (or an exit). Sets PENDING_VOID to the line of a
# last round that never reached data.xml: the next start must void it.
KILLS_WITH_SAVING=0
KILLS_WITH_UNSAVED_ROUND=0
check_files() {  # allow_unsaved_last_round (1 after SIGKILL, 0 after a clean exit)
    local f rows winners last keyset line type prize cand time n dup
    for f in data.xml cd.xml; do
        xmllint --noout "$APP/$f" 2>"$WORK/xmllint.out" || fail "$f is not well-formed: $(head -c 300 "$WORK/xmllint.out")"
    done
    n=$(xmllint --xpath 'count(//Vantoria/CandidateList/Candidate)' "$APP/cd.xml")
    [ "$n" = "$EVENT_CANDIDATES" ] || fail "cd.xml holds $n candidates, not $EVENT_CANDIDATES"
    winners=$(data_winners "$APP/data.xml") || fail "data.xml has a Winner element that cannot be read"
    dup=$(cut -f2 <<<"$winners" | grep . | sort | uniq -d | head -n 3)
    [ -z "$dup" ] || fail "candidate(s) $(echo $dup) won twice in data.xml"
    rows=$(record_rows "$APP/draw-record.jsonl")
    cut -f2 <<<"$rows" | grep -qx -e torn -e unparsed &&
        fail "the draw record has a damaged line: $(grep -e $'\ttorn' -e $'\tunparsed' <<<"$rows" | head -n 2)"
    last=$(record_lines "$APP/draw-record.jsonl")
    # Keys "prize candidate time" of data.xml and of the voided and committed rounds.
    local -A in_data=() voided=() committed=()
    while IFS=$'\t' read -r prize cand time; do
        [ -n "$prize" ] && in_data["$prize $cand $time"]=1
    done <<<"$winners"
    while IFS=$'\t' read -r line type prize cand time; do
        [ "$type" = void-interrupted ] && voided["$prize $cand $time"]=1
    done <<<"$rows"
    # Per round line: voided whole, saved whole, or (only the last line after a kill) not saved.
    local -A saved=() void_n=() size=()
    while IFS=$'\t' read -r line type prize cand time; do
        [ "$type" = round ] && [ -n "$cand" ] || continue
        keyset="$prize $cand $time"
        size[$line]=$((${size[$line]:-0} + 1))
        [ -n "${in_data[$keyset]:-}" ] && saved[$line]=$((${saved[$line]:-0} + 1))
        [ -n "${voided[$keyset]:-}" ] && void_n[$line]=$((${void_n[$line]:-0} + 1))
        committed["$keyset"]=1
    done <<<"$rows"
    PENDING_VOID=
    for line in "${!size[@]}"; do
        local s=${saved[$line]:-0} v=${void_n[$line]:-0} z=${size[$line]}
        if ((v > 0)); then
            ((v == z)) || fail "record line $line: only $v of its $z winners were voided"
            ((s == 0)) || fail "record line $line was voided as interrupted, yet $s of its winners are in data.xml"
        elif ((s != z)); then
            ((s == 0)) || fail "record line $line: only $s of its $z winners are in data.xml (a round saved in part)"
            if [ "$1" = 1 ] && [ "$line" = "$last" ]; then
                PENDING_VOID=$line
            else
                fail "committed round lost: record line $line (prize $(grep "^$line"$'\tround\t' <<<"$rows" | head -n1 | cut -f3,5 --output-delimiter=', time ')) is not in data.xml"
            fi
        fi
    done
    # Every winner of data.xml comes from a committed round.
    while IFS=$'\t' read -r prize cand time; do
        [ -n "$prize" ] || continue
        [ -n "${committed["$prize $cand $time"]:-}" ] || fail "winner $cand of prize $prize ($time) in data.xml has no round in the draw record"
    done <<<"$winners"
    LINES_AT_KILL=$last
}

# After a restart: leftovers removed, an unsaved last round voided (and nothing else written),
# and the record verifies.
check_restart() {
    local left n expect rows
    left=$(ls "$APP" | grep '\.saving$')
    [ -z "$left" ] || fail "temporary file(s) left after the restart: $left"
    [ -z "$(message_boxes)" ] || fail "a message box appeared at start"
    n=$(record_lines "$APP/draw-record.jsonl")
    expect=$LINES_AT_KILL
    if [ -n "$PENDING_VOID" ]; then
        expect=$((expect + $(record_rows "$APP/draw-record.jsonl" | grep -c "^$PENDING_VOID"$'\tround\t')))
    fi
    [ "$n" = "$expect" ] || fail "the record has $n lines after the restart, expected $expect (unsaved round: ${PENDING_VOID:-none})"
    if [ -n "$PENDING_VOID" ]; then
        check_files 0  # the voided round must now be void, not pending
    fi
    verify_record
}

# The show: key presses step welcome(0) -> prize(1) -> rolling(2) -> winners(3) -> prize(1)
# ... -> finished(4); ROUNDS_LEFT follows the rounds committed.
STATE=0
ROUNDS_LEFT=0
step() {
    local key=space
    ((RANDOM % 4 == 0)) && key=Return
    xdo key "$key"
    case $STATE in
    0) STATE=1 ;;
    1) STATE=2 ;;
    2) STATE=3; ROUNDS_LEFT=$((ROUNDS_LEFT - 1)) ;;
    3) if ((ROUNDS_LEFT > 0)); then STATE=1; else STATE=4; fi ;;
    esac
    trace "$key -> state $STATE (rounds left $ROUNDS_LEFT)"
}
pause() { sleep_ms $(($1 + RANDOM % ($2 - $1 + 1))); }

open_show() {
    local w
    STATE=0
    click_start "$MAIN"
    w=$(wait_window show_window 20000 "$PID") || fail "the show did not open within 20 s"
    trace "show open ($w)"
    pause 100 400
}
# Esc leaves the welcome and finished screens at once and asks first everywhere else.
press_escape() {
    xdo key Escape
    trace "Esc (state $STATE)"
    if [ "$STATE" != 0 ] && [ "$STATE" != 4 ]; then
        sleep 0.1
        xdo key y
        trace "y to leave"
    fi
}
leave_show() {
    press_escape
    wait_window main_window 10000 "$PID" >/dev/null || fail "no setup window after Esc"
    local n
    for ((n = 0; n < 100; n++)); do show_window >/dev/null || break; sleep 0.05; done
    STATE=0
}
# Steps on until the given state (or finished when no round is left); 0 means stay.
advance_to() {
    [ "$1" = 0 ] && return
    while [ "$STATE" != "$1" ] && [ "$STATE" != 4 ]; do
        step
        if [ "$STATE" = 2 ]; then pause 60 500; else pause 40 300; fi
    done
}

# Taken in turn from a random start, so a short run meets every kind; saves, the moments that
# matter most, come three times in seven, and their three kinds in turn as well.
MODES=(rolling saving winners saving prize saving setup)
MODE_AT=$((RANDOM % ${#MODES[@]}))
SAVE_KINDS=(record tmpfile random)
SAVE_AT=$((RANDOM % ${#SAVE_KINDS[@]}))
declare -A MODE_COUNT=()
drive_and_kill() {
    local mode=${MODES[MODE_AT++ % ${#MODES[@]}]} rounds=$((RANDOM % 3)) target how n
    ROUNDS_LEFT=$(remaining_rounds "$APP")
    trace "cycle: mode $mode, $rounds whole rounds first, $ROUNDS_LEFT rounds left"
    if [ "$mode" = setup ] && ((RANDOM % 3 == 0)); then
        pause 0 800
        MODE_COUNT[setup]=$((${MODE_COUNT[setup]:-0} + 1))
        kill_program "setup window, no show"
        return
    fi
    open_show
    # Now and then the operator leaves the show and opens it again.
    if ((RANDOM % 4 == 0)); then
        target=$((RANDOM % 4))
        advance_to "$target"
        pause 50 400
        leave_show
        pause 100 500
        if ((ROUNDS_LEFT == 0)); then
            MODE_COUNT[setup]=$((${MODE_COUNT[setup]:-0} + 1))
            kill_program "setup window, event drawn"
            return
        fi
        open_show
    fi
    while ((rounds > 0 && ROUNDS_LEFT > 1)); do
        advance_to 2
        advance_to 3
        rounds=$((rounds - 1))
    done
    case $mode in
    rolling)
        advance_to 2
        pause 0 700
        ;;
    saving)
        advance_to 2
        pause 30 300
        # The step that leaves the roll appends the round to the record, then saves data.xml
        # through data.xml.saving, all within a few milliseconds. A watcher started before the
        # key kills the program the moment the record changes or the temporary file shows;
        # otherwise the kill comes at a random moment up to 60 ms after the key.
        how=$((SAVE_AT++ % ${#SAVE_KINDS[@]}))
        if [ "$STATE" = 2 ]; then
            [ -z "$(message_boxes)" ] || fail "a message box was open on the rolling screen"
            if ((how < 2)); then
                touch "$WORK/stamp"
                sleep 0.02  # file times advance in clock ticks
                kill_when "$how" &
                n=$!
                step
                wait "$n"
            else
                step
                sleep_ms $((RANDOM % 61))
            fi
            mode=saving-${SAVE_KINDS[how]}
        fi
        ;;
    winners)
        advance_to 2
        [ "$STATE" = 2 ] && step
        pause 50 800
        ;;
    prize)
        advance_to $((RANDOM % 2))
        pause 0 500
        ;;
    setup)
        advance_to $((RANDOM % 4))
        pause 0 300
        press_escape
        pause 0 400
        ;;
    esac
    [ "$STATE" = 4 ] && mode=finished
    MODE_COUNT[$mode]=$((${MODE_COUNT[$mode]:-0} + 1))
    kill_program "$mode"
}

TOTAL_START=$(now_ms)
new_event
for ((k = 1; k <= KILLS; k++)); do
    trace "=== kill $k"
    start_program
    check_restart
    if [ "$(remaining_rounds "$APP")" = 0 ]; then
        # The event is drawn to its end: close it cleanly, check it once more, begin another.
        term_program
        check_files 0
        verify_record
        new_event
        start_program
        check_restart
    fi
    drive_and_kill
    ls "$APP" | grep -q '\.saving$' && KILLS_WITH_SAVING=$((KILLS_WITH_SAVING + 1))
    check_files 1
    [ -n "$PENDING_VOID" ] && KILLS_WITH_UNSAVED_ROUND=$((KILLS_WITH_UNSAVED_ROUND + 1))
done
# A last start, then a clean exit.
start_program
check_restart
term_program
check_files 0
[ -z "$(ls "$APP" | grep '\.saving$')" ] || fail "temporary file left after a clean exit"
verify_record

# SIGTERM after a settings edit made through the window, with a roll on screen.
sigterm_check() {
    local title="Logout Gala $SEED" start rc ms got rounds
    new_event
    # The sanitizer's leak scan at exit takes most of a second of its own; it is not the
    # program's time.
    local ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
    export ASAN_OPTIONS
    start_program
    check_restart
    # The "界面和规则" entry of the tab strip, then its title box.
    click_in "$MAIN" 100 209
    sleep 0.5
    click_in "$MAIN" 550 151
    sleep 0.2
    xdo key ctrl+a
    xdo type --delay 30 "$title"
    trace "typed title '$title'"
    sleep 0.3
    ROUNDS_LEFT=$(remaining_rounds "$APP")
    open_show
    advance_to 2
    advance_to 3
    pause 200 400
    advance_to 2
    sleep 0.3
    rounds=$(record_round_count "$APP/draw-record.jsonl")
    [ "$rounds" = 1 ] || fail "SIGTERM check: $rounds rounds committed before the signal, expected 1"
    start=$(now_ms)
    kill -TERM "$PID"
    while kill -0 "$PID" 2>/dev/null && (($(now_ms) - start < 10000)); do sleep 0.01; done
    ms=$(($(now_ms) - start))
    kill -0 "$PID" 2>/dev/null && fail "SIGTERM check: still running 10 s after SIGTERM"
    wait "$JOB"
    rc=$?
    PID=
    trace "SIGTERM during a roll: exit $rc after $ms ms"
    SIGTERM_MS=$ms
    [ "$rc" = 0 ] || fail "SIGTERM check: exit code $rc (program.log: $(tail -n 3 "$APP/program.log"))"
    ((ms <= 1000)) || fail "SIGTERM check: the program took $ms ms to exit"
    got=$(xmllint --xpath 'string(//Vantoria/Setting/Title)' "$APP/data.xml")
    [ "$got" = "$title" ] || fail "SIGTERM check: data.xml has title '$got', expected '$title'"
    check_files 0
    [ "$(data_winners "$APP/data.xml" | wc -l)" = 4 ] || fail "SIGTERM check: data.xml should hold the 4 winners of round 1"
    [ "$(record_round_count "$APP/draw-record.jsonl")" = 1 ] || fail "SIGTERM check: the roll on screen was recorded as a round"
    [ -z "$(ls "$APP" | grep '\.saving$')" ] || fail "SIGTERM check: temporary file left"
    verify_record
}
sigterm_check

summary=""
for m in rolling saving saving-record saving-tmpfile saving-random winners prize setup finished; do
    [ -n "${MODE_COUNT[$m]:-}" ] && summary+=" $m=${MODE_COUNT[$m]}"
done
echo "crash test: $KILLS kills passed (seed $SEED, $EVENT events,${summary}; left a .saving file: $KILLS_WITH_SAVING; last round unsaved and voided at restart: $KILLS_WITH_UNSAVED_ROUND); SIGTERM during a roll: exit 0 in $SIGTERM_MS ms, title and round saved; X connections retried: $(x_retries); $(((($(now_ms) - TOTAL_START) + 500) / 1000)) s"
