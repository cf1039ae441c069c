#!/usr/bin/env bash
# The Windows packages under Wine, as an operator meets them; run by `scripts/windows.sh check`
# in a fresh Wine prefix of its own (WINEPREFIX is set by the caller):
#   - the installer in silent mode (/S): files, shortcuts, the uninstall entry;
#   - the installed program on the command line: --help, --data-folder (%APPDATA%\Vantoria);
#   - the same program on a 1920x1080 Xvfb, driven by xdotool: the setup window, the import of
#     the shipped example workbook, a show to its end, the close box; --verify on its data folder; screenshots in
#     $VANTORIA_SHOTS (default DIST/screens);
#   - the evening recorded on Linux (tests/data/record/evening) verified by the Windows program,
#     and the one the Windows program just recorded verified by the Linux program;
#   - the end of the session (wineboot --end-session) saves and ends the program;
#   - the portable zip keeps its files beside the program;
#   - the uninstaller removes the program and leaves the data folder alone.
#
#   check.sh DIST VERSION BUILD
set -euo pipefail

DIST=$1 VERSION=$2 BUILD=$3
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
SHOTS=${VANTORIA_SHOTS:-$DIST/screens}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/vantoria-wincheck.XXXXXX")
PF_WIN='C:\Program Files\Vantoria'
PF=$WINEPREFIX/drive_c/Program\ Files/Vantoria
WINE_USER=${USER:-$(id -un)}
APPDATA_DIR=$WINEPREFIX/drive_c/users/$WINE_USER/AppData/Roaming/Vantoria
SHORTCUT="Vantoria 年会抽奖.lnk"
PASSED=0

log() { printf '== check: %s\n' "$*" >&2; }
ok() {
  PASSED=$((PASSED + 1))
  printf '   ok: %s\n' "$*" >&2
}
fail() {
  printf 'FAIL: %s\n(work folder kept: %s)\n' "$*" "$WORK" >&2
  [ -n "${DISPLAY:-}" ] && import -window root "$WORK/failure.png" 2>/dev/null &&
    echo "screenshot: $WORK/failure.png" >&2
  exit 1
}

XVFB=""
PROGRAM=""
cleanup() {
  if [ -n "$PROGRAM" ] && kill -0 "$PROGRAM" 2>/dev/null; then kill "$PROGRAM"; fi
  wineserver -k 2>/dev/null || true
  if [ -n "$XVFB" ]; then kill "$XVFB" 2>/dev/null || true; fi
}
trap cleanup EXIT

start_xvfb() {
  local n
  for n in $(seq 91 120); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
    XVFB=$!
    export DISPLAY=":$n"
    sleep 1
    kill -0 "$XVFB" 2>/dev/null && return 0
    XVFB=""
  done
  fail "cannot start Xvfb"
}

# A Unix path as the Windows programs see it (Wine's drive Z: is the Unix root).
win_path() { printf 'Z:%s' "${1//\//\\}"; }
cli() { wine "$PF_WIN\\vantoria-cli.exe" "$@"; }
shot() {
  import -window root "$SHOTS/$1.png"
  printf '   screenshot: %s\n' "$SHOTS/$1.png" >&2
}

