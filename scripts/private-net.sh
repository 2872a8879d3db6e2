#!/usr/bin/env bash
# Runs a command in a network of its own: a loopback interface and nothing
# else, with the update server's host name meaning this machine.
#   scripts/private-net.sh HOST COMMAND [ARGS...]
# The Windows tests run in it, so nothing they start can reach the internet,
# and the update test serves its own list of versions on port 443 by the
# real host name without disturbing anything else on the machine. Where no
# namespace can be made (no root, no user namespaces), the command runs as it
# is and the update server tests skip themselves.
set -euo pipefail
host=$1
shift

if [ "${NIMBOL_PRIVATE_NET:-}" != inside ]; then
  flags=(--net --mount)
  [ "$(id -u)" -ne 0 ] && flags=(--user --map-root-user --net --mount)
  if unshare "${flags[@]}" true 2>/dev/null; then
    NIMBOL_PRIVATE_NET=inside exec unshare "${flags[@]}" "$0" "$host" "$@"
  fi
  echo "private-net: no network namespace here; the update server tests will be skipped" >&2
  exec "$@"
fi

ip link set lo up
# The namespace has its own mounts: this hosts file is seen by nothing else.
hosts=$(mktemp)
trap 'rm -f "$hosts"' EXIT
{ cat /etc/hosts; echo "127.0.0.1 $host"; } >"$hosts"
mount --bind "$hosts" /etc/hosts
"$@"
