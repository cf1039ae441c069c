#!/usr/bin/env bash
# Runs a cross-built program under Wine the way the tests need it; the Windows build's
# CMAKE_CROSSCOMPILING_EMULATOR, so ctest runs every test program through it.
#
#   wine-run.sh PROGRAM.exe [ARGUMENTS...]
#
# Environment: VANTORIA_MINGW_PREFIX (the dependency prefix, whose DLLs and Qt plugins the
# programs of the build tree use where they are), VANTORIA_WINEPREFIX (default
# ~/.cache/vantoria/wine64, made by `scripts/windows.sh wineprefix`).
set -euo pipefail

export WINEPREFIX=${VANTORIA_WINEPREFIX:-$HOME/.cache/vantoria/wine64}
export WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="

windows_path() {  # Wine shows the Unix root as drive Z:
  local p=$1
  printf 'Z:%s' "${p//\//\\}"
}

# The DLLs of the build tree's programs: the prefix's, then the MinGW runtime's.
dirs=()
if [ -n "${VANTORIA_MINGW_PREFIX:-}" ]; then dirs+=("$(windows_path "$VANTORIA_MINGW_PREFIX/bin")"); fi
runtime=$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)
dirs+=("$(windows_path "$(dirname "$runtime")")" "$(windows_path /usr/x86_64-w64-mingw32/lib)")
WINEPATH=$(IFS=';'; printf '%s' "${dirs[*]}")
export WINEPATH

# Wine hides every Unix QT_* variable from Windows programs; WINEQT_X reaches them as QT_X.
for v in QT_QPA_PLATFORM QT_SCALE_FACTOR QT_LOGGING_RULES QT_DEBUG_PLUGINS; do
  if [ -n "${!v:-}" ]; then export "WINE$v=${!v}"; fi
done
# Offscreen Qt reads its fonts from a folder: the prefix's, which has the CJK face.
export WINEQT_QPA_FONTDIR='C:\windows\Fonts'

# Wine needs an X display even for offscreen programs, or they never exit.
if [ -z "${DISPLAY:-}" ]; then
  echo "wine-run.sh: no DISPLAY (start an Xvfb first)" >&2
  exit 1
fi
# A test that needs a console of its own (VANTORIA_IN_CONSOLE) runs in one of Wine's.
if [ -n "${VANTORIA_IN_CONSOLE:-}" ]; then exec wine wineconsole "$@"; fi
exec wine "$@"
