#!/usr/bin/env bash
# Configures and builds one preset: default (build/), asan (build-asan/) or fuzz (build-fuzz/).
# Targets given after the preset are built instead of everything ("default Pictorum Turnfold").
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
shift || true
targets=()
if (($# > 0)); then
  targets=(--target "$@")
fi
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" "${targets[@]}" -- -k 0
