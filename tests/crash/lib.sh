# Shared by crash_test.sh and held_key.sh: a private X server, portable program copies,
# a generated event, window lookup and reading data.xml and the draw record.
# Sourced, never run. Needs bash, coreutils, Xvfb, xdotool and xmllint.

PROGRAM_FILES=(vantoria libcelvex.so image music sound example init.xml)
SCREEN_W=1024
SCREEN_H=768
# The candidates and prizes of the generated event.
EVENT_CANDIDATES=300
EVENT_PRIZES=(  # id name content count batch index
  "1 Grand Car 3 3 4"
  "2 First Phone 6 3 3"
  "3 Second Tablet 12 4 2"
  "4 Third Voucher 24 6 1"
)

FAILED=0
die() {
    echo "FAIL: $*" >&2
    FAILED=1
    exit 1
}

# Exit 77 (skipped) when the display tools are missing; fail when the others are.
require_tools() {
    local t
    for t in Xvfb xdotool; do
        if ! command -v "$t" >/dev/null; then
            echo "SKIP: $t is not installed (scripts/setup.sh installs it)"
            exit 77
        fi
    done
    for t in xmllint "$@"; do
        command -v "$t" >/dev/null || { echo "FAIL: $t is not installed (scripts/setup.sh installs it)" >&2; exit 2; }
    done
}

check_program_folder() {
    local f
    for f in "${PROGRAM_FILES[@]}"; do
        [ -e "$1/$f" ] || { echo "FAIL: $1 is not a program folder: $f is missing" >&2; exit 2; }
    done
}

# The work folder, the program and the busy loops of a run. Call begin_run NAME first; cleanup
# runs at exit, ends what is still running and keeps the work folder after a failure.
WORK=
TRACE=
PID=
JOB=
BUSY_PIDS=()
begin_run() {
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/vantoria-$1.XXXXXX")
    trap cleanup EXIT
    trap 'exit 1' INT TERM
}
cleanup() {
    local p
    if [ -n "$PID" ] && kill -0 "$PID" 2>/dev/null; then kill -9 "$PID"; wait "$JOB"; fi
    for p in "${BUSY_PIDS[@]}"; do kill "$p" 2>/dev/null; done
    stop_xvfb
    if [ "$FAILED" = 0 ] && [ -z "${KEEP:-}" ]; then
        rm -rf "$WORK"
    else
        echo "work folder kept: $WORK${TRACE:+ (trace: $TRACE)}"
    fi
}
# N loops that keep the cores busy for the whole run, as a loaded machine would.
start_busy() {
    local n
    for ((n = 0; n < $1; n++)); do
        sh -c 'while :; do :; done' &
        BUSY_PIDS+=($!)
    done
}

sleep_ms() { sleep "$(printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)))"; }
now_ms() { echo $(($(date +%s%N) / 1000000)); }

# Starts Xvfb on a free display and exports DISPLAY. Numbers from a per-process start well
# above the usual ones: other programs on the machine tend to assume :0 or :1.
XVFB_PID=
start_xvfb() {
    local ready="$1/display" base=$((100 + ($$ * 7) % 800)) d i n
    for ((i = 0; i < 40; i++)); do
        d=$((base + i))
        [ -e "/tmp/.X$d-lock" ] && continue
        : >"$ready"
        Xvfb ":$d" -displayfd 3 -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp 3>"$ready" \
            >"$1/xvfb.log" 2>&1 &
        XVFB_PID=$!
        for ((n = 0; n < 100; n++)); do
            [ -s "$ready" ] && { export DISPLAY=":$d"; return 0; }
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
        XVFB_PID=
    done
    die "Xvfb did not start (see $1/xvfb.log)"
}
stop_xvfb() {
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=
}

# The environment every program run gets: no sound device, the real X server, and a private
# home so the per-user data folder of the machine is neither read nor written.
program_env() {
    mkdir -p "$1/home" "$1/runtime"
    chmod 700 "$1/runtime"
    export HOME="$1/home" XDG_DATA_HOME="$1/home/.local/share" XDG_CONFIG_HOME="$1/home/.config"
    export XDG_RUNTIME_DIR="$1/runtime" SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb
    # SIGKILL gives no leak report anyway; a clean exit keeps the caller's leak settings.
    export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
}

# A portable copy of the program, which keeps its data files beside itself.
copy_program() {  # source folder, target folder
    mkdir -p "$2"
    local f
    for f in "${PROGRAM_FILES[@]}"; do cp -r "$1/$f" "$2/" || die "cannot copy $1/$f"; done
}

