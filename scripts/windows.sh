#!/usr/bin/env bash
# Windows x86-64 build of Vantoria, cross-compiled on Debian 12 with MinGW-w64.
#
#   bash scripts/windows.sh                 all stages in order
#   bash scripts/windows.sh deps smoke      only the stages named
#
# Stages:
#   tools       installs the cross compilers, Wine, NSIS, Xvfb and the host Qt tools, and adds a
#               deb-src stanza for Debian's source packages (every other stage runs it first)
#   deps        cross-builds the third-party libraries from Debian's source packages into
#               ~/.cache/vantoria/mingw-<hash>/prefix (skips what is already built)
#   wineprefix  prepares a 64-bit Wine prefix (Windows 10, a CJK font)
#   smoke       cross-builds scripts/windows/smoke and runs it under Wine
#
# Environment: VANTORIA_MINGW_CACHE overrides the cache folder (default keyed by the hash),
# VANTORIA_WINEPREFIX the Wine prefix (default ~/.cache/vantoria/wine64).
# To add a stage: define stage_NAME and add NAME to ALL_STAGES.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
WIN_DIR=$ROOT/scripts/windows
DEPS_DIR=$WIN_DIR/deps
# shellcheck source=windows/deps/common.sh
source "$DEPS_DIR/common.sh"

ALL_STAGES=(deps wineprefix smoke)

HOST_PKGS=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
           libz-mingw-w64-dev wine wine64 nsis xvfb xauth qt6-base-dev qt6-base-dev-tools
           qt6-translations-l10n fonts-noto-cjk cmake ninja-build pkg-config dpkg-dev patch
           autoconf automake libtool make ccache)

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
start_xvfb() {
  [ -n "$WINE_XVFB_PID" ] && return 0
  local n
  for n in $(seq 57 90); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
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

stage_wineprefix() {
  wine_env
  local font=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc
  local done_mark=$WINEPREFIX/.vantoria-ready
  if [ -f "$done_mark" ]; then
    log "wine prefix $WINEPREFIX: ready, skipped"
    return 0
  fi
  start_xvfb
  log "preparing wine prefix $WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
  wineserver -w
  wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null
  wineserver -w
  cp "$font" "$WINEPREFIX/drive_c/windows/Fonts/"
  touch "$done_mark"
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

main() {
  local stages=("$@") s t0
  [ ${#stages[@]} -gt 0 ] || stages=("${ALL_STAGES[@]}")
  for s in "${stages[@]}"; do
    declare -F "stage_$s" >/dev/null || die "unknown stage $s (stages: tools ${ALL_STAGES[*]})"
  done
  t0=$(date +%s)
  stage_tools
  compute_cache
  log "cache: $CACHE"
  for s in "${stages[@]}"; do
    [ "$s" = tools ] && continue
    "stage_$s"
  done
  log "total: $(($(date +%s) - t0))s"
  log "prefix: $PREFIX"
  echo "$CACHE"
}

main "$@"
