#!/usr/bin/env bash
# Times the library's JPEG load against libjpeg-turbo's own djpeg on the same large file, in
# one run, and prints the ratio (target: at most 1.15).
#   bench/jpeg_vs_djpeg.sh [build folder] [runs] [width] [height]
# Ours: the median of RUNS loads (LoadFromFile, pixel memory included) inside one process.
# djpeg: the median of RUNS whole processes decoding the file to /dev/null (start-up and
# writing the pixels out included; both use the same accurate integer DCT).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-15}
width=${3:-6000}
height=${4:-4000}
tool=$build/bench/jpeg_load_time
djpeg=$(command -v djpeg) || { echo "djpeg not found (libjpeg-turbo-progs)" >&2; exit 1; }
[[ -x $tool ]] || { echo "$tool not built (cmake --build --preset default)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
file=$work/photo.jpg
"$tool" --make "$file" "$width" "$height"

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Warm the page cache and both programs once.
"$djpeg" -outfile /dev/null "$file"
"$tool" "$file" 1 >/dev/null

ours=$("$tool" "$file" "$runs" | median)
theirs=$(for ((i = 0; i < runs; i++)); do
  start=$(date +%s%N)
  "$djpeg" -outfile /dev/null "$file"
  end=$(date +%s%N)
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", (b - a) / 1e6 }'
done | median)

echo "file: ${width}x${height}, $(stat -c %s "$file") bytes, $runs runs each"
echo "library load (median): $ours ms"
echo "djpeg (median):        $theirs ms"
awk -v a="$ours" -v b="$theirs" 'BEGIN { printf "ratio: %.3f\n", a / b }'
