#!/usr/bin/env bash
# Installs every Debian package Vantoria needs to build, run and test, and any further
# packages named as arguments (scripts/package.sh names its tools).
# Does nothing when they are all present. Run as root on Debian 12.
set -euo pipefail

PACKAGES=(
  build-essential g++ cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins libqt6opengl6-dev libgl-dev
  libsdl2-dev libsdl2-mixer-dev libid3-3.8.3-dev
  libxcb-render0-dev libxcb-render-util0-dev
  libxml2-dev libzip-dev libfreexl-dev libxlsxwriter-dev zlib1g-dev libsodium-dev
  libuchardet-dev libqrencode-dev libmicrohttpd-dev
  fonts-wqy-microhei fonts-noto-cjk qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick x11-utils x11-xserver-utils libxml2-utils
  clang-14 libclang-rt-14-dev clang-format
  lame ccache python3-openpyxl
  nodejs npm chromium wrk
  "$@"
)

missing=()
for p in "${PACKAGES[@]}"; do
  # A Node.js from elsewhere (NodeSource bundles npm) conflicts with Debian's npm: keep it.
  if { [ "$p" = nodejs ] || [ "$p" = npm ]; } && command -v node >/dev/null &&
     command -v npm >/dev/null; then
    continue
  fi
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
