#!/usr/bin/env bash
# Builds the desktop program and starts it with the files named on the
# command line.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh build
cmake --preset default -DKARARISU_TESTS=OFF -DKARARISU_BENCH=OFF >/dev/null
cmake --build --preset default --target kararisu -j"$(nproc)"
exec build/default/src/app/kararisu "$@"
