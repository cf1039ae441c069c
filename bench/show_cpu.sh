#!/usr/bin/env bash
# CPU cost of the real show: the program under Xvfb, driven with xdotool, its CPU ticks read
# from /proc over a stretch of rolling (and of a still screen), divided by the wall time.
#
#   bash bench/show_cpu.sh [PROGRAM] [SECONDS]
#
# PROGRAM defaults to ./build/vantoria (an optimised build: bash scripts/bench.sh builds it).
# Prints one line per case: screen, names in the round, screen measured, share of one core;
# then the program's own line on the roll: its ticks, the longest gap between two, and the
# wall time of a tick inside the process and of drawing its names (average, microseconds).
# The display server's share is printed beside the program's: on X11 it draws the rolling names
# for the program. VANTORIA_DRAW_IN_PROCESS=1 measures the show drawing them itself, as it does
# where the display cannot.
# CPU_SHOTS=DIR also saves a screenshot of each show as it starts, on its prize screen and as
# it rolls;
# CPU_PERF=DIR records each rolling stretch with perf (perf report -i DIR/WIDTH-NAMES.data);
# CPU_CASES="1920x1080x12 ..." measures only those cases; CPU_THREADS=1 adds each thread's
# share over the same stretch; CPU_LOG=FILE keeps the program's log there.
set -euo pipefail
cd "$(dirname "$0")/.."
PROGRAM=$(realpath "${1:-build/vantoria}")
SECONDS_EACH=${2:-10}
SRC=$(dirname "$PROGRAM")
for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb xdotool)" >&2; exit 77; }
done
WORK=$(mktemp -d /tmp/vantoria-cpu.XXXXXX)
# A display number of its own for each case: a server just stopped may still hold the last.
DISPLAY_BASE=$((100 + RANDOM % 100))
CASE=0
XVFB_PID=
PROGRAM_PID=
cleanup() {
    [ -n "$PROGRAM_PID" ] && kill -9 "$PROGRAM_PID" 2>/dev/null || true
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
    rm -rf "$WORK"
}
trap cleanup EXIT
HZ=$(getconf CLK_TCK)

ticks() {  # utime + stime of a process, in clock ticks
    awk '{ print $14 + $15 }' "/proc/$1/stat"
}

threads() {  # "tid name ticks" of each thread, sorted for join
    local t
    for t in /proc/"$1"/task/*; do
        printf '%s %s %s\n' "${t##*/}" "$(tr ' ' _ <"$t/comm")" "$(awk '{ print $14 + $15 }' "$t/stat")"
    done | sort
}

