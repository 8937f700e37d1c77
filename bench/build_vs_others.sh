#!/usr/bin/env bash
# The site build against a bare C thumbnailer and vipsthumbnail, on the same photos and box, in
# one run; prints the ratios (run by hand, never by CI).
#   bench/build_vs_others.sh [build folder] [photo folder] [count] [box]
# Without a photo folder, COUNT (200) photograph-like JPEGs of 3000 x 2000 are made.
#   per thumbnail, one core:  ours / thumb_reference (goal <= 1.2)
#                             ours / VIPS_CONCURRENCY=1 vipsthumbnail (goal <= 0.8)
#   whole build:              ours on one thread and on every core
# vipsthumbnail (libvips-tools) comes from Debian and is installed when missing.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
photos=${2:-}
count=${3:-200}
box=${4:-100}
tool=$build/bench/build_time
reference=$build/bench/thumb_reference
for t in "$tool" "$reference"; do
  [[ -x $t ]] || { echo "$t not built (cmake --build build --target build_time thumb_reference)" >&2; exit 1; }
done

need() { command -v "$1" >/dev/null; }
as_root() { if [[ $(id -u) == 0 ]]; then "$@"; else sudo "$@"; fi; }
need vipsthumbnail || as_root apt-get install -y --no-install-recommends libvips-tools

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [[ -z $photos ]]; then
  photos=$work/photos
  "$tool" --make "$photos" "$count" 3000 2000
fi
photos=$(realpath "$photos")
n=$(find "$photos" -maxdepth 1 -type f -iname '*.jp*g' ! -name '*_thb.jpg' | wc -l)
cores=$(nproc)
ms() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", (b - a) / 1e6 }'; }
clock() { date +%s%N; }

# Ours (the build writes into the folder it builds: work on a copy).
mkdir "$work/ours"
cp "$photos"/*.[jJ][pP]*[gG] "$work/ours/"
ours=$("$tool" "$work/ours" "$box" "$cores")
per=$(sed -n 's/^per_thumbnail_ms=//p' <<<"$ours")
build1=$(sed -n 's/^build_1_ms=//p' <<<"$ours")
buildN=$(sed -n 's/^build_N_ms=//p' <<<"$ours")

mkdir "$work/ref"
ref=$("$reference" "$box" "$work/ref" "$photos"/*.[jJ][pP]*[gG])

mkdir "$work/vips"
a=$(clock)
VIPS_CONCURRENCY=1 vipsthumbnail -s "${box}x${box}" -o "$work/vips/%s_thb.jpg[Q=75]" "$photos"/*.[jJ][pP]*[gG]
vips=$(awk -v t="$(ms "$a" "$(clock)")" -v n="$n" 'BEGIN { printf "%.3f", t / n }')

echo "photos: $n in $photos, box ${box}x${box}, $cores cores"
echo "ours, per thumbnail, 1 thread:          $per ms"
echo "thumb_reference, per thumbnail:         $ref ms"
echo "vipsthumbnail, 1 thread, per thumbnail: $vips ms"
echo "ours, whole build, 1 thread:            $build1 ms"
echo "ours, whole build, $cores threads:           $buildN ms"
awk -v o="$per" -v r="$ref" -v v="$vips" 'BEGIN {
  printf "ours / thumb_reference: %.2f (goal <= 1.2)\n", o / r
  printf "ours / vipsthumbnail:   %.2f (goal <= 0.8)\n", o / v
}'
