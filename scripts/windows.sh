#!/usr/bin/env bash
# Windows x86-64 build of Vantoria, cross-compiled on Debian 12 with MinGW-w64.
#
#   bash scripts/windows.sh                 all stages in order
#   bash scripts/windows.sh build test      only the stages named
#   bash scripts/windows.sh --if-cached     all stages, or one line saying why not when the
#                                           dependencies of this tree are not built yet (CI)
#
# Stages (all but smoke run by default):
#   tools       installs the cross compilers, Wine, NSIS, Xvfb, xdotool, ImageMagick, zip and the
#               host Qt tools, and adds a deb-src stanza for Debian's source packages (every other
#               stage runs it first)
#   deps        cross-builds the third-party libraries from Debian's source packages into
#               ~/.cache/vantoria/mingw-<hash>/prefix (skips what is already built)
#   wineprefix  prepares a 64-bit Wine prefix (Windows 10, the CJK fonts)
#   build       cross-builds the program, celvex.dll and the test programs into build-windows/
#   test        runs the test suite (ctest) under Wine, offscreen
#   package     dist/Vantoria-Setup-<version>-x64.exe (NSIS) and dist/Vantoria-<version>-win64.zip
#   check       installs the installer silently under Wine and checks it, the portable zip and
#               the data files of both systems (scripts/windows/check.sh)
#   smoke       cross-builds scripts/windows/smoke and runs it under Wine
#
# Environment: VANTORIA_MINGW_CACHE overrides the cache folder (default keyed by the hash),
# VANTORIA_WINEPREFIX the Wine prefix (default ~/.cache/vantoria/wine64), VANTORIA_WIN_BUILD
# the build folder (default build-windows).
# To add a stage: define stage_NAME and add NAME to ALL_STAGES.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
WIN_DIR=$ROOT/scripts/windows
DEPS_DIR=$WIN_DIR/deps
# shellcheck source=windows/deps/common.sh
source "$DEPS_DIR/common.sh"

ALL_STAGES=(deps wineprefix build test package check)
EXTRA_STAGES=(smoke)
BUILD=${VANTORIA_WIN_BUILD:-$ROOT/build-windows}

HOST_PKGS=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
           libz-mingw-w64-dev wine wine64 nsis xvfb xauth qt6-base-dev qt6-base-dev-tools
           qt6-translations-l10n fonts-noto-cjk cmake ninja-build pkg-config dpkg-dev patch
           autoconf automake libtool make ccache imagemagick xdotool zip unzip libxml2-utils)

DEB_SRC_FILE=/etc/apt/sources.list.d/vantoria-deb-src.sources

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; fi

ensure_deb_src() {
  # Any enabled deb-src stanza will do.
  if grep -rqsE '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 1
  fi
  local src=/etc/apt/sources.list.d/debian.sources
  [ -f "$src" ] || die "no $src to copy a deb-src stanza from"
  log "adding $DEB_SRC_FILE"
  sed 's/^Types:.*/Types: deb-src/' "$src" | $SUDO tee "$DEB_SRC_FILE" >/dev/null
  return 0
}

