#!/usr/bin/env bash
# Runs the end-to-end driver's network case in a network of its own: a namespace holding only
# the loopback device, up. Wine learns the machine's addresses from its device process, which
# the prefix's server starts, so the prefix's server is ended first and a new one runs inside the
# namespace for the case; the X server is reached through its socket file, which the namespace
# does not hide. Afterwards the prefix gets a server outside again. Where no namespace can be
# made (no root, no user namespaces), the case is reported as skipped, and ctest counts it so
# (exit code 77).
# Usage: network_change.sh <wine runner> <e2e_tests.exe>   (the runner brings its prefix)
set -u
wine=$1 driver=$2
if ! unshare -n true 2>/dev/null; then
  echo "network_change: no network namespace can be made here; the case is skipped"
  exit 77
fi
restart_server() {  # in whichever network the caller is
  "$wine" wineserver -k >/dev/null 2>&1
  "$wine" wineserver -w >/dev/null 2>&1
  "$wine" wineserver -p >/dev/null 2>&1
  "$wine" wineboot >/dev/null 2>&1
}
export -f restart_server
export wine
NORVANE_OWN_NETWORK=1 unshare -n -- bash -c 'ip link set lo up || exit 77
  restart_server
  exec "$wine" "$0" --gtest_filter=NetworkChange.*' "$driver"
code=$?
restart_server
exit $code
