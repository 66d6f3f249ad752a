#!/usr/bin/env bash
# Runs a command in a network namespace of its own that has only the loopback device, so no
# test can reach (or even ask a name server about) any host but 127.0.0.1 and ::1. The built-in
# service addresses of the programs then fail at once, as they do on a machine without network.
# Where a namespace cannot be made (no privileges for it), the command runs as it is.
set -euo pipefail

if [ "$#" -eq 0 ]; then
    echo "usage: $0 command [arguments...]" >&2
    exit 2
fi

if command -v unshare >/dev/null 2>&1 && command -v ip >/dev/null 2>&1 &&
    unshare --net true 2>/dev/null; then
    exec unshare --net -- sh -c 'ip link set lo up && exec "$@"' sh "$@"
fi
if unshare --user --map-root-user --net true 2>/dev/null; then
    exec unshare --user --map-root-user --net -- sh -c 'ip link set lo up && exec "$@"' sh "$@"
fi
echo "offline: no network namespace here; running with the machine's network" >&2
exec "$@"
