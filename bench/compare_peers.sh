#!/usr/bin/env bash
# Builds one animated GIF from a folder of true-colour frames with framora-cli and its peers
# and prints, per tool: median wall time, output size, peak memory (max RSS) and the mean
# PSNR of the decoded GIF frames against the source frames (ffmpeg's psnr filter). Then
# splits an animated GIF into BMP files with framora-cli and with ffmpeg.
#
#   bench/compare_peers.sh [INPUT_DIR [ANIM_GIF]]
#     INPUT_DIR  frames f001.png, f002.png, ... (default /work/bench-inputs/photo,
#                made by ../shared/bench/make_inputs.sh)
#     ANIM_GIF   GIF to split (default: the anim.gif beside INPUT_DIR)
#   Environment: FRAMORA_CLI (default build/src/cli/framora-cli), RUNS (default 3),
#                PYTHON (default /usr/bin/python3, needs python3-pil).
# Run it with `nice -n 10` on a shared machine.
set -euo pipefail

HERE=$(cd "$(dirname "$0")/.." && pwd)
INPUT=$(cd "${1:-/work/bench-inputs/photo}" && pwd)
ANIM=${2:-$(dirname "$INPUT")/anim.gif}
CLI=${FRAMORA_CLI:-$HERE/build/src/cli/framora-cli}
RUNS=${RUNS:-3}
PYTHON=${PYTHON:-/usr/bin/python3}
CONVERT=/usr/bin/convert
FFMPEG=$(command -v ffmpeg)

for tool in "$CLI" "$CONVERT" "$FFMPEG" "$PYTHON" /usr/bin/time; do
  [ -x "$tool" ] || { echo "missing: $tool" >&2; exit 1; }
done
"$PYTHON" -c 'import PIL' 2>/dev/null || { echo "missing: python3-pil for $PYTHON" >&2; exit 1; }

