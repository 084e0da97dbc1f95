#!/usr/bin/env bash
# Runs a command on a private Xvfb display with a window manager (openbox),
# a compositor (xcompmgr) and a tray host (trayer), then tears them down.
#   xvfb-run.sh [--no-wm] [--no-tray] COMMAND ARGS...
# The display is exported as DISPLAY; trayer's window is up before COMMAND starts.
set -u
want_wm=1 want_tray=1
while [ $# -gt 0 ]; do
  case "$1" in
    --no-wm) want_wm=0; shift ;;
    --no-tray) want_tray=0; shift ;;
    *) break ;;
  esac
done

pids=()
workdir="$(mktemp -d /tmp/skycaster-xvfb.XXXXXX)"
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$workdir"
}
trap cleanup EXIT INT TERM

source "$(dirname "${BASH_SOURCE[0]}")/display.sh"
start_xvfb
if [ "$want_wm" = 1 ] && command -v openbox >/dev/null; then
  start_openbox
  xcompmgr >/dev/null 2>&1 &
  pids+=($!)
fi
if [ "$want_tray" = 1 ]; then
  trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
         --transparent false >/dev/null 2>&1 &
  pids+=($!)
  tray_ready() { xwininfo -root -tree 2>/dev/null | grep -q '"panel"'; }
  poll 30 tray_ready || { echo "xvfb-run.sh: trayer did not start" >&2; exit 1; }
fi

export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
"$@"
rc=$?
exit $rc
