#!/usr/bin/env bash
# Check-in by phone, end to end on the real program under Xvfb: 300 of 400 guests check in
# through the API (from 30 client addresses) while the setup window is open; the program is
# killed with SIGKILL right after and none of the check-ins may be lost. Started again, a show
# limited to those present is stepped from start to end by the host phone's API alone; every
# winner must have checked in, the record must seal the set, and --verify must pass.
#
#   checkin_show.sh PROGRAM_FOLDER
#
# Environment: KEEP=1 keeps the work folder. Exit 0 passed, 1 failed, 2 bad use, 77 no X tools.
set -u

if [ $# -ne 1 ]; then
    echo "usage: $0 PROGRAM_FOLDER" >&2
    exit 2
fi
SRC=$(cd "$1" && pwd) || exit 2
HERE=$(cd "$(dirname "$0")" && pwd)
. "$HERE/lib.sh"
require_tools python3
check_program_folder "$SRC"
EVENT_CANDIDATES=400
GUESTS=300

begin_run checkin
APP=$WORK/app
fail() {
    FAILED=1
    x_retry import -window root "$WORK/failure.png" 2>/dev/null && echo "screenshot: $WORK/failure.png" >&2
    [ -f "$APP/program.log" ] && tail -n 5 "$APP/program.log" >&2
    die "$@"
}

start_xvfb "$WORK"
program_env "$WORK"
copy_program "$SRC" "$APP"
write_event "$APP" "Check-in Gala"
PORT=$((20000 + RANDOM % 20000))
sed -i "s|</Setting>|<CheckIn><Enabled>1</Enabled><Address>127.0.0.1</Address><Port>$PORT</Port><Method>0</Method><PresentOnly>1</PresentOnly><Token></Token></CheckIn></Setting>|" "$APP/data.xml"

# The URLs the program logs when its service starts (the host's token is new each run).
urls() {  # log offset -> "guest remote"
    local n line
    for ((n = 0; n < 200; n++)); do
        line=$(tail -c +$(($1 + 1)) "$APP/program.log" 2>/dev/null | grep -m1 '^check-in:')
        [ -n "$line" ] && { awk '{print $2, $4}' <<<"$line"; return 0; }
        sleep 0.05
    done
    return 1
}

: >"$APP/program.log"
launch_program "$APP" || fail "the program did not start"
read -r GUEST REMOTE <<<"$(urls 0)" || fail "the check-in service did not start"

# 1. 300 guests check in: 30 addresses, 10 each (the limit is 30 a client in 10 s).
python3 - "$GUEST" "$GUESTS" >"$WORK/checkins.txt" <<'PY' || fail "check-ins failed: $(tail -n 3 "$WORK/checkins.txt")"
import http.client, json, sys, urllib.parse
url = urllib.parse.urlsplit(sys.argv[1]); guests = int(sys.argv[2])
token = url.path.rsplit("/", 1)[1]
for i in range(1, guests + 1):
    c = http.client.HTTPConnection(url.hostname, url.port, timeout=10,
                                   source_address=("127.0.0.%d" % (2 + i % 30), 0))
    body = json.dumps({"token": token, "id": "N%04d" % i, "name": "P%04d" % i})
    c.request("POST", "/api/checkin", body, {"Content-Type": "application/json"})
    r = c.getresponse(); answer = json.loads(r.read())
    if r.status != 200 or not answer.get("ok") or answer.get("name") != "P%04d" % i:
        print("guest", i, r.status, answer); sys.exit(1)
    print(i)
    c.close()
PY
kill -KILL "$PID"
wait "$JOB" 2>/dev/null
wait_windows_gone
kept=$(grep -c '"type":"in"' "$APP/checkin.jsonl")
[ "$kept" = "$GUESTS" ] || fail "SIGKILL after $GUESTS check-ins answered ok: $kept kept"

# 2. Started again: the show of those present, stepped by the host's phone.
offset=$(stat -c %s "$APP/program.log")
launch_program "$APP" || fail "the program did not start again"
read -r GUEST REMOTE <<<"$(urls "$offset")" || fail "the check-in service did not start again"
click_start "$MAIN"
# The question how many take part (present of everyone): Yes.
box=$(wait_window message_boxes 10000 "$PID") || fail "no question about those present"
xdo windowactivate --sync "$box" 2>/dev/null
xdo key Return
wait_window show_window 20000 "$PID" >/dev/null || fail "the show did not open"
python3 - "$REMOTE" "$APP/draw-record.jsonl" >"$WORK/remote.txt" <<'PY' || fail "the remote did not step the show: $(tail -n 3 "$WORK/remote.txt")"
import http.client, json, sys, time, urllib.parse
url = urllib.parse.urlsplit(sys.argv[1]); token = url.path.rsplit("/", 1)[1]
def send(action):
    c = http.client.HTTPConnection(url.hostname, url.port, timeout=10)
    c.request("POST", "/api/remote", json.dumps({"token": token, "action": action}),
              {"Content-Type": "application/json"})
    r = c.getresponse(); answer = json.loads(r.read()); c.close()
    return r.status, answer
for step in range(200):
    status, answer = send("step")
    print(step, status, answer)
    if status != 200: sys.exit(1)
    time.sleep(0.45)  # under the per-client limit
    if answer.get("screen") == "结束": sys.exit(0)
sys.exit(1)
PY
sleep 0.5
show=$(show_window) && xdo key --window "$show" Escape
for ((n = 0; n < 100; n++)); do
    grep -q '"type":"end"' "$APP/draw-record.jsonl" && break
    sleep 0.1
done
grep -q '"type":"end"' "$APP/draw-record.jsonl" || fail "the show did not end after its last prize"
kill -TERM "$PID"
wait "$JOB" 2>/dev/null

# 3. Only those present won, the record seals them, and the record verifies.
grep -q '"present_only":true' "$APP/draw-record.jsonl" || fail "the show's seal does not say only those present drew"
winners=$(data_winners "$APP/data.xml" | cut -f2 | sort -u)
[ -n "$winners" ] || fail "no winners"
checked=$(grep -o '"id":[0-9]*' "$APP/checkin.jsonl" | cut -d: -f2 | sort -u)
stray=$(comm -23 <(echo "$winners") <(echo "$checked"))
[ -z "$stray" ] || fail "winners who never checked in: $(echo $stray | head -c 200)"
(cd "$APP" && ./vantoria --verify "$APP" >"$WORK/verify.txt" 2>&1) || fail "--verify failed: $(tail -n 5 "$WORK/verify.txt")"
grep -q '只有已签到的人参加' "$WORK/verify.txt" || fail "--verify does not tell the show drew only those present"
echo "passed: $GUESTS check-ins kept through SIGKILL, $(echo "$winners" | wc -l) winners all present, verified"
