#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs one: scripts/fuzz.sh fuzz_data_file [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
target=${1:?name of a fuzz target, e.g. fuzz_data_file}
seconds=${2:-60}
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DVANTORIA_FUZZ=ON
cmake --build build-fuzz -j "$(nproc)" --target "$target"
mkdir -p "fuzz-corpus/$target"
seeds="fuzz/seeds/${target#fuzz_}"
[ -d "$seeds" ] || seeds=""
ASAN_OPTIONS=detect_leaks=0 "./build-fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=2048 \
      "fuzz-corpus/$target" $seeds
