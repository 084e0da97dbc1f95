#!/usr/bin/env bash
# Runs a command as a user without the right to write other users' files: as root (whom file modes do
# not stop) it drops to "nobody"; as anyone else it runs the command as it is.
#   unprivileged.sh COMMAND ARGS...
set -eu
if [ "$(id -u)" -ne 0 ]; then
  exec "$@"
fi
as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
if ! "${as_nobody[@]}" test -x "$1"; then
  echo "unprivileged.sh: SKIP: user nobody cannot run $1 (build in a folder every user can read)"
  exit 77
fi
# The test's own runtime folder belongs to root; nobody gets one of its own.
runtime="$(mktemp -d /tmp/skycaster-nobody-runtime.XXXXXX)"
chown 65534:65534 "$runtime"
chmod 700 "$runtime"
trap 'rm -rf "$runtime"' EXIT
XDG_RUNTIME_DIR="$runtime" HOME="$runtime" "${as_nobody[@]}" "$@"
