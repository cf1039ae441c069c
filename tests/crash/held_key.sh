#!/usr/bin/env bash
# A held key steps the show once: with both cores busy, Space is held for two seconds on the
# rolling screen of the real program under Xvfb, where X sends the held key as release/press
# pairs with equal time stamps; the draw record must gain exactly one round. Then Return is
# held on the winners screen (one step to the next prize screen, no round), and two single
# presses must still step as usual.
#
#   held_key.sh PROGRAM_FOLDER
#
# Environment: HELD_BUSY=N busy loops (default 2); KEEP=1 keeps the work folder and the
# screenshots. Exit 0 passed, 1 failed (folder kept), 2 bad use, 77 no X tools.
set -u

if [ $# -ne 1 ]; then
    echo "usage: $0 PROGRAM_FOLDER" >&2
    exit 2
fi
SRC=$(cd "$1" && pwd) || exit 2
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/lib.sh"
require_tools xset xev import
check_program_folder "$SRC"

begin_run held
APP=$WORK/app
fail() {
    FAILED=1
    x_retry import -window root "$WORK/failure.png" 2>/dev/null && echo "screenshot: $WORK/failure.png" >&2
    [ -f "$APP/draw-record.jsonl" ] && tail -n 4 "$APP/draw-record.jsonl" | cut -c1-300 >&2
    die "$@"
}

start_busy "${HELD_BUSY:-2}"

start_xvfb "$WORK"
program_env "$WORK"

# 1. What this X server sends for a held key, seen by a plain X client.
x_retry xset q | grep -q 'auto repeat:  on' || fail "autorepeat is off on $DISPLAY (xset q), the hold would prove nothing"
xev_window() { xdo search --onlyvisible --name '^Event Tester$' 2>/dev/null | head -n1; }
w=
for ((n = 0; n < 5; n++)); do
    xev -geometry 300x200+0+0 -event keyboard >"$WORK/xev.out" 2>&1 &
    XEV=$!
    w=$(wait_window xev_window 10000 "$XEV") && break
    wait "$XEV"
    grep -q 'unable to open display' "$WORK/xev.out" || fail "xev did not open: $(head -n 2 "$WORK/xev.out")"
    echo xev >>"$WORK/x-retries"
done
[ -n "$w" ] || fail "xev did not open"
xdo mousemove --window "$w" 150 100
sleep 0.3
xdo keydown space
sleep 2
xdo keyup space
sleep 0.5
kill "$XEV"
wait "$XEV" 2>/dev/null
# "Press <time>" / "Release <time>" per key event.
events=$(while IFS= read -r l; do
    case $l in KeyPress*) t=Press ;; KeyRelease*) t=Release ;; *time\ *)
        if [ -n "${t:-}" ]; then [[ $l =~ time\ ([0-9]+) ]] && echo "$t ${BASH_REMATCH[1]}"; t=; fi ;;
    esac
done <"$WORK/xev.out")
presses=$(grep -c '^Press' <<<"$events")
releases=$(grep -c '^Release' <<<"$events")
pairs=0
prev=
while read -r kind t; do
    [ "$kind" = Press ] && [ -n "$prev" ] && [ "$prev" = "Release $t" ] && pairs=$((pairs + 1))
    prev="$kind $t"
done <<<"$events"
first=$(head -n1 <<<"$events" | cut -d' ' -f2)
second=$(sed -n 3p <<<"$events" | cut -d' ' -f2)
echo "X sent for a 2-s hold: $presses presses, $releases releases; $pairs release/press pairs with equal time stamps; first repeat $((${second:-0} - ${first:-0})) ms after the press ($(x_retry xset q | grep -o 'auto repeat delay: *[0-9]* *repeat rate: *[0-9]*' | tr -s ' '))"
((pairs >= 10)) || fail "the held key produced only $pairs repeat pairs: nothing to test"

# 2. The program.
copy_program "$SRC" "$APP"
write_event "$APP"
launch_program "$APP" || fail "no setup window (program.log: $(tail -n 3 "$APP/program.log"))"
click_start "$MAIN"
wait_window show_window 20000 "$PID" >/dev/null || fail "the show did not open"
sleep 0.5
xdo key space  # prize screen
sleep 0.7
xdo key space  # rolling
sleep 1
[ "$(record_round_count "$APP/draw-record.jsonl")" = 0 ] || fail "a round was committed before the hold"

xdo keydown space
sleep 2
xdo keyup space
sleep 2  # a loaded machine may still be working through the queued repeats
x_retry import -window root "$WORK/after-space-hold.png"
rounds=$(record_round_count "$APP/draw-record.jsonl")
winners=$(data_winners "$APP/data.xml" | wc -l)
echo "Space held 2 s on the rolling screen: $rounds round(s) committed, $winners winner(s) in data.xml"
[ "$rounds" = 1 ] || fail "holding Space committed $rounds rounds (expected exactly 1)"
[ "$winners" = 4 ] || fail "data.xml holds $winners winners after the hold (expected the 4 of round 1)"

# Return held on the winners screen: one step to the next prize screen and no round.
xdo keydown Return
sleep 2
xdo keyup Return
sleep 2
x_retry import -window root "$WORK/after-return-hold.png"
rounds=$(record_round_count "$APP/draw-record.jsonl")
[ "$rounds" = 1 ] || fail "holding Return on the winners screen committed $((rounds - 1)) more round(s)"
# From that prize screen one press rolls (nothing recorded) and the next one commits.
xdo key space
sleep 1.5
rounds=$(record_round_count "$APP/draw-record.jsonl")
[ "$rounds" = 1 ] || fail "the first press after the Return hold committed a round: the hold stepped more than once"
xdo key space
sleep 1.5
rounds=$(record_round_count "$APP/draw-record.jsonl")
[ "$rounds" = 2 ] || fail "two presses after the Return hold gave $((rounds - 1)) rounds (expected 1): the hold did not step exactly once, or the key stayed stuck"
echo "Return held 2 s on the winners screen: one step, no round; then two presses committed round 2"

kill -TERM "$PID"
wait "$JOB"
rc=$?
PID=
JOB=
[ "$rc" = 0 ] || fail "exit code $rc after SIGTERM"
"$APP/vantoria" --verify "$APP" >"$WORK/verify.out" 2>&1 || fail "verify failed: $(cat "$WORK/verify.out")"
echo "held key: passed (busy loops: ${HELD_BUSY:-2}; X connections retried: $(x_retries))"
