#!/usr/bin/env bash
# Starts the program; without a display it runs inside a virtual one.
set -euo pipefail
exe=$1
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run: no display; starting inside xvfb-run (nothing will be visible)" >&2
  exec xvfb-run -a "$exe"
fi
exec "$exe"
