#!/usr/bin/env bash
# Makes the pictures of the operator's guide (docs/guide/img/*.png) from the real program:
# runs it under Xvfb at 1920x1080 on the guide's example event, drives it with xdotool and
# takes each picture with ImageMagick's import, then shrinks them. Run it again whenever a
# screen changes.
#
#   bash scripts/guide-screenshots.sh [PROGRAM] [OUT]
#   bash scripts/guide-screenshots.sh --check          # the page's pictures only
#   bash scripts/guide-screenshots.sh --render [DIR]   # the page in headless chromium
#
# PROGRAM: the built program (default ./build/vantoria); libcelvex.so, image/, music/,
# example/ and init.xml must stand beside it, as in a build tree. OUT: where the PNGs go
# (default docs/guide/img). The program runs from a copy in $GUIDE_RUN (default
# /tmp/guide-run), so its data files never touch the build tree or this machine's user.
# KEEP=1 keeps the raw screenshots in $GUIDE_RUN/raw. --render writes desktop.png (1280 px
# wide) and phone.png (390 px) to DIR (default /tmp/guide-shots).
set -u -o pipefail

TOP=$(cd "$(dirname "$0")/.." && pwd)
PAGE=${GUIDE_PAGE:-$TOP/docs/guide/index.html}
LIMIT_BYTES=$((3 * 1024 * 1024))