# cd.xml and data.xml of a fresh event: ASCII names, drawn by name, no repeated winners.
write_event() {  # folder [title]
    local dir=$1 title=${2:-Crash Test Gala} i p
    {
        printf '<?xml version="1.0" encoding="GB2312"?>\n<Vantoria><CandidateList>'
        for ((i = 1; i <= EVENT_CANDIDATES; i++)); do
            printf '<Candidate id="%d" NO="N%04d" name="P%04d" department="D%d" tel="" index="%d"/>' \
                "$i" "$i" "$i" $((i % 7)) "$i"
        done
        printf '</CandidateList></Vantoria>\n'
    } >"$dir/cd.xml"
    {
        printf '<?xml version="1.0" encoding="GB2312"?>\n<Vantoria><PrizeList>'
        for p in "${EVENT_PRIZES[@]}"; do
            set -- $p
            printf '<Prize id="%s" name="%s" content="%s" count="%s" batch="%s" image="" index="%s"/>' "$@"
        done
        printf '</PrizeList><Setting><Title>%s</Title><Image index="0"/><Music index="0"/>' "$title"
        printf '<PrizeUIType>1</PrizeUIType><FieldType>1</FieldType><AllowRepeat>0</AllowRepeat>'
        printf '<TabIndex>0</TabIndex><GenNumberList><Start>1</Start><Total>100</Total>'
        printf '<Prefix></Prefix><Suffix></Suffix></GenNumberList>'
        printf '<Design><LastFrame>0</LastFrame></Design></Setting><WinnerList/></Vantoria>\n'
    } >"$dir/data.xml"
}

# Rounds still to draw, by the round arithmetic of the draw rules, from the winners in data.xml
# (the pool is always large enough here, so every round draws its full batch).
remaining_rounds() {  # folder
    local p id count batch drawn per rdone left size total=0 winners
    winners=$(data_winners "$1/data.xml") || return 1
    winners=$(cut -f1 <<<"$winners")
    for p in "${EVENT_PRIZES[@]}"; do
        set -- $p
        id=$1 count=$4 batch=$5
        drawn=$(grep -cx -- "$id" <<<"$winners")
        while ((drawn < count)); do
            per=$((count / batch))
            rdone=$((drawn / per))
            left=$((batch - rdone))
            ((left == 0)) && left=1
            size=$(((count - drawn) / left))
            drawn=$((drawn + size))
            total=$((total + 1))
        done
    done
    echo "$total"
}

# The Winner elements of data.xml, one per line.
data_winner_elements() {
    xmllint --xpath '//Vantoria/WinnerList/Winner' "$1" 2>/dev/null | sed 's#/>#/>\n#g' | grep '<Winner'
}
# Winners of data.xml as "prize<TAB>candidate<TAB>time" lines; fails on an element it cannot read.
data_winners() {
    local el n=0 m=0 re='<Winner prize="(-?[0-9]+)" candidate="(-?[0-9]+)" show="[^"]*" time="([^"]*)"'
    while IFS= read -r el; do
        n=$((n + 1))
        if [[ $el =~ $re ]]; then
            printf '%s\t%s\t%s\n' "${BASH_REMATCH[1]}" "${BASH_REMATCH[2]}" "${BASH_REMATCH[3]}"
            m=$((m + 1))
        fi
    done < <(data_winner_elements "$1")
    ((n == m)) || { echo "unreadable Winner element in $1" >&2; return 1; }
}

