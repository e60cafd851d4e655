#!/usr/bin/env bash
# Runs a command on an X server of its own: tools/private-display.sh <command> [args...]
# The server ends with the command; the exit status is the command's. The 24-bit screen is what
# GLX needs.
#
# Parallel starts must never share a display number. `xvfb-run -a` raced for it (it looks for a
# free number, then starts the server); `Xvfb -displayfd` alone finds a number only by binding
# the abstract socket, which each network namespace has apart (the tests run in namespaces of
# their own), so servers in two namespaces took the same number, unlinked each other's socket in
# /tmp/.X11-unix and overwrote each other's keymap file. So the number is claimed first with the
# X servers' own lock file /tmp/.X<n>-lock, made atomically by `ln`; every X server and xvfb-run
# leaves a locked number alone. `-displayfd` then reports when the server accepts connections.
#
# `-noreset`: a server resets when its last client leaves and refuses connections meanwhile, so
# a program started just after another ended could find no display.
set -uo pipefail
# In /tmp itself: the lock is a hard link to a file made here.
tmp="$(mktemp -d /tmp/private-display.XXXXXX)" || exit 1
mkfifo "$tmp/displayfd" || exit 1
# The X format, the holder's PID: this script's, the server's parent, whose lock it takes over.
printf '%10d\n' $$ >"$tmp/lock"
xpid=
lock=
stop_server() {
    [ -z "$xpid" ] || { kill "$xpid" 2>/dev/null; wait "$xpid" 2>/dev/null; }
    # The server removes the lock as it exits, and another start may have claimed the number
    # since: remove only a lock that is still this script's own link.
    [ -n "$lock" ] && [ "$lock" -ef "$tmp/lock" ] && rm -f "$lock"
    xpid= lock=
}
trap 'stop_server; rm -rf "$tmp"' EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
trap 'exit 129' HUP

num=
first=$((RANDOM % 900))
for attempt in $(seq 0 99); do
    n=$((100 + (first + attempt) % 900))
    # A socket without a lock may belong to a server that locked nothing: leave it too.
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    ln "$tmp/lock" "/tmp/.X$n-lock" 2>/dev/null || continue
    lock="/tmp/.X$n-lock"
    # Opening the FIFO for writing waits until the read below opens it.
    Xvfb ":$n" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/displayfd" \
        2>"$tmp/log" &
    xpid=$!
    read -r num <"$tmp/displayfd"
    [ -n "$num" ] && break
    stop_server # it did not start on this number: try the next
done
if [ -z "$num" ]; then
    echo "private-display.sh: Xvfb did not start:" >&2
    cat "$tmp/log" >&2 2>/dev/null
    exit 1
fi
export DISPLAY=":$num"
"$@"
