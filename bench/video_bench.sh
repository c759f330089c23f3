#!/usr/bin/env bash
# Frame extraction speed: our extractor (video_extract, the code behind the video window)
# against `ffmpeg -i in.avi frame%03d.bmp`, alternating, in the same run.
# Usage: bench/video_bench.sh [VIDEO] [ROUNDS]
#   VIDEO   default: ../bench-inputs/video_mjpeg.avi (made by ../shared/bench/make_inputs.sh)
#   ROUNDS  default: 5
# Env: BUILD (default build) is the build folder holding src/video/video_extract.
# Prints the median wall time and CPU time (user + sys) of each, their ratio, and whether
# both wrote the same pictures. Target: ours <= 1.3 x ffmpeg.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
INPUTS=$(cd "$ROOT/.." && pwd)/bench-inputs
VIDEO=${1:-$INPUTS/video_mjpeg.avi}
ROUNDS=${2:-5}
BUILD=${BUILD:-$ROOT/build}
[[ $BUILD = /* ]] || BUILD=$ROOT/$BUILD
EXTRACT=$BUILD/src/video/video_extract

if [ ! -f "$VIDEO" ] && [ "$VIDEO" = "$INPUTS/video_mjpeg.avi" ]; then
  echo "making the benchmark inputs in $INPUTS" >&2
  bash "$ROOT/../shared/bench/make_inputs.sh" "$INPUTS"
fi
[ -f "$VIDEO" ] || { echo "no video: $VIDEO" >&2; exit 2; }
if [ ! -x "$EXTRACT" ]; then
  cmake -S "$ROOT" -B "$BUILD" -G Ninja >/dev/null
  cmake --build "$BUILD" -j2 --target video_extract >/dev/null
fi
command -v ffmpeg >/dev/null || { echo "ffmpeg is not installed" >&2; exit 2; }

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# Runs a command, appends "wall cpu" (seconds) to the file named first.
measure() {
  local log=$1; shift
  /usr/bin/time -f "%e %U %S" -o "$WORK/t" "$@" >/dev/null
  awk '{ printf "%s %.3f\n", $1, $2 + $3 }' "$WORK/t" >>"$log"
}
median() { sort -n | awk '{ v[NR] = $1 } END { m = (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.3f", m }'; }

: >"$WORK/ours.log"; : >"$WORK/ffmpeg.log"
for ((i = 1; i <= ROUNDS; i++)); do
  rm -rf "$WORK/ours" "$WORK/ff"; mkdir "$WORK/ours" "$WORK/ff"
  measure "$WORK/ours.log" "$EXTRACT" "$VIDEO" "$WORK/ours"
  measure "$WORK/ffmpeg.log" ffmpeg -hide_banner -loglevel error -nostdin -y -i "$VIDEO" "$WORK/ff/frame%03d.bmp"
done

frames=$(ls "$WORK/ours" | wc -l)
same=0
for f in "$WORK"/ff/frame*.bmp; do
  n=$((10#$(basename "$f" .bmp | sed 's/frame//')))
  ours=$(printf '%s/ours/avframe%02d.bmp' "$WORK" "$n")
  [ -f "$ours" ] && cmp -s "$f" "$ours" && same=$((same + 1))
done

ow=$(cut -d' ' -f1 "$WORK/ours.log" | median); oc=$(cut -d' ' -f2 "$WORK/ours.log" | median)
fw=$(cut -d' ' -f1 "$WORK/ffmpeg.log" | median); fc=$(cut -d' ' -f2 "$WORK/ffmpeg.log" | median)
echo "video: $VIDEO ($frames frames written, $same of $(ls "$WORK/ff" | wc -l) identical to ffmpeg's), $ROUNDS rounds, medians"
printf '%-8s wall %6.3f s   cpu %6.3f s\n' ours "$ow" "$oc" ffmpeg "$fw" "$fc"
awk -v ow="$ow" -v fw="$fw" -v oc="$oc" -v fc="$fc" 'BEGIN {
  printf "ratio ours/ffmpeg: wall %.2f, cpu %.2f (target <= 1.30)\n", ow / fw, oc / fc }'
