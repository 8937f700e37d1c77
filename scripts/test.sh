#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the sanitizer build's tests, the
# fuzz targets for a bounded time, then the whole suite (unit, window and end-to-end tests).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)

echo "== Tests under AddressSanitizer + UndefinedBehaviorSanitizer"
scripts/build.sh asan
ctest --preset asan -LE e2e -j "$jobs" --no-label-summary

echo "== Fuzz targets"
scripts/build.sh fuzz
scripts/fuzz.sh "${FUZZ_SECONDS:-30}"

echo "== All tests"
scripts/build.sh default
ctest --preset default -j "$jobs" --no-label-summary
