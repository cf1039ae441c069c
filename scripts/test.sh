#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
# The browser test's driver, from the npm registry, pinned by tests/web/package-lock.json.
if [ ! -d tests/web/node_modules/playwright-core ]; then
  npm ci --prefix tests/web --no-audit --no-fund --loglevel=error
fi
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVANTORIA_SANITIZE=ON \
      -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DCMAKE_C_FLAGS_DEBUG="-g -O1"
cmake --build build-test -j "$(nproc)"
ctest --test-dir build-test --output-on-failure