# Every picture the page shows exists, none lies unused, the quoted outputs are filled in, and
# all pictures together stay under 3 MB. Prints the total; fails on any of these.
check_page() {  # picture folder
    local status=0 src f total
    [ -f "$PAGE" ] || { echo "no page at $PAGE" >&2; return 1; }
    while IFS= read -r src; do
        [ -f "$(dirname "$PAGE")/$src" ] || { echo "missing picture: $src" >&2; status=1; }
    done < <(grep -o '<img[^>]* src="[^"]*"' "$PAGE" | sed 's/.* src="\([^"]*\)"/\1/')
    for f in "$1"/*.png; do
        [ -e "$f" ] || continue
        grep -q "src=\"img/$(basename "$f")\"" "$PAGE" || { echo "not used by the page: $f" >&2; status=1; }
    done
    if grep -q '由 scripts/guide-screenshots.sh 填入' "$PAGE"; then
        echo "a --verify output is not filled in yet" >&2
        status=1
    fi
    total=$(cat "$1"/*.png 2>/dev/null | wc -c)
    echo "pictures: $(ls "$1"/*.png 2>/dev/null | wc -l), $((total / 1024)) KiB in all"
    ((total <= LIMIT_BYTES)) || { echo "the pictures exceed 3 MB" >&2; status=1; }
    return "$status"
}

if [ "${1:-}" = --check ]; then
    check_page "$(dirname "$PAGE")/img"
    exit
fi
if [ "${1:-}" = --render ]; then
    shots=${2:-/tmp/guide-shots}
    if ! command -v chromium >/dev/null; then
        apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq chromium \
            >/dev/null || { echo "cannot install chromium" >&2; exit 1; }
    fi
    mkdir -p "$shots"
    for size in desktop:1280,2000 phone:390,844; do
        chromium --headless --no-sandbox --disable-gpu --hide-scrollbars \
            --screenshot="$shots/${size%%:*}.png" --window-size="${size#*:}" "file://$PAGE" \
            2>/dev/null || { echo "chromium failed" >&2; exit 1; }
        echo "$shots/${size%%:*}.png"
    done
    exit
fi

PROGRAM=${1:-./build/vantoria}
OUT=${2:-$TOP/docs/guide/img}
RUN=${GUIDE_RUN:-/tmp/guide-run}
# Named as the installed program's data folder is, since the control bar shows it.
APP=$RUN/Vantoria
EXAMPLES=$TOP/docs/guide/example
SCREEN_W=1920
SCREEN_H=1080
# Show pictures are halved: 960 px is as wide as the page ever shows them.
SHOW_WIDTH=960

die() {
    echo "guide-screenshots: $*" >&2
    # What the screen showed when it went wrong.
    [ -n "${DISPLAY:-}" ] && import -window root "$RUN/failed.png" 2>/dev/null &&
        echo "screen at the failure: $RUN/failed.png" >&2
    exit 1
}

# --- tools -------------------------------------------------------------------------------
need=()
for t in Xvfb:xvfb xdotool:xdotool import:imagemagick pngquant:pngquant optipng:optipng; do
    command -v "${t%%:*}" >/dev/null || need+=("${t#*:}")
done
if ((${#need[@]})); then
    echo "installing ${need[*]}"
    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${need[@]}" \
        >/dev/null || die "cannot install ${need[*]}"
fi

# --- a private copy of the program -------------------------------------------------------
[ -x "$PROGRAM" ] || die "no program at $PROGRAM (build it first, or pass its path)"
SRC=$(cd "$(dirname "$PROGRAM")" && pwd)
rm -rf "$RUN"
mkdir -p "$APP" "$RUN/raw" "$RUN/home/Documents" "$RUN/runtime" "$OUT" || die "cannot create $RUN"
chmod 700 "$RUN/runtime"
cp "$PROGRAM" "$APP/vantoria" || die "cannot copy $PROGRAM"
for f in libcelvex.so image music sound example init.xml; do
    cp -r "$SRC/$f" "$APP/" || die "$SRC/$f is missing: is $PROGRAM in a build tree?"
done
# The file dialogs open in the documents folder: the example lists wait there.
cp "$EXAMPLES"/*.csv "$RUN/home/Documents/" || die "no example lists in $EXAMPLES"

export HOME="$RUN/home" XDG_DATA_HOME="$RUN/home/.local/share" XDG_CONFIG_HOME="$RUN/home/.config"
export XDG_RUNTIME_DIR="$RUN/runtime" XDG_DOCUMENTS_DIR="$RUN/home/Documents"
export SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb LANG=C.UTF-8
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"

# --- X server ----------------------------------------------------------------------------
XVFB_PID=
PID=
cleanup() {
    [ -n "$PID" ] && kill "$PID" 2>/dev/null && wait "$PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
}
trap cleanup EXIT
trap 'exit 1' INT TERM
for ((d = 140; d < 180; d++)); do
    [ -e "/tmp/.X$d-lock" ] && continue
    : >"$RUN/display"
    Xvfb ":$d" -displayfd 3 -screen 0 "${SCREEN_W}x${SCREEN_H}x24" -nolisten tcp \
        3>"$RUN/display" >"$RUN/xvfb.log" 2>&1 &
    XVFB_PID=$!
    for ((n = 0; n < 100; n++)); do
        [ -s "$RUN/display" ] && break 2
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null
    XVFB_PID=
done
[ -n "$XVFB_PID" ] || die "Xvfb did not start (see $RUN/xvfb.log)"
export DISPLAY=":$d"

# --- helpers -----------------------------------------------------------------------------
now_ms() { echo $(($(date +%s%N) / 1000000)); }
# Waits until a command prints something; prints it.
wait_for() {  # timeout_ms command...
    local limit=$1 start out
    shift
    start=$(now_ms)
    while (($(now_ms) - start < limit)); do
        out=$("$@" 2>/dev/null)
        [ -n "$out" ] && { echo "$out"; return 0; }
        kill -0 "$PID" 2>/dev/null || return 1
        sleep 0.1
    done
    return 1
}
main_window() { xdotool search --onlyvisible --name '^Vantoria [0-9]' 2>/dev/null | head -n1; }
# The full-screen show window (or design window).
show_window() {
    local w
    for w in $(xdotool search --onlyvisible --class . 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" 2>/dev/null || continue
        [ "${WIDTH:-0}" = "$SCREEN_W" ] && [ "${HEIGHT:-0}" = "$SCREEN_H" ] && { echo "$w"; return 0; }
    done
}
no_show_window() { [ -z "$(show_window)" ] && echo gone; }
# A visible top-level window other than the setup window and those given: a dialog or a file
# dialog. (Looked up by id: xdotool cannot match Chinese window titles.)
other_window() {
    local w main
    main=$(main_window)
    for w in $(xdotool search --onlyvisible --maxdepth 1 --name . 2>/dev/null); do
        [ "$w" = "$main" ] && continue
        [[ " $* " == *" $w "* ]] && continue
        eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" 2>/dev/null || continue
        ((${WIDTH:-0} > 100 && ${HEIGHT:-0} > 60)) && { echo "$w"; return 0; }
    done
}
no_other_window() { [ -z "$(other_window)" ] && echo gone; }
settle() { sleep "${1:-0.6}"; }
click_at() { xdotool mousemove --window "$1" "$2" "$3" click 1; }
# Setup window: tab i of the strip on the left (48 px rows below the 90 px banner).
click_tab() { click_at "$MAIN" 100 $((90 + 24 + 48 * $1)); settle; }
# Buttons of a page's top row: 90 px wide, 93 px apart, from x = 8 inside the page.
click_page_button() { click_at "$MAIN" $((200 + 8 + 93 * $1 + 45)) $((90 + 23)); }
bar_button() {  # start | rehearse
    eval "$(xdotool getwindowgeometry --shell "$MAIN")"
    if [ "$1" = start ]; then
        click_at "$MAIN" $((WIDTH - 8 - 200)) $((HEIGHT - 30))
    else
        click_at "$MAIN" $((WIDTH - 8 - 400 - 8 - 45)) $((HEIGHT - 30))
    fi
}
shot_window() {  # window name
    import -window "$1" "$RUN/raw/$2.png" || die "cannot take $2"
    echo "  $2"
}
shot_screen() { shot_window root "$1"; }
# The setup window with whatever pops up over it (a menu), as one picture.
shot_around_main() {  # name extra_height
    eval "$(xdotool getwindowgeometry --shell "$MAIN")"
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$RUN/raw/$1.png" ||
        die "cannot take $1"
    echo "  $1"
}
key() { xdotool key --delay 80 "$@"; settle 0.4; }
# Opens a file from the documents folder through the import menu (item 2: spreadsheet, 3: text).
import_file() {  # menu_item file
    click_page_button 0
    settle
    local i
    for ((i = 0; i < $1; i++)); do xdotool key Down; done
    xdotool key Return
    FILE_DIALOG=$(wait_for 10000 other_window) || die "no file dialog"
    settle 1
    xdotool type --delay 40 "$2"
    settle 0.3
    xdotool key Return
}
show_step() { xdotool key space; settle "${1:-0.8}"; }

# --- the run -----------------------------------------------------------------------------
(cd "$APP" && exec ./vantoria >"$RUN/program.log" 2>&1) &
PID=$!
MAIN=$(wait_for 30000 main_window) || die "the setup window did not come (see $RUN/program.log)"
settle 1.5
echo "taking pictures in $RUN/raw"

# The draw list, empty, with the import menu open.
click_tab 0
click_page_button 0
settle
shot_around_main import-menu
xdotool key Escape
settle

# The example list through the spreadsheet entry (it takes CSV too), and its preview.
import_file 2 "名单示例.csv"
PREVIEW=$(wait_for 15000 other_window "$FILE_DIALOG") || die "no import preview"
settle 1
shot_window "$PREVIEW" import-preview
xdotool key Return
wait_for 10000 no_other_window >/dev/null || die "the preview did not close"
settle 1
shot_window "$MAIN" candidates

# Prizes: the shipped defaults, and the dialog of the first one.
click_tab 1
shot_window "$MAIN" prizes
click_at "$MAIN" 300 $((90 + 44 + 25))
settle 0.3
click_page_button 1
DIALOG=$(wait_for 10000 other_window) || die "no prize dialog"
settle 1
shot_window "$DIALOG" prize-dialog
xdotool key Escape
wait_for 10000 no_other_window >/dev/null || die "the prize dialog did not close"

# The rules page as the import left it, and the design preview behind 字体和颜色.
click_tab 2
shot_window "$MAIN" rules
eval "$(xdotool getwindowgeometry --shell "$MAIN")"
click_at "$MAIN" $((WIDTH - 15 - 191)) $((90 + 175))
wait_for 15000 show_window >/dev/null || die "no design preview"
settle 3
shot_screen show-design
xdotool key Escape
wait_for 10000 no_show_window >/dev/null || die "the design preview did not close"
settle

# A late addition brings a second 王磊: the preview flags it, the rules page names the rows.
click_tab 0
import_file 3 "名单补充.csv"
PREVIEW=$(wait_for 15000 other_window "$FILE_DIALOG") || die "no import preview for the addition"
settle 1
shot_window "$PREVIEW" import-repeat
xdotool key Return
wait_for 10000 no_other_window >/dev/null || die "the preview did not close"
click_tab 2
settle
# The warning stands below the last check box: scroll the page to it with the arrows of its
# scroll bar (a wheel over the page would turn whichever list box is under the mouse).
scroll_rules() {  # down | up
    eval "$(xdotool getwindowgeometry --shell "$MAIN")"
    local y=$((90 + 7))
    [ "$1" = down ] && y=$((HEIGHT - 60 - 7))
    xdotool mousemove --window "$MAIN" $((WIDTH - 6)) "$y" click --repeat 12 --delay 30 1
    settle
}
scroll_rules down
shot_window "$MAIN" rules-repeat
# Draw by 姓名 + 部门 (the third entry of 抽奖信息) instead.
scroll_rules up
click_at "$MAIN" $((200 + 300)) $((90 + 279 + 14))
settle
xdotool key Home Down Down Return
settle
scroll_rules down
shot_window "$MAIN" rules-fixed

# A rehearsal: the same show, marked 彩排, nothing kept.
bar_button rehearse
SHOW=$(wait_for 15000 show_window) || die "the rehearsal did not start"
settle 1.5
shot_screen show-rehearsal
xdotool key Escape
wait_for 10000 no_show_window >/dev/null || die "the rehearsal did not close"
settle

# The show itself.
bar_button start
SHOW=$(wait_for 15000 show_window) || die "the show did not start"
settle 1.5
shot_screen show-welcome
show_step
shot_screen show-prize
show_step 1.2
shot_screen show-rolling
show_step 1
shot_screen show-winners
# An absent winner: click the first name (2 columns of 5 at 1080p in the picture layout).
before=$(import -window root png:- | md5sum)
click_at "$SHOW" 885 405
settle
[ "$(import -window root png:- | md5sum)" != "$before" ] || die "clicking a name asked nothing"
shot_screen show-void-ask
xdotool key y
settle
shot_screen show-voided
show_step
shot_screen show-redraw
show_step 1
show_step 1
# The next round's prize screen, then Esc: leaving asks first.
show_step
xdotool key Escape
settle
shot_screen show-leave
xdotool key y
wait_for 10000 no_show_window >/dev/null || die "the show did not close"
settle
click_tab 3
shot_window "$MAIN" winners-paused

# Resume: the same show goes on to its end.
bar_button start
SHOW=$(wait_for 15000 show_window) || die "the show did not resume"
settle 1.5
# Six rounds of three steps are left, then the finished screen; extra steps do nothing there.
for ((i = 0; i < 21; i++)); do show_step 0.5; done
# The list of winners scrolls up from below: let it reach the middle.
settle 6
shot_screen show-finished
xdotool key Escape
wait_for 10000 no_show_window >/dev/null || die "the finished show did not close"
settle

# The winners, the statistics and the record check.
click_tab 3
shot_window "$MAIN" winners
click_page_button 2
DIALOG=$(wait_for 10000 other_window) || die "no statistics"
settle 1
shot_window "$DIALOG" winner-stats
xdotool key Escape
wait_for 10000 no_other_window >/dev/null
click_page_button 3
DIALOG=$(wait_for 20000 other_window) || die "no verify report"
settle 1
shot_window "$DIALOG" verify
xdotool key Escape
wait_for 10000 no_other_window >/dev/null

# SIGTERM ends it like the close box: both files written.
kill -TERM "$PID"
wait "$PID"
PID=
echo "vantoria --verify on the example's folder:"
"$APP/vantoria" --verify "$APP" | tee "$RUN/verify-pass.txt"
verify_status=${PIPESTATUS[0]}
# What an auditor sees after tampering: a changed roll count in the record's first round, and a
# winner taken out of data.xml.
for kind in record data; do
    mkdir -p "$RUN/$kind"
    cp "$APP"/{cd.xml,data.xml,draw-record.jsonl} "$RUN/$kind/"
done
LC_ALL=C sed -i '2s/"rolls":\([0-9]\)/"rolls":1\1/' "$RUN/record/draw-record.jsonl"
LC_ALL=C sed -i '0,/<Winner [^>]*\/>/s///' "$RUN/data/data.xml"
for kind in record data; do
    "$APP/vantoria" --verify "$RUN/$kind" >"$RUN/verify-$kind.txt"
    [ $? = 1 ] || { echo "tampering with $kind went unnoticed" >&2; verify_status=1; }
done

# The page quotes these outputs between its verify markers, so they always match the pictures.
fill_output() {  # marker file
    local block
    block=$(sed -e 's/&/\&amp;/g' -e 's/</\&lt;/g' -e 's/>/\&gt;/g' "$2")
    BLOCK="<pre>\$ vantoria --verify 复制的文件夹"$'\n'"$block</pre>" awk -v m="$1" '
        $0 == "<!-- verify:" m " -->" { print; print ENVIRON["BLOCK"]; skip = 1; next }
        $0 == "<!-- /verify:" m " -->" { skip = 0 }
        !skip' "$PAGE" >"$PAGE.new" && mv "$PAGE.new" "$PAGE"
}
if [ -f "$PAGE" ]; then
    for kind in pass record data; do fill_output "$kind" "$RUN/verify-$kind.txt"; done
fi

# --- shrink and place --------------------------------------------------------------------
for f in "$RUN"/raw/*.png; do
    name=$(basename "$f")
    # The show's textured backgrounds take 64 colours without dithering well; the setup
    # window's flat greys need no such squeeze.
    if [[ $name == show-* ]]; then
        convert "$f" -resize "${SHOW_WIDTH}x" -strip "$RUN/raw/small-$name"
        quant=(--nofs 64)
    else
        convert "$f" -strip "$RUN/raw/small-$name"
        quant=(--quality 70-95)
    fi
    pngquant --force "${quant[@]}" --speed 1 --output "$OUT/$name" "$RUN/raw/small-$name" ||
        cp "$RUN/raw/small-$name" "$OUT/$name"
    optipng -quiet -o2 "$OUT/$name"
done
[ -n "${KEEP:-}" ] || rm -f "$RUN"/raw/small-*

# --- checks ------------------------------------------------------------------------------
status=0
# The show the pictures came from must check out, or the guide would show a broken evening.
((verify_status == 0)) || { echo "vantoria --verify failed on the example show" >&2; status=1; }
check_page "$OUT" || status=1
exit "$status"
