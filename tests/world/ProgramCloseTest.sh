#!/usr/bin/env bash
# The program opens its window and exits with status 0 when the window is closed.
# usage: ProgramCloseTest.sh <flockmar> <close_window>
set -u
"$1" &
pid=$!
# The time limits only guard against a hang: each wait ends as soon as its condition holds.
# Another program's window closing while xdotool walks the shared display's windows ends the
# search with BadWindow: search again.
window=
for _ in 1 2 3 4 5; do
    kill -0 "$pid" 2>/dev/null || break
    window=$(timeout 30 xdotool search --all --sync --pid "$pid" --name '^Tessaly Engine$' | head -n 1)
    [ -z "$window" ] || break
done
[ -n "$window" ] && "$2" "$window" || { echo "no window to close" >&2; kill -9 "$pid"; exit 1; }
timeout 30 tail --pid="$pid" -s 0.05 -f /dev/null ||
    { echo "the program did not end after its window was closed" >&2; kill -9 "$pid"; exit 1; }
wait "$pid"
status=$?
[ "$status" -eq 0 ] || { echo "the program exited with status $status" >&2; exit 1; }
