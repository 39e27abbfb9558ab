#!/usr/bin/env bash
# Runs a test program on a virtual X server under openbox, a real window
# manager, as on a desktop; the server and the manager go with it.
# usage: tests/gui/wm_test.sh PROGRAM [ARGS...]
# Exits 77 (skipped) where Xvfb, openbox or xprop is missing, unless
# KARARISU_REQUIRE_INPUTS=1 (CI), where that fails.
set -euo pipefail
for tool in Xvfb openbox xprop; do
  if ! command -v "$tool" >/dev/null; then
    if [ "${KARARISU_REQUIRE_INPUTS:-}" = 1 ]; then echo "missing: $tool" >&2; exit 1; fi
    echo "skipped: no $tool (Debian: xvfb, openbox, x11-utils)"
    exit 77
  fi
done
work=$(mktemp -d)
xvfb="" openbox=""
finish() {
  [ -n "$openbox" ] && kill "$openbox" 2>/dev/null && wait "$openbox" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT
# The server picks a free display and writes its number when it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"
HOME="$work" openbox --sm-disable >"$work/openbox.log" 2>&1 &
openbox=$!
# The manager is up once it names itself on the root window.
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' ||
  { echo "openbox did not start" >&2; cat "$work/openbox.log" >&2; exit 1; }
# The toolkit's and the X libraries' own allocations are not this test's.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
QT_QPA_PLATFORM=xcb "$@"
