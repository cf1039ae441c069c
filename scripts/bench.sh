#!/usr/bin/env bash
# Builds an optimised tree and runs the benchmarks; extra arguments go to Google Benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTORIA_TESTS=OFF
cmake --build build -j "$(nproc)" --target vantoria_bench
exec ./build/vantoria_bench "$@"