# A program folder with 600 people ("姓名 部门" keys) and one prize drawing N in one round.
event() {  # folder names
    /usr/bin/python3 - "$1" "$2" <<'PY'
import sys
folder, n = sys.argv[1], int(sys.argv[2])
sur = '赵钱孙李周吴郑王冯陈褚卫蒋沈韩杨朱秦尤许何吕施张孔曹严华金魏陶姜'
giv = '伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超兰霞平刚桂'
depts = ['研发部', '市场部', '财务部', '人力资源部', '行政部']
rows = ''.join('<Candidate id="%d" NO="E%04d" name="%s" department="%s" tel="" index="%d"/>'
               % (i, i, sur[i % len(sur)] + giv[(i // len(sur)) % len(giv)], depts[i % 5], i)
               for i in range(1, 601))
def write(name, text):
    open(folder + '/' + name, 'wb').write(text.encode('gb2312'))
write('cd.xml', '<?xml version="1.0" encoding="GB2312"?>\n<Vantoria><CandidateList>'
      + rows + '</CandidateList></Vantoria>\n')
write('data.xml', '<?xml version="1.0" encoding="GB2312"?>\n<Vantoria><PrizeList>'
      '<Prize id="0" name="阳光普照奖" content="电影票" count="%d" batch="1" image="" index="0"/>'
      '</PrizeList><Setting><Title>年度盛典</Title><Image index="0"/><Music index="0"/>'
      '<PrizeUIType>1</PrizeUIType><FieldType>2</FieldType><AllowRepeat>0</AllowRepeat>'
      '<TabIndex>0</TabIndex><StopSound><Enabled>0</Enabled><File></File></StopSound>'
      '</Setting><WinnerList/></Vantoria>\n' % n)
PY
}

measure() {  # width height names
    local w=$1 h=$2 n=$3 app="$WORK/app-$1-$3" i wid log=${CPU_LOG:-$WORK/program.log}
    mkdir -p "$app" "$WORK/home/run"
    chmod 700 "$WORK/home/run"
    for f in vantoria libcelvex.so image music sound example init.xml; do
        [ -e "$SRC/$f" ] && cp -r "$SRC/$f" "$app/"
    done
    event "$app" "$n"
    local try ready=
    for try in 1 2 3; do  # a number another server holds is given up for the next
        CASE=$((CASE + 1))
        DISPLAY_NO=:$((DISPLAY_BASE + CASE))
        Xvfb "$DISPLAY_NO" -screen 0 "${w}x${h}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
        XVFB_PID=$!
        for i in $(seq 100); do
            kill -0 "$XVFB_PID" 2>/dev/null || break
            DISPLAY=$DISPLAY_NO xdotool getdisplaygeometry >/dev/null 2>&1 && { ready=1; break; }
            sleep 0.1
        done
        [ -n "$ready" ] && break
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    done
    [ -n "$ready" ] || { echo "Xvfb did not start" >&2; exit 1; }
    DISPLAY=$DISPLAY_NO HOME=$WORK/home XDG_RUNTIME_DIR=$WORK/home/run SDL_AUDIODRIVER=dummy \
        QT_QPA_PLATFORM=xcb "$app/vantoria" >"$log" 2>&1 &
    PROGRAM_PID=$!
    wid=
    for i in $(seq 100); do
        wid=$(DISPLAY=$DISPLAY_NO xdotool search --name '^Vantoria ' 2>/dev/null | head -1) || true
        [ -n "$wid" ] && break
        sleep 0.1
    done
    [ -n "$wid" ] || { echo "the program did not open" >&2; cat "$log" >&2; exit 1; }
    sleep 1
    # The start button: 400 px wide at the right end of the 60-px control bar.
    eval "$(DISPLAY=$DISPLAY_NO xdotool getwindowgeometry --shell "$wid")"
    DISPLAY=$DISPLAY_NO xdotool mousemove --window "$wid" $((WIDTH - 208)) $((HEIGHT - 30)) click 1
    sleep 2  # the show's welcome screen
    [ -n "${CPU_SHOTS:-}" ] && DISPLAY=$DISPLAY_NO import -window root "$CPU_SHOTS/$w-$n-start.png"
    run() {  # label
        local t0 t1 s0 s1 x0 x1
        sleep 1
        [ -n "${CPU_THREADS:-}" ] && threads "$PROGRAM_PID" >"$WORK/threads0"
        t0=$(ticks "$PROGRAM_PID")
        x0=$(ticks "$XVFB_PID")
        s0=$(date +%s.%N)
        if [ -n "${CPU_PERF:-}" ] && [ "$1" = rolling ]; then
            perf record -q -F 499 -g -p "$PROGRAM_PID" -o "$CPU_PERF/$w-$n.data" -- \
                sleep "$SECONDS_EACH" >/dev/null 2>&1
        else
            sleep "$SECONDS_EACH"
        fi
        t1=$(ticks "$PROGRAM_PID")
        x1=$(ticks "$XVFB_PID")
        s1=$(date +%s.%N)
        if [ -n "${CPU_THREADS:-}" ]; then  # each thread's share over the same stretch
            threads "$PROGRAM_PID" >"$WORK/threads1"
            join -o 0,1.2,1.3,2.3 "$WORK/threads0" "$WORK/threads1" | awk -v hz="$HZ" -v s0="$s0" -v s1="$s1" \
                '{ printf "    thread %-8s %-16s %5.1f%%\n", $1, $2, 100 * ($4 - $3) / hz / (s1 - s0) }'
        fi
        # The display server's share too: what it composes for the program is work done for it.
        awk -v t=$((t1 - t0)) -v x=$((x1 - x0)) -v s0="$s0" -v s1="$s1" -v hz="$HZ" -v l="$1" \
            -v w="$w" -v h="$h" -v n="$n" 'BEGIN { printf "%dx%d  %3d names  %-8s %5.1f%% of a core   (X server %4.1f%%)\n",
                w, h, n, l, 100 * t / hz / (s1 - s0), 100 * x / hz / (s1 - s0) }'
    }
    key() { DISPLAY=$DISPLAY_NO xdotool key --clearmodifiers "$1"; }
    [ "$n" -eq 12 ] && [ "$w" -eq 1920 ] && run welcome
    key space  # prize screen
    [ -n "${CPU_SHOTS:-}" ] && sleep 0.5 && DISPLAY=$DISPLAY_NO import -window root "$CPU_SHOTS/$w-$n-prize.png"
    [ "$n" -eq 12 ] && [ "$w" -eq 1920 ] && run prize
    key space  # rolling
    run rolling
    [ -n "${CPU_SHOTS:-}" ] && DISPLAY=$DISPLAY_NO import -window root "$CPU_SHOTS/$w-$n-rolling.png"
    key space  # the stop: the program logs what its ticks took, inside the process
    sleep 0.5
    grep '^roll:' "$log" | tail -1 | sed 's/^/    /' || true
    kill -9 "$PROGRAM_PID" 2>/dev/null || true
    wait "$PROGRAM_PID" 2>/dev/null || true
    PROGRAM_PID=
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
}

CASES=${CPU_CASES:-1920x1080x12 3840x2160x12 1920x1080x30 3840x2160x30 1920x1080x450 1920x1080x500}
for c in $CASES; do
    c=${c//x/ }
    # shellcheck disable=SC2086
    measure $c
done
