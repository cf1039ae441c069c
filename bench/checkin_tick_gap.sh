#!/usr/bin/env bash
# Whether guests checking in stall the show: the real program under Xvfb rolls 12 names, once
# quietly and once during a burst of 1,000 check-ins from 50 clients (bench/checkin_load.py
# against the program's own service), and prints the longest gap between roll ticks of each
# (the program logs it when a roll stops) with the load figures.
#
#   bash bench/checkin_tick_gap.sh [PROGRAM_FOLDER]     (default: build)
set -u
ROOT=$(cd "$(dirname "$0")/.." && pwd)
SRC=$(cd "${1:-$ROOT/build}" && pwd) || exit 2
. "$ROOT/tests/crash/lib.sh"
require_tools python3
check_program_folder "$SRC"
EVENT_CANDIDATES=1000
EVENT_PRIZES=("1 Grand Car 24 12 1")

begin_run tickgap
APP=$WORK/app
start_xvfb "$WORK"
program_env "$WORK"
copy_program "$SRC" "$APP"
write_event "$APP" "Tick Gap"
PORT=$((20000 + RANDOM % 20000))
sed -i "s|</Setting>|<CheckIn><Enabled>1</Enabled><Address>127.0.0.1</Address><Port>$PORT</Port><Method>0</Method><PresentOnly>0</PresentOnly><Token></Token></CheckIn></Setting>|" "$APP/data.xml"
: >"$APP/program.log"
launch_program "$APP" || die "the program did not start"
for ((n = 0; n < 200; n++)); do
    GUEST=$(grep -m1 '^check-in:' "$APP/program.log" | awk '{print $2}')
    [ -n "$GUEST" ] && break
    sleep 0.05
done
[ -n "$GUEST" ] || die "the check-in service did not start"
click_start "$MAIN"
SHOW=$(wait_window show_window 20000 "$PID") || die "the show did not open"
step() { xdo key --window "$SHOW" space; sleep 0.5; }

step  # the prize
step  # rolling, quietly
sleep 8
step  # the winners
step  # the prize again
step  # rolling, while the guests check in
sleep 1
python3 "$ROOT/bench/checkin_load.py" --url "$GUEST" --folder "$APP" --names 'N{:04d}' 'P{:04d}' 0 \
    --guests 1000 --clients 50 --checkins 1000 | sed 's/^/  /'
sleep 1
step  # the winners
grep '^roll:' "$APP/program.log" | sed -n '1s/^/quiet:      /p; 2s/^/check-ins:  /p'
xdo key --window "$SHOW" Escape
sleep 0.3
kill -TERM "$PID" 2>/dev/null
wait "$JOB" 2>/dev/null
