#!/usr/bin/env bash
# Times the rotation engine copying a rotation of 1,000 files (450 thumbnails, 100 pictures of
# 0.2-2 MB, 450 small files) into an empty live folder against cp -a + sync and rsync -a --fsync
# on the same files in one run, and prints the ratios (target: at most 1.5 x cp -a + sync).
#   bench/rotation_vs_cp.sh [build folder] [runs] [work folder on the file system to measure]
# Each figure is the median of RUNS; before each run the target is removed and everything synced.
# The engine is timed inside one process (Turnfold's fixed 300 ms start timer is not counted).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
runs=${2:-7}
base=${3:-/var/tmp}
tool=$build/bench/rotation_copy_time
[[ -x $tool ]] || { echo "$tool not built (cmake --build --preset default)" >&2; exit 1; }
rsync=$(command -v rsync || true)

work=$(mktemp -d "$base/rotation-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
"$tool" --make "$work/rotation"
sync

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
ms() { date +%s%N; }
timed() {  # runs "$@" RUNS times into $work/target, prints each time in ms
  for ((i = 0; i < runs; i++)); do
    rm -rf "$work/target"; sync
    local start; start=$(ms)
    "$@"
    echo $((($(ms) - start) / 1000000))
  done
}
cp_sync() { cp -a "$work/rotation" "$work/target" && sync; }
rsync_fsync() { "$rsync" -a --fsync "$work/rotation/" "$work/target/"; }

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs), kernel $(uname -r)"
echo "file system of $base: $(df -T "$base" | awk 'NR == 2 { print $2 }'), $(du -sh "$work/rotation" | cut -f1) in $(find "$work/rotation" -type f | wc -l) files"
ours=$("$tool" "$work/rotation" "$work/target" "$runs" | median)
cp=$(timed cp_sync | median)
echo "rotation engine:  $ours ms"
echo "cp -a + sync:     $cp ms    ratio $(awk -v a="$ours" -v b="$cp" 'BEGIN { printf "%.2f", a / b }')"
if [[ -n $rsync ]]; then
  rs=$(timed rsync_fsync | median)
  echo "rsync -a --fsync: $rs ms    ratio $(awk -v a="$ours" -v b="$rs" 'BEGIN { printf "%.2f", a / b }')"
else
  echo "rsync -a --fsync: rsync is missing (apt-get install rsync), not measured"
fi
