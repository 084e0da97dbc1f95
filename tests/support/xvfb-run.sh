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
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  [ -n "${lockdir:-}" ] && rm -rf "$lockdir"
  for dir in "${tried[@]}"; do rm -rf "$dir"; done
}
trap cleanup EXIT INT TERM

# start_xvfb: Xvfb on the first free display number (no lock file, no socket) that we can claim; sets DISPLAY.
# False when it did not come up: a loaded machine may need many seconds, so it gives up only when Xvfb has gone
# or a minute has passed. A display that failed stays claimed until exit, so a second try takes another one.
tried=()
start_xvfb() {
  local n xvfb_pid
  lockdir=""
  for n in $(seq 90 190); do
    if mkdir "/tmp/.skycaster-xvfb-$n" 2>/dev/null; then
      if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then lockdir="/tmp/.skycaster-xvfb-$n"; break; fi
      rmdir "/tmp/.skycaster-xvfb-$n"
    fi
  done
  [ -n "$lockdir" ] || { echo "xvfb-run.sh: no free display" >&2; return 1; }
  export DISPLAY=":$n"
  Xvfb "$DISPLAY" -screen 0 ${SKYCASTER_XVFB_SCREEN:-1280x800x24} -nolisten tcp -ac >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 1 300); do
    xdpyinfo >/dev/null 2>&1 && { pids+=("$xvfb_pid"); return 0; }
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.2
  done
  kill "$xvfb_pid" 2>/dev/null
  echo "xvfb-run.sh: Xvfb did not start on $DISPLAY" >&2
  tried+=("$lockdir")
  lockdir=""
  return 1
}
start_xvfb || start_xvfb || exit 1

if [ "$want_wm" = 1 ] && command -v openbox >/dev/null; then
  openbox --sm-disable >/dev/null 2>&1 &
  pids+=($!)
  xcompmgr >/dev/null 2>&1 &
  pids+=($!)
fi
if [ "$want_tray" = 1 ]; then
  trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
         --transparent false >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 1 100); do xwininfo -root -tree 2>/dev/null | grep -q '"panel"' && break; sleep 0.1; done
fi

export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
"$@"
rc=$?
exit $rc