# Waits (up to $2 seconds) until the function $1 prints a window id, and prints it.
wait_window() {
  local i w
  for ((i = 0; i < $2 * 10; i++)); do
    w=$($1)
    if [ -n "$w" ]; then
      echo "$w"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
setup_window() { xdotool search --onlyvisible --name "^Vantoria $VERSION\$" 2>/dev/null | head -n1; }
preview_window() { xdotool search --onlyvisible --name '^导入预览$' 2>/dev/null | head -n1; }
show_window() {
  local w
  for w in $(xdotool search --onlyvisible --name . 2>/dev/null); do
    eval "$(xdotool getwindowgeometry --shell "$w" 2>/dev/null)" || continue
    if [ "${WIDTH:-0}" = 1920 ] && [ "${HEIGHT:-0}" = 1080 ]; then
      echo "$w"
      return 0
    fi
  done
}
# Clicks a point given from a window's top-left corner (negative: from its right or bottom).
click_in() {
  local x=$2 y=$3
  eval "$(xdotool getwindowgeometry --shell "$1")"
  ((x < 0)) && x=$((WIDTH + x))
  ((y < 0)) && y=$((HEIGHT + y))
  xdotool mousemove $((X + x)) $((Y + y)) click 1
}

start_program() {
  pushd "$PF" >/dev/null
  SDL_AUDIODRIVER=dummy wine vantoria.exe >>"$WORK/program.log" 2>&1 &
  PROGRAM=$!
  popd >/dev/null
  MAIN=$(wait_window setup_window 90) || fail "no setup window within 90 s"
}
# Waits for the program to end; its exit status must be 0.
wait_exit() {
  local i rc
  for ((i = 0; i < $1 * 10; i++)); do
    kill -0 "$PROGRAM" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$PROGRAM" 2>/dev/null && fail "the program still runs $1 s after $2"
  rc=0
  wait "$PROGRAM" || rc=$?
  PROGRAM=""
  [ "$rc" = 0 ] || fail "exit status $rc after $2"
}

# A Linux program of this tree to verify the Windows-made evening with, brought up to date: the
# test tree's when there is one (CI has just built it), else a release tree in build-linux/.
linux_program() {
  local tree=$ROOT/build-test
  if [ ! -f "$tree/CMakeCache.txt" ]; then
    tree=$ROOT/build-linux
    [ -f "$tree/CMakeCache.txt" ] ||
      nice -n 10 cmake -G Ninja -S "$ROOT" -B "$tree" -DCMAKE_BUILD_TYPE=Release \
        -DVANTORIA_BENCH=OFF -DVANTORIA_TESTS=OFF >/dev/null
  fi
  log "bringing the Linux program in ${tree#"$ROOT"/}/ up to date for the cross check"
  nice -n 10 cmake --build "$tree" -j 2 --target vantoria >/dev/null
  echo "$tree/vantoria"
}

mkdir -p "$SHOTS"
rm -f "$SHOTS"/*.png
start_xvfb

log "silent install"
wine "$DIST/Vantoria-Setup-$VERSION-x64.exe" /S || fail "the installer failed"
wineserver -w
for f in vantoria.exe vantoria-cli.exe celvex.dll celvex-worker.exe qt.conf installed.txt \
         uninstall.exe Qt6Core.dll libxml2.dll platforms/qwindows.dll translations/qtbase_zh_CN.qm \
         image/default.jpg music/default.mp3 sound/stop.wav example/import_1.png example/名单示例.xlsx guide/index.html init.xml; do
  [ -f "$PF/$f" ] || fail "not installed: $f"
done
ok "files in $PF_WIN"
[ -f "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/$SHORTCUT" ] ||
  fail "no Start-menu shortcut"
[ -f "$WINEPREFIX/drive_c/users/Public/Desktop/$SHORTCUT" ] || fail "no desktop shortcut"
ok "Start-menu and desktop shortcuts \"${SHORTCUT%.lnk}\""
wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vantoria' /v DisplayVersion \
  2>/dev/null | grep -q "$VERSION" || fail "no uninstall entry of version $VERSION"
ok "uninstall entry, version $VERSION"

log "the installed program on the command line"
cli --help >"$WORK/help.out" || fail "--help exit status $?"
grep -q -- '--verify' "$WORK/help.out" || fail "--help says nothing of --verify"
folder=$(cli --data-folder | tr -d '\r')
[ "$folder" = "C:\\users\\$WINE_USER\\AppData\\Roaming\\Vantoria\\" ] ||
  fail "the installed program keeps its data in '$folder', not in %APPDATA%\\Vantoria"
ok "--help; --data-folder is $folder"

log "the Linux-made evening verified on Windows"
evening="$WORK/晚会 evening"
cp -r "$ROOT/tests/data/record/evening" "$evening"
rc=0
cli --verify "$(win_path "$evening")" >"$WORK/verify-linux.out" || rc=$?
[ "$rc" = 0 ] || fail "--verify of the Linux evening: exit $rc: $(cat "$WORK/verify-linux.out")"
grep -q '全部通过' "$WORK/verify-linux.out" || fail "--verify did not say 全部通过"
sed 's/^/   | /' "$WORK/verify-linux.out" >&2
sed -i 's/"rolls":\([0-9]\)/"rolls":9\1/' "$evening/draw-record.jsonl"
rc=0
cli --verify "$(win_path "$evening")" >/dev/null || rc=$?
[ "$rc" = 1 ] || fail "--verify of a tampered record: exit $rc, not 1"
ok "the Linux evening verifies (exit 0), tampered it does not (exit 1)"

log "the installed program on the screen"
# The example workbook the installer put in the program folder, under an ASCII name that
# xdotool can type into Wine's file dialog.
cp "$PF/example/名单示例.xlsx" "$WORK/people.xlsx"
start_program
sleep 2
shot 01-setup-window
# 导入名单, then 从Excel文件导入 in its menu.
click_in "$MAIN" 251 113
sleep 1
click_in "$MAIN" 290 172
sleep 3
# The file dialog (Wine's own) takes the name typed into its focused name field.
xdotool type --delay 15 "$(win_path "$WORK/people.xlsx")"
sleep 0.5
xdotool key Return
preview=$(wait_window preview_window 30) || fail "no import preview"
sleep 1
shot 02-import-preview
click_in "$preview" -131 -24
sleep 3
n=$(xmllint --xpath 'count(//Vantoria/CandidateList/Candidate)' "$APPDATA_DIR/cd.xml")
[ "$n" = 60 ] || fail "cd.xml holds $n candidates after the import, not 60"
shot 03-candidates
ok "imported the 60 people of the example workbook"

click_in "$MAIN" -209 -31
show=$(wait_window show_window 30) || fail "the show did not open"
sleep 2
shot 04-show-welcome
record=$APPDATA_DIR/draw-record.jsonl
# The rounds of init.xml's prizes: a batch is a round.
expected=$(xmllint --xpath 'sum(//Prize/@batch)' "$PF/init.xml")
presses=0
rounds=0
while ((rounds < expected)); do
  ((presses < 80)) || fail "$rounds of $expected rounds after $presses presses"
  xdotool key space
  presses=$((presses + 1))
  sleep 1.5
  case $presses in
    2) shot 05-show-rolling ;;
    3) shot 06-show-winners ;;
  esac
  [ -n "$(show_window)" ] || fail "the show window closed after $presses presses"
  rounds=$(grep -c '"type":"round"' "$record" || true)
done
# From the last winners to the end of the show.
sleep 1
xdotool key space
sleep 3
shot 07-show-finished
ok "a show of $rounds rounds to its end in $((presses + 1)) presses"
xdotool key Escape
for ((i = 0; i < 150; i++)); do
  [ -n "$(show_window)" ] || break
  sleep 0.1
done
[ -z "$(show_window)" ] || fail "Esc did not leave the finished show within 15 s"
grep -q '"type":"end"' "$record" || fail "the record has no end of the show"
click_in "$MAIN" 100 256
sleep 1
shot 08-winner-list
# The close box: Alt+F4 on the setup window.
click_in "$MAIN" 300 30
xdotool key alt+F4
wait_exit 30 "the close box"
winners=$(xmllint --xpath 'count(//Vantoria/WinnerList/Winner)' "$APPDATA_DIR/data.xml")
[ "$winners" = 39 ] || fail "data.xml holds $winners winners, not the 39 of init.xml's prizes"
ok "closed with exit 0; data.xml holds $winners winners"

rc=0
cli --verify >"$WORK/verify-windows.out" || rc=$?
[ "$rc" = 0 ] || fail "--verify of the data folder: exit $rc: $(cat "$WORK/verify-windows.out")"
sed 's/^/   | /' "$WORK/verify-windows.out" >&2
ok "vantoria-cli --verify on its data folder: exit 0"

log "the Windows-made evening verified on Linux"
linux=$(linux_program)
cp -r "$APPDATA_DIR" "$WORK/windows-evening"
rc=0
ASAN_OPTIONS=detect_leaks=0 QT_QPA_PLATFORM=offscreen "$linux" --verify "$WORK/windows-evening" \
  >"$WORK/verify-on-linux.out" 2>&1 || rc=$?
[ "$rc" = 0 ] || fail "Linux --verify of the Windows evening: exit $rc: $(cat "$WORK/verify-on-linux.out")"
ok "$linux --verify: exit 0 ($(tail -n1 "$WORK/verify-on-linux.out"))"

log "the end of the session"
before=$(date -r "$APPDATA_DIR/data.xml" +%s%N)
start_program
sleep 2
wineboot --end-session
wait_exit 30 "the end of the session"
after=$(date -r "$APPDATA_DIR/data.xml" +%s%N)
[ "$before" != "$after" ] || fail "data.xml was not written at the end of the session"
leftovers=$(cd "$APPDATA_DIR" && ls | grep '\.saving$' || true)
[ -z "$leftovers" ] || fail "a save was cut off by the end of the session: $leftovers"
ok "the session's end saved both files and ended the program"

log "the portable zip"
portable="$WORK/便携 portable"
mkdir -p "$portable"
unzip -q "$DIST/Vantoria-$VERSION-win64.zip" -d "$portable"
[ ! -e "$portable/Vantoria-$VERSION/installed.txt" ] || fail "the zip holds installed.txt"
folder=$(wine "$(win_path "$portable/Vantoria-$VERSION")\\vantoria-cli.exe" --data-folder | tr -d '\r')
[ "$folder" = "$(win_path "$portable/Vantoria-$VERSION")\\" ] ||
  fail "the portable program keeps its data in '$folder', not beside itself"
ok "the portable program keeps its data beside itself ($folder)"

log "uninstall"
wine "$PF/uninstall.exe" /S
wineserver -w
for ((i = 0; i < 100; i++)); do
  [ -e "$PF/vantoria.exe" ] || break
  sleep 0.1
done
[ ! -e "$PF" ] || fail "left in the program folder: $(ls "$PF")"
[ ! -e "$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/$SHORTCUT" ] ||
  fail "the Start-menu shortcut stayed"
[ -f "$APPDATA_DIR/data.xml" ] && [ -f "$APPDATA_DIR/draw-record.jsonl" ] ||
  fail "the uninstaller took the data folder"
ok "the program and its shortcuts are gone; the data folder stayed"

log "passed: $PASSED checks; screenshots in $SHOTS"
rm -rf "$WORK"
