#!/usr/bin/env bash
# Builds the batch tool and runs it with the arguments given, from any
# folder: `tools/cli.sh reduce --mode 0 -o out photo.bmp`. What the build
# says goes to standard error, so standard output holds the tool's own.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/tools/deps.sh" cli >&2
# A build folder of its own, without the desktop program, tests or benchmarks.
cmake -S "$top" -B "$top/build/cli" -DCMAKE_BUILD_TYPE=Release -DKARARISU_GUI=OFF \
  -DKARARISU_TESTS=OFF -DKARARISU_BENCH=OFF >/dev/null
cmake --build "$top/build/cli" --target kararisu-cli -j"$(nproc)" >&2
exec "$top/build/cli/src/cli/kararisu-cli" "$@"
