#!/usr/bin/env bash
# Runs a command with an X display: the current one if it answers, else a private Xvfb
# (tools/private-display.sh).
set -euo pipefail
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    exec "$@"
fi
exec bash "$(dirname "${BASH_SOURCE[0]}")/private-display.sh" "$@"
