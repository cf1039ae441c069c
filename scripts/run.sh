#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it from the build tree.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTORIA_TESTS=OFF
cmake --build build -j "$(nproc)" --target vantoria
exec ./build/vantoria "$@"
