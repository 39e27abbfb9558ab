#!/usr/bin/env bash
# Builds the program, starts it on a virtual X display with a few generated
# images loaded, and saves pictures of the main window and its menus.
# usage: tools/screenshot.sh [OUT_PREFIX]   (default: build/screenshot/kararisu)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh test
if ! command -v xvfb-run >/dev/null || ! command -v xauth >/dev/null; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends xvfb xauth
fi
prefix=${1:-build/screenshot/kararisu}
mkdir -p "$(dirname "$prefix")"
cmake --preset default >/dev/null
cmake --build --preset default --target kararisu-screenshot -j"$(nproc)"
xvfb-run -a -s '-screen 0 1024x768x24' build/default/tests/kararisu-screenshot "$prefix"
