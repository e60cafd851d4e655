#!/usr/bin/env bash
# The program opens its window and exits with status 0 when the window is closed.
# usage: ProgramCloseTest.sh <flockmar> <close_window>
set -u
program="$1"
closer="$2"
"$program" &
pid=$!
"$closer" "Tessaly Engine" "$pid" 20
closed=$?
# Bounded wait for the program to end.
for _ in $(seq 1 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
done
if kill -0 "$pid" 2>/dev/null; then
    echo "the program did not end after its window was closed" >&2
    kill -9 "$pid"
    exit 1
fi
wait "$pid"
status=$?
[ "$closed" -eq 0 ] || { echo "could not close the window" >&2; exit 1; }
[ "$status" -eq 0 ] || { echo "the program exited with status $status" >&2; exit 1; }
echo "window closed, program exited with status 0"