FRAMES=("$INPUT"/f*.png)
COUNT=${#FRAMES[@]}
[ "$COUNT" -gt 0 ] || { echo "no frames f*.png in $INPUT" >&2; exit 1; }
read -r W H < <("$PYTHON" -c 'import sys; from PIL import Image; print(*Image.open(sys.argv[1]).size)' "${FRAMES[0]}")

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

cat > "$WORK/pillow_build.py" <<'EOF'
import sys
from PIL import Image
out, files = sys.argv[1], sys.argv[2:]
frames = [Image.open(f).convert("RGB").quantize(256, method=Image.Quantize.FASTOCTREE,
                                              dither=Image.Dither.FLOYDSTEINBERG) for f in files]
frames[0].save(out, save_all=True, append_images=frames[1:], duration=500, loop=0)
EOF

# Runs a command RUNS times; prints "median_seconds peak_kb".
measure() {
  local times=() peak=0 t m
  for ((r = 0; r < RUNS; r++)); do
    /usr/bin/time -f "%e %M" -o "$WORK/time" "$@" >/dev/null 2>"$WORK/stderr" || {
      echo "failed: $*" >&2; cat "$WORK/stderr" >&2; return 1; }
    read -r t m < "$WORK/time"
    times+=("$t")
    ((m > peak)) && peak=$m
  done
  printf '%s\n' "${times[@]}" | sort -g | awk -v p="$peak" '{a[NR]=$1} END {print a[int((NR+1)/2)], p}'
}

# Mean over frames of ffmpeg's per-frame average PSNR (decoded GIF vs source frames, in order).
psnr() {
  local gif=$1
  "$FFMPEG" -v error -i "$gif" -framerate 25 -i "$INPUT/f%03d.png" -lavfi \
    "[0:v]format=rgb24,setpts=N/25/TB[a];[1:v]format=rgb24,setpts=N/25/TB[b];[a][b]psnr=stats_file=$WORK/psnr.log" \
    -f null - 2>/dev/null
  awk '{for (i = 1; i <= NF; i++) if ($i ~ /^psnr_avg:/) {split($i, v, ":"); s += (v[2] == "inf" ? 100 : v[2]); n++}}
       END {if (n) printf "%.2f (%d frames)", s / n, n; else print "n/a"}' "$WORK/psnr.log"
}

declare -A TIME MEM SIZE QUALITY
run_tool() {
  local name=$1 out=$2
  shift 2
  local t m
  read -r t m < <(measure "$@")
  TIME[$name]=$t
  MEM[$name]=$m
  SIZE[$name]=$(stat -c %s "$out")
  QUALITY[$name]=$(psnr "$out")
}

echo "Inputs: $COUNT frames ${W}x${H} from $INPUT; $RUNS runs each; $(nproc) cores; load $(cut -d' ' -f1-3 /proc/loadavg)"
echo

run_tool "framora-cli" "$WORK/framora.gif" "$CLI" build -o "$WORK/framora.gif" "${FRAMES[@]}"
run_tool "framora-cli --no-optimize" "$WORK/framora_noopt.gif" "$CLI" build --no-optimize -o "$WORK/framora_noopt.gif" "${FRAMES[@]}"
run_tool "ImageMagick convert" "$WORK/im.gif" "$CONVERT" -dither FloydSteinberg -delay 50 -loop 0 "${FRAMES[@]}" "$WORK/im.gif"
run_tool "ffmpeg palettegen+paletteuse" "$WORK/ff.gif" "$FFMPEG" -v error -y -framerate 2 -i "$INPUT/f%03d.png" \
  -lavfi "split[a][b];[a]palettegen[p];[b][p]paletteuse=dither=floyd_steinberg" -loop 0 "$WORK/ff.gif"
run_tool "Pillow FASTOCTREE+FS" "$WORK/pil.gif" "$PYTHON" "$WORK/pillow_build.py" "$WORK/pil.gif" "${FRAMES[@]}"

printf '%-30s %10s %12s %12s %s\n' "build" "median s" "size bytes" "peak KB" "mean PSNR dB"
for name in "framora-cli" "framora-cli --no-optimize" "ImageMagick convert" "ffmpeg palettegen+paletteuse" "Pillow FASTOCTREE+FS"; do
  printf '%-30s %10s %12s %12s %s\n' "$name" "${TIME[$name]}" "${SIZE[$name]}" "${MEM[$name]}" "${QUALITY[$name]}"
done
frames8=$((COUNT * W * H / 1024))
echo
echo "8-bit frames held by a build: $frames8 KB; framora-cli peak ${MEM[framora-cli]} KB (target: <= 2 x $frames8 KB + constant)"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf (b > 0 ? "%.1fx" : "n/a"), a / b}'; }
echo "framora-cli speed-up: $(ratio "${TIME[ImageMagick convert]}" "${TIME[framora-cli]}") vs ImageMagick (target >= 5x)," \
  "$(ratio "${TIME[ffmpeg palettegen+paletteuse]}" "${TIME[framora-cli]}") vs ffmpeg (target >= 2x)," \
  "$(ratio "${TIME[Pillow FASTOCTREE+FS]}" "${TIME[framora-cli]}") vs Pillow (target > 1x)"

if [ -f "$ANIM" ]; then
  echo
  nframes=$("$CLI" info --json "$ANIM" | grep -c '"delay"')
  read -r ts ms < <(measure bash -c 'rm -rf "$1" && "$2" split "$3" -o "$1"' _ "$WORK/split" "$CLI" "$ANIM")
  read -r tf mf < <(measure bash -c 'rm -rf "$1" && mkdir "$1" && "$2" -v error -i "$3" "$1/f%03d.bmp"' _ "$WORK/ffsplit" "$FFMPEG" "$ANIM")
  printf '%-30s %10s %12s\n' "split $nframes frames" "median s" "peak KB"
  printf '%-30s %10s %12s\n' "framora-cli split" "$ts" "$ms"
  printf '%-30s %10s %12s\n' "ffmpeg -i in.gif f%03d.bmp" "$tf" "$mf"
fi
