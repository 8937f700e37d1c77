#!/usr/bin/env bash
# Runs every libFuzzer target of the fuzz build for a bounded time each (default 30 s),
# starting from the seed corpus that the targets' seed generator writes. Leaks count as
# failures; scripts/lsan.supp names the third-party caches that are not ours to free.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}
shopt -s nullglob
targets=(build-fuzz/fuzz/fuzz_*)
if ((${#targets[@]} == 0)); then
  echo "No fuzz targets built."
  exit 0
fi
for target in "${targets[@]}"; do
  name=$(basename "$target")
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  if [[ -x build-fuzz/fuzz/make_seeds ]]; then
    build-fuzz/fuzz/make_seeds "$name" "$corpus"
  fi
  echo "-- $name for ${seconds}s"
  log=build-fuzz/$name.log
  # What a failing input leaves (crash-, leak-, timeout- files) stays in the build folder.
  artifacts=build-fuzz/artifacts/$name/
  mkdir -p "$artifacts"
  set +e
  ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0 \
    "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -detect_leaks=1 -artifact_prefix="$artifacts" "$corpus" >"$log" 2>&1
  status=$?
  set -e
  tail -n 2 "$log"
  if ((status != 0)); then
    echo "fuzz target $name failed (exit $status); its input is in $artifacts" >&2
    exit "$status"
  fi
done