# The draw record as "line<TAB>type<TAB>prize<TAB>candidate<TAB>time" rows: one row per winner of
# a round line (time = the round's stamp), one per void line (time = the voided round's stamp,
# type "void-interrupted" or "void-<reason>"), and one with empty fields for every other line.
# A line that is not a whole JSON event gives type "torn".
record_rows() {  # record file
    local line n=0 type prize time rest reason
    [ -f "$1" ] || return 0
    while IFS= read -r line || [ -n "$line" ]; do
        n=$((n + 1))
        if [[ ! $line =~ ^\{.*\}$ ]] || [[ ! $line =~ \"type\":\"([a-z]+)\" ]]; then
            printf '%d\ttorn\t\t\t\n' "$n"
            continue
        fi
        type=${BASH_REMATCH[1]}
        case $type in
        round)
            [[ $line =~ \"prize\":(-?[0-9]+)[,}] ]] && prize=${BASH_REMATCH[1]} || prize=?
            [[ $line =~ \"time\":\"([^\"]*)\" ]] && time=${BASH_REMATCH[1]} || time=?
            [[ $line =~ \"winners\":\[(.*)\][,}] ]] && rest=${BASH_REMATCH[1]} || rest=
            if [ -z "$rest" ]; then printf '%d\tround\t%s\t\t%s\n' "$n" "$prize" "$time"; fi
            while [[ $rest =~ ^,?\[(-?[0-9]+),\"[^\"]*\"\](.*)$ ]]; do
                printf '%d\tround\t%s\t%s\t%s\n' "$n" "$prize" "${BASH_REMATCH[1]}" "$time"
                rest=${BASH_REMATCH[2]}
            done
            [ -z "$rest" ] || printf '%d\tunparsed\t\t\t\n' "$n"
            ;;
        void)
            [[ $line =~ \"reason\":\"([a-z]+)\" ]] && reason=${BASH_REMATCH[1]} || reason=operator
            [[ $line =~ \"prize\":(-?[0-9]+)[,}] ]] && prize=${BASH_REMATCH[1]} || prize=?
            [[ $line =~ \"candidate\":(-?[0-9]+)[,}] ]] && rest=${BASH_REMATCH[1]} || rest=?
            [[ $line =~ \"won\":\"([^\"]*)\" ]] && time=${BASH_REMATCH[1]} || time=?
            printf '%d\tvoid-%s\t%s\t%s\t%s\n' "$n" "$reason" "$prize" "$rest" "$time"
            ;;
        *) printf '%d\t%s\t\t\t\n' "$n" "$type" ;;
        esac
    done <"$1"
}
record_lines() { if [ -f "$1" ]; then wc -l <"$1" | tr -d ' '; else echo 0; fi; }
record_round_count() { if [ -f "$1" ]; then grep -c '"type":"round"' "$1" || true; else echo 0; fi; }

# Runs an X client. This machine's Xvfb now and then refuses a new connection (about one in
# a hundred or two hundred in a plain loop of xdotool calls, no program running); a client
# that could not connect sent nothing, so it is simply run again. Each retry is counted.
x_retry() {
    local i rc out err="$WORK/x-client.err.$BASHPID"
    for ((i = 0; i < 10; i++)); do
        out=$("$@" 2>"$err")
        rc=$?
        if ((rc == 0)) || ! grep -qi -e "open display" -e "open X server" -e "connect to display" "$err"; then
            [ -n "$out" ] && printf '%s\n' "$out"
            cat "$err" >&2
            rm -f "$err"
            return "$rc"
        fi
        echo "$1" >>"$WORK/x-retries"
        sleep 0.05
    done
    rm -f "$err"
    return "$rc"
}
xdo() { x_retry xdotool "$@"; }
x_retries() { if [ -f "$WORK/x-retries" ]; then wc -l <"$WORK/x-retries" | tr -d ' '; else echo 0; fi; }

# Starts the program of a folder (output appended to its program.log) and waits for its setup
# window; sets PID (the program) and JOB (a subshell that waits for it and exits with its
# status, so a killed program gives a status, not a job notice). A start the X server refused
# is made again, as above.
launch_program() {  # folder
    local i n size
    for ((i = 0; i < 5; i++)); do
        size=$(stat -c %s "$1/program.log" 2>/dev/null || echo 0)
        rm -f "$WORK/program.pid"
        (
            cd "$1" || exit 2
            ./vantoria >>"$1/program.log" 2>&1 &
            echo $! >"$WORK/program.pid"
            exec 2>/dev/null  # no "Killed" notice; the status tells
            wait $!
        ) &
        JOB=$!
        for ((n = 0; n < 500; n++)); do
            [ -s "$WORK/program.pid" ] && break
            sleep 0.01
        done
        PID=$(cat "$WORK/program.pid")
        MAIN=$(wait_window main_window 60000 "$PID") && return 0
        kill -0 "$PID" 2>/dev/null && return 1
        wait "$JOB"
        tail -c +$((size + 1)) "$1/program.log" | grep -q 'could not connect to display' || return 1
        echo vantoria >>"$WORK/x-retries"
    done
    return 1
}

# Visible windows: the setup window (title "Vantoria <version>"), message boxes (caption
# "Vantoria") and the show (a window covering the whole screen).
main_window() { xdo search --onlyvisible --name '^Vantoria [0-9]' 2>/dev/null | head -n1; }
message_boxes() { xdo search --onlyvisible --name '^Vantoria$' 2>/dev/null; }
show_window() {
    local w
    for w in $(xdo search --onlyvisible --class . 2>/dev/null); do
        eval "$(xdo getwindowgeometry --shell "$w" 2>/dev/null)" 2>/dev/null || continue
        if [ "${WIDTH:-0}" = "$SCREEN_W" ] && [ "${HEIGHT:-0}" = "$SCREEN_H" ]; then
            echo "$w"
            return 0
        fi
    done
    return 1
}

# Waits until a function prints a window id; prints it. Gives up after the timeout (ms).
wait_window() {  # function timeout_ms [pid]
    local start w
    start=$(now_ms)
    while (($(now_ms) - start < $2)); do
        w=$($1)
        [ -n "$w" ] && { echo "$w"; return 0; }
        if [ -n "${3:-}" ] && ! kill -0 "$3" 2>/dev/null; then return 1; fi
        sleep 0.05
    done
    return 1
}

# After the program ended: the X server drops its windows a moment later, and a new start must
# not mistake them for its own.
wait_windows_gone() {
    local n
    for ((n = 0; n < 100; n++)); do
        [ -z "$(main_window)$(show_window)" ] && return 0
        sleep 0.05
    done
    return 1
}

# Clicks a point given relative to a window's top-left corner.
click_in() { xdo mousemove --window "$1" "$2" "$3" click 1; }
# The start button: 400 px wide at the right end of the 60-px control bar, 8 px margins.
click_start() {
    local w=$1
    eval "$(xdo getwindowgeometry --shell "$w")"
    click_in "$w" $((WIDTH - 8 - 200)) $((HEIGHT - 30))
}