stage_tools() {
  local missing=() p updated=0
  for p in "${HOST_PKGS[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$p")
  done
  if ensure_deb_src || [ ${#missing[@]} -gt 0 ]; then
    $SUDO apt-get update -q
    updated=1
  fi
  if [ ${#missing[@]} -gt 0 ]; then
    log "installing ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
  fi
  # Without an index of the sources (a new machine), apt-get source finds nothing.
  if [ "$updated" = 0 ] && ! apt-cache showsrc qt6-base 2>/dev/null | grep -q '^Package:'; then
    $SUDO apt-get update -q
  fi
}

stage_deps() {
  local t0 d
  t0=$(date +%s)
  for d in "${DEPS[@]}"; do
    build_dep "$d"
  done
  log "deps: $(($(date +%s) - t0))s"
  if [ -f "$CACHE/logs/times.txt" ]; then
    log "build times (first builds in this cache):"
    sed 's/^/   /' "$CACHE/logs/times.txt" >&2
  fi
  rmdir "$CACHE/src" "$CACHE/build" 2>/dev/null || true
  local f
  for f in "$HOME"/.cache/vantoria/sources/*/.orig-only; do
    [ -e "$f" ] || continue
    f=$(basename "$(dirname "$f")")
    printf "warning: %s is built from its upstream tarball alone: Debian's packaging of it could not be fetched\n" "$f" >&2
  done
}

# A Wine prefix of our own: 64-bit, Windows 10, a CJK font so that Chinese text renders.
WINE_XVFB_PID=""
# It does not depend on the dependencies, so it lives beside the caches, not in one.
wine_env() {
  export WINEPREFIX=${VANTORIA_WINEPREFIX:-$HOME/.cache/vantoria/wine64}
  export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
}

# Wine needs an X display even for offscreen Qt programs, else they never exit.
#   start_xvfb [WIDTHxHEIGHT]
start_xvfb() {
  [ -n "$WINE_XVFB_PID" ] && return 0
  local n size=${1:-1280x800}
  for n in $(seq 57 90); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
    WINE_XVFB_PID=$!
    export DISPLAY=":$n"
    sleep 1
    if kill -0 "$WINE_XVFB_PID" 2>/dev/null; then
      trap stop_xvfb EXIT
      return 0
    fi
    WINE_XVFB_PID=""
  done
  die "cannot start Xvfb"
}

stop_xvfb() {
  if [ -n "$WINE_XVFB_PID" ]; then
    wineserver -k 2>/dev/null || true
    kill "$WINE_XVFB_PID" 2>/dev/null || true
    wait "$WINE_XVFB_PID" 2>/dev/null || true
    WINE_XVFB_PID=""
  fi
}

# Noto Sans CJK in its two weights, for the offscreen tests and the screens (微软雅黑 falls back
# to it); copied again whenever one is missing, so an older prefix gets the bold too.
WINE_FONTS=(/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc
            /usr/share/fonts/opentype/noto/NotoSansCJK-Bold.ttc)

# Makes $WINEPREFIX ready, or completes it: 64-bit, Windows 10, the CJK fonts, which Wine's own
# dialogs (the file dialog) also fall back to for Chinese.
prepare_wineprefix() {
  local done_mark=$WINEPREFIX/.vantoria-ready f
  if [ ! -f "$done_mark" ]; then
    start_xvfb
    log "preparing wine prefix $WINEPREFIX"
    wineboot --init >/dev/null 2>&1 || true
    wineserver -w
    wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v Tahoma /t REG_MULTI_SZ /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK SC' /f >/dev/null
    wineserver -w
    touch "$done_mark"
  else
    log "wine prefix $WINEPREFIX: ready"
  fi
  for f in "${WINE_FONTS[@]}"; do
    [ -f "$WINEPREFIX/drive_c/windows/Fonts/$(basename "$f")" ] ||
      cp "$f" "$WINEPREFIX/drive_c/windows/Fonts/"
  done
}

stage_wineprefix() {
  wine_env
  prepare_wineprefix
}

# Where the DLLs a program needs can come from: the prefix, then the posix-flavour MinGW
# runtime (libstdc++, libgcc_s, winpthread). Anything else (KERNEL32.dll...) is Windows'.
RUNTIME_DIRS=()
runtime_dirs() {
  [ ${#RUNTIME_DIRS[@]} -gt 0 ] && return 0
  RUNTIME_DIRS=("$PREFIX/bin"
                "$(dirname "$($TRIPLET-g++-posix -print-file-name=libstdc++-6.dll)")"
                /usr/$TRIPLET/lib)
}

dll_imports() {
  $TRIPLET-objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p'
}

# Copies into DIR the DLLs that the given programs and plugins need, recursively.
copy_dlls() {
  local dir=$1; shift
  runtime_dirs
  local queue=("$@") f dll d
  while [ ${#queue[@]} -gt 0 ]; do
    f=${queue[0]}
    queue=("${queue[@]:1}")
    for dll in $(dll_imports "$f"); do
      [ -e "$dir/$dll" ] && continue
      for d in "${RUNTIME_DIRS[@]}"; do
        if [ -f "$d/$dll" ]; then
          cp "$d/$dll" "$dir/"
          queue+=("$dir/$dll")
          break
        fi
      done
    done
  done
}

# Makes DIR, which holds a Qt program, runnable: Qt plugins, translations and DLLs beside it.
# Later stages (the program, its tests, the packages) can use the same.
deploy_qt_program() {
  local dir=$1 p
  shift
  for p in platforms/qwindows.dll platforms/qoffscreen.dll styles/qwindowsvistastyle.dll \
           tls/qschannelbackend.dll tls/qcertonlybackend.dll \
           networkinformation/qnetworklistmanager.dll; do
    [ -f "$PREFIX/plugins/$p" ] || continue
    mkdir -p "$dir/$(dirname "$p")"
    cp "$PREFIX/plugins/$p" "$dir/$p"
  done
  mkdir -p "$dir/imageformats" "$dir/translations"
  cp "$PREFIX"/plugins/imageformats/*.dll "$dir/imageformats/"
  cp "$PREFIX"/translations/*.qm "$dir/translations/"
  copy_dlls "$dir" "$@" "$dir"/*/*.dll
}

stage_smoke() {
  [ -f "$PREFIX/lib/cmake/Qt6/Qt6Config.cmake" ] || die "run the deps stage first"
  stage_wineprefix
  local b=$CACHE/smoke
  rm -rf "$b"
  "${NICE[@]}" cmake -G Ninja -S "$WIN_DIR/smoke" -B "$b" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DVANTORIA_MINGW_PREFIX="$PREFIX" \
    -DCMAKE_BUILD_TYPE=Release
  "${NICE[@]}" ninja -C "$b" -j"$JOBS"
  local app=$b/app
  deploy_qt_program "$app" "$app/smoke.exe"
  mkdir -p "$app/data"
  cp "$ROOT/assets/image/default.jpg" "$ROOT/assets/image/prize_1.png" \
     "$ROOT/assets/music/default.mp3" "$ROOT/tests/data/import/titles_in_order.xls" "$app/data/"
  log "smoke.exe needs: $(cd "$app" && ls ./*.dll | tr '\n' ' ')"
  start_xvfb
  wine_env
  log "running smoke.exe under Wine (offscreen)"
  # Wine hides the Unix QT_* variables from Windows programs; WINEQT_X reaches them as QT_X.
  (cd "$app" && WINEQT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy timeout 300 wine smoke.exe)
  log "smoke: passed"
}

# The program, celvex.dll, celvex-worker.exe, vantoria-cli.exe and the test programs.
stage_build() {
  [ -f "$PREFIX/lib/cmake/Qt6/Qt6Config.cmake" ] || die "run the deps stage first"
  local t0
  t0=$(date +%s)
  # The cache of a tree configured against another prefix holds that prefix's libraries.
  if [ -f "$BUILD/CMakeCache.txt" ] &&
     ! grep -qx "VANTORIA_MINGW_PREFIX:PATH=$PREFIX" "$BUILD/CMakeCache.txt"; then
    log "build: $BUILD was made with another dependency prefix; starting it anew"
    rm -rf "$BUILD"
  fi
  "${NICE[@]}" cmake -G Ninja -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64.cmake" -DVANTORIA_MINGW_PREFIX="$PREFIX" >/dev/null
  "${NICE[@]}" cmake --build "$BUILD" -j "$JOBS"
  log "build: $(($(date +%s) - t0))s"
}

# The test suite under Wine (CMAKE_CROSSCOMPILING_EMULATOR is scripts/windows/wine-run.sh).
stage_test() {
  [ -f "$BUILD/CTestTestfile.cmake" ] || die "run the build stage first"
  stage_wineprefix
  start_xvfb
  wine_env
  export VANTORIA_MINGW_PREFIX=$PREFIX VANTORIA_WINEPREFIX=$WINEPREFIX
  # The tests' rescue copies land in the prefix's own profile; each run starts without them.
  rm -rf "$WINEPREFIX/drive_c/users/${USER:-$(id -un)}/AppData/Roaming/Vantoria"
  local t0 rc
  t0=$(date +%s)
  local logf=$BUILD/windows-tests.log
  set +e
  # Every test's own output goes to the log; the terminal gets one line per test program.
  ctest --test-dir "$BUILD" -V -j "$JOBS" >"$logf" 2>&1
  rc=$?
  set -e
  grep -E '^ *[0-9]+/[0-9]+ Test +#|tests passed|Skipped:|^[0-9]+: skipped:' "$logf" || true
  # The single tests inside the programs (GoogleTest's summaries, "N: " is ctest's prefix).
  local counts
  counts=$(sed -E 's/^[0-9]+: //' "$logf" | awk '
    /^\[  PASSED  \] [0-9]+ test/ {p += $4}
    /^\[  SKIPPED \] [0-9]+ test/ {s += $4}
    /^\[  FAILED  \] [0-9]+ test/ {f += $4}
    END {printf "%d passed, %d skipped, %d failed", p, s, f}')
  log "test: GoogleTest cases under Wine: $counts"
  # Each skipped case with its reason (the line after GoogleTest's "file:line: Skipped").
  awk '{ k = ""; if (match($0, /^[0-9]+: /)) { k = substr($0, 1, RLENGTH); $0 = substr($0, RLENGTH + 1) } }
       want[k] { why[k] = $0; want[k] = 0; next }
       / Skipped$/ { want[k] = 1; next }
       /^\[  SKIPPED \] [A-Za-z0-9_]+\.[A-Za-z0-9_]+ \(/ { printf "   skipped %s: %s\n", $4, why[k] }' \
    "$logf" >&2
  log "test: $(($(date +%s) - t0))s"
  if [ "$rc" != 0 ]; then
    sed -E 's/^[0-9]+: //' "$logf" | grep -E -B2 -A8 'Failure$|\[  FAILED  \]' | tail -n 80 >&2
    die "the Windows tests failed (log: $logf)"
  fi
}

project_version() {
  sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$BUILD/CMakeCache.txt"
}

# The program folder both packages hold: $BUILD/package/Vantoria.
PLUGINS=(platforms/qwindows.dll styles/qwindowsvistastyle.dll imageformats/qjpeg.dll
         imageformats/qgif.dll imageformats/qico.dll)
stage_folder() {
  local dir=$1 p f
  rm -rf "$dir"
  mkdir -p "$dir/translations"
  for f in vantoria.exe vantoria-cli.exe celvex.dll celvex-worker.exe; do
    cp "$BUILD/$f" "$dir/"
  done
  cp "$ROOT/assets/windows/qt.conf" "$dir/"
  for p in "${PLUGINS[@]}"; do
    mkdir -p "$dir/$(dirname "$p")"
    cp "$PREFIX/plugins/$p" "$dir/$p"
  done
  # Where NativeLook loads them from (qt.conf: translations/).
  cp "$PREFIX"/translations/qtbase_zh_CN.qm "$dir/translations/"
  copy_dlls "$dir" "$dir"/*.exe "$dir"/*.dll "$dir"/*/*.dll
  for f in "$dir"/*.exe "$dir"/*.dll "$dir"/*/*.dll; do
    "$TRIPLET-strip" --strip-unneeded "$f"
  done
  # The media and defaults, as assets/CMakeLists.txt copies them into the build tree.
  cp -r "$ROOT/assets/image" "$ROOT/assets/music" "$ROOT/assets/sound" "$ROOT/assets/example" \
        "$ROOT/assets/init.xml" "$dir/"
  # The operator's guide, when there is one.
  if [ -d "$ROOT/docs/guide" ]; then cp -r "$ROOT/docs/guide" "$dir/guide"; fi
}

stage_package() {
  [ -f "$BUILD/vantoria.exe" ] || die "run the build stage first"
  local version stage_root dir zip setup list size
  version=$(project_version)
  stage_root=$BUILD/package
  dir=$stage_root/Vantoria
  stage_folder "$dir"
  mkdir -p "$ROOT/dist"

  # Portable: unzip anywhere and run; the files stay beside the program.
  zip=$ROOT/dist/Vantoria-$version-win64.zip
  rm -f "$zip"
  rm -rf "$stage_root/Vantoria-$version"
  cp -r "$dir" "$stage_root/Vantoria-$version"
  (cd "$stage_root" && find "Vantoria-$version" | LC_ALL=C sort | zip -q -X -9 "$zip" -@)
  rm -rf "$stage_root/Vantoria-$version"

  # Installed: the same folder plus installed.txt, which sends the data to %APPDATA%.
  cp "$ROOT/assets/windows/installed.txt" "$dir/"
  list=$stage_root/uninstall-files.nsh
  {
    (cd "$dir" && find . -type f | LC_ALL=C sort) | sed 's#^\./##; s#/#\\#g; s#.*#  Delete "$INSTDIR\\&"#'
    (cd "$dir" && find . -mindepth 1 -type d | LC_ALL=C sort -r) |
      sed 's#^\./##; s#/#\\#g; s#.*#  RMDir "$INSTDIR\\&"#'
  } >"$list"
  size=$(du -sk "$dir" | cut -f1)
  setup=$ROOT/dist/Vantoria-Setup-$version-x64.exe
  rm -f "$setup"
  makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$dir" \
    -DICON="$BUILD/windows/vantoria.ico" -DOUTFILE="$setup" -DFILE_LIST="$list" \
    -DSIZE_KB="$size" "$ROOT/assets/windows/installer.nsi"
  log "installer: $setup ($(du -h "$setup" | cut -f1))"
  log "portable:  $zip ($(du -h "$zip" | cut -f1))"
}

# The packages under Wine: the silent install, the portable zip, and the data files of Linux
# and Windows read by the other system.
stage_check() {
  local version
  version=$(project_version)
  [ -f "$ROOT/dist/Vantoria-Setup-$version-x64.exe" ] || die "run the package stage first"
  wine_env
  # A Windows that has never seen the program: a new prefix for every check.
  export WINEPREFIX=${VANTORIA_CHECK_WINEPREFIX:-$HOME/.cache/vantoria/wine64-check}
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  prepare_wineprefix
  stop_xvfb
  local t0
  t0=$(date +%s)
  bash "$WIN_DIR/check.sh" "$ROOT/dist" "$version" "$BUILD"
  log "check: $(($(date +%s) - t0))s"
}

# Whether every dependency's stamp in $CACHE matches this tree's recipes.
deps_built() {
  local d
  for d in "${DEPS[@]}"; do
    [ -f "$CACHE/stamps/$d" ] && [ "$(cat "$CACHE/stamps/$d")" = "$(dep_stamp "$d")" ] || return 1
  done
}

main() {
  local if_cached=0
  if [ "${1:-}" = --if-cached ]; then
    if_cached=1
    shift
    # A machine that never built a prefix gets no tools installed either.
    if ! compgen -G "$HOME/.cache/vantoria/mingw-*/stamps/qtbase" >/dev/null; then
      echo "Windows build and tests skipped: no dependency cache in ~/.cache/vantoria (bash scripts/windows.sh deps builds it)"
      return 0
    fi
  fi
  local stages=("$@") s t0
  [ ${#stages[@]} -gt 0 ] || stages=("${ALL_STAGES[@]}")
  for s in "${stages[@]}"; do
    declare -F "stage_$s" >/dev/null ||
      die "unknown stage $s (stages: tools ${ALL_STAGES[*]} ${EXTRA_STAGES[*]})"
  done
  t0=$(date +%s)
  stage_tools
  compute_cache
  log "cache: $CACHE"
  if [ "$if_cached" = 1 ] && ! deps_built; then
    echo "Windows build and tests skipped: the dependencies of this tree are not built in $CACHE (bash scripts/windows.sh deps builds them)"
    return 0
  fi
  for s in "${stages[@]}"; do
    [ "$s" = tools ] && continue
    "stage_$s"
  done
  log "total: $(($(date +%s) - t0))s"
  log "prefix: $PREFIX"
  echo "$CACHE"
}

main "$@"
