#!/usr/bin/env bash
# The desktop program's reduction (offscreen, through the window's own code)
# beside the batch tool's, on a generated 12-megapixel photo-like 24-bit BMP
# in mode 0. Each runs three times; the best time and the largest peak
# resident memory of the whole process are reported, and the desktop
# program's own figures for the run. Usage: bench/compare_gui.sh [W H]
set -euo pipefail
cd "$(dirname "$0")/.."
W=${1:-4000}
H=${2:-3000}
[ -x /usr/bin/time ] || { apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q time; }
cmake --preset default >/dev/null
cmake --build --preset default -j"$(nproc)" --target kararisu-cli make_photo_bmp bench_gui_reduce >/dev/null

CLI=build/default/src/cli/kararisu-cli
GUI=build/default/bench/bench_gui_reduce
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/default/bench/make_photo_bmp "$W" "$H" "$work/photo.bmp"

# best wall seconds, best processor seconds (user + system) and largest peak
# RSS (KiB) of five runs; on a shared machine the processor time is the
# steadier figure
measure() {
  local best="" cpu="" rss=0 t u s m
  for _ in 1 2 3 4 5; do
    rm -rf "$work/out" && mkdir -p "$work/out"
    /usr/bin/time -f "%e %U %S %M" -o "$work/time" "$@" >"$work/stdout" 2>"$work/err" ||
      { cat "$work/err" >&2; exit 1; }
    read -r t u s m <"$work/time"
    c=$(awk "BEGIN{print $u + $s}")
    if [ -z "$best" ] || awk "BEGIN{exit !($t < $best)}"; then best=$t; fi
    if [ -z "$cpu" ] || awk "BEGIN{exit !($c < $cpu)}"; then cpu=$c; fi
    [ "$m" -gt "$rss" ] && rss=$m
  done
  echo "$best $cpu $rss"
}

echo "image: ${W}x${H}, $(stat -c %s "$work/photo.bmp") bytes"
read -r ct cc cm < <(measure "$CLI" reduce --mode 0 --no-progress -o "$work/out" "$work/photo.bmp")
read -r gt gc gm < <(measure env QT_QPA_PLATFORM=offscreen "$GUI" "$work/photo.bmp" 0)
echo "desktop run: $(cat "$work/stdout")"
# The toolkit's own share: the same run on a picture of 4 x 3 pixels.
build/default/bench/make_photo_bmp 4 3 "$work/tiny.bmp"
read -r _ _ tm < <(measure env QT_QPA_PLATFORM=offscreen "$GUI" "$work/tiny.bmp" 0)
read -r _ _ bm < <(measure "$CLI" reduce --mode 0 --no-progress -o "$work/out" "$work/tiny.bmp")
awk -v ct="$ct" -v cc="$cc" -v cm="$cm" -v gt="$gt" -v gc="$gc" -v gm="$gm" -v tm="$tm" \
    -v bm="$bm" -v px="$((W * H))" 'BEGIN {
  printf "batch tool  %.3f s wall, %.3f s processor, %.0f MiB peak\n", ct, cc, cm / 1024
  printf "desktop     %.3f s wall, %.3f s processor, %.0f MiB peak\n", gt, gc, gm / 1024
  printf "desktop/batch: wall %+.0f%%, processor %+.0f%%, memory %+.0f MiB, of which %.0f MiB\n",
         (gt / ct - 1) * 100, (gc / cc - 1) * 100, (gm - cm) / 1024, (tm - bm) / 1024
  printf "  the toolkit takes on a 4x3 picture (one 8-bit result: %.0f MiB)\n", px / 1048576 }'
