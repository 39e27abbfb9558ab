#!/usr/bin/env bash
# Builds the desktop program and starts it with the files named on the
# command line.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh build
# A build folder of its own: no tests or benchmarks, and the test command's
# configuration is left as it is.
cmake -S . -B build/app -DCMAKE_BUILD_TYPE=Release -DKARARISU_TESTS=OFF -DKARARISU_BENCH=OFF >/dev/null
cmake --build build/app --target kararisu -j"$(nproc)"
exec build/app/src/app/kararisu "$@"
