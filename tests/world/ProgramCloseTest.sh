#!/usr/bin/env bash
# The program opens its window and exits with status 0 when the window is closed.
# usage: ProgramCloseTest.sh <flockmar> <close_window>
set -u
# Under AddressSanitizer, leak checking at exit sees blocks of the GL driver that glfwTerminate
# has already unloaded (no module left to suppress them by); memory errors still abort.
ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0" "$1" &
pid=$!
# The time limits only guard against a hang: each wait ends as soon as its condition holds.
window=$(timeout 30 xdotool search --all --sync --pid "$pid" --name '^Tessaly Engine$' | head -n 1)
[ -n "$window" ] && "$2" "$window" || { echo "no window to close" >&2; kill -9 "$pid"; exit 1; }
timeout 30 tail --pid="$pid" -s 0.05 -f /dev/null ||
    { echo "the program did not end after its window was closed" >&2; kill -9 "$pid"; exit 1; }
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "the program exited with status $status" >&2; exit 1; }
