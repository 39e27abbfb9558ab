#!/usr/bin/env bash
# Pictures of the whole screen under a real window manager (Xvfb and
# openbox): each message box and file dialog of the merge dialog, the
# settings dialog and a viewer standing on top, the monitor, and a run's
# size message, as the window-manager test takes them.
# usage: tools/screenshot_wm.sh [OUT_PREFIX]   (default: build/screenshot/wm)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh test
prefix=${1:-build/screenshot/wm}
mkdir -p "$(dirname "$prefix")"
cmake --preset default >/dev/null
cmake --build --preset default --target wm_stacking_test -j2
KARARISU_SHOTS="$(realpath -m "$prefix")" tests/gui/wm_test.sh build/default/tests/wm_stacking_test
