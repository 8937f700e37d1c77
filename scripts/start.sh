#!/usr/bin/env bash
# Installs what is missing, builds the two programs with what they ship, and starts Pictorum.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh default Pictorum Turnfold
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "No display found: starting Pictorum inside a virtual X server (xvfb-run)." >&2
  exec xvfb-run -a build/bin/Pictorum "$@"
fi
exec build/bin/Pictorum "$@"
