#!/usr/bin/env bash
# Runs a command in a network namespace of its own, with only loopback up:
#   tools/private-network.sh <command> [args...]
# The exit status is the command's. A program that binds a fixed port (the game's UDP port 3333)
# then meets neither a tracker nor a game running on this machine, nor the same test run at the
# same time elsewhere. `unshare -r` makes a user namespace, so no privileges are needed.
#
# Where no namespace can be made (a container that forbids user namespaces, no `ip`), the command
# runs in the machine's network as before, after one line that says so; the tests' RESOURCE_LOCK
# then keeps such commands from running at the same time.
set -uo pipefail
if ! probe="$(unshare -rn ip link set lo up 2>&1)"; then
    echo "private-network.sh: no network namespace of its own (${probe%%$'\n'*}):" \
        "running in the machine's network" >&2
    exec "$@"
fi
# unshare execs without forking, so the command keeps this process and its signals.
exec unshare -rn /bin/sh -c 'ip link set lo up && exec "$@"' private-network "$@"
