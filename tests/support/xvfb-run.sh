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

# poll SECONDS COMMAND...: COMMAND, run anew every 0.1 s, succeeds within SECONDS.
poll() {
  local limit=$(( $1 * 10 )); shift
  for _ in $(seq 1 "$limit"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# Xvfb picks a free display itself and writes its number to the pipe: no race with other X servers
# started at the same moment by parallel tests.
mkfifo "$workdir/displayfd"
Xvfb -displayfd 3 -screen 0 ${SKYCASTER_XVFB_SCREEN:-1280x800x24} -nolisten tcp -ac -noreset \
  3>"$workdir/displayfd" >"$workdir/xvfb.log" 2>&1 &
pids+=($!)
n=""
read -r -t 60 n <"$workdir/displayfd" || true
[ -n "$n" ] || { echo "xvfb-run.sh: Xvfb did not start" >&2; cat "$workdir/xvfb.log" >&2; exit 1; }
export DISPLAY=":$n"
poll 30 xdpyinfo || { echo "xvfb-run.sh: Xvfb does not answer on $DISPLAY" >&2; exit 1; }

wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
if [ "$want_wm" = 1 ] && command -v openbox >/dev/null; then
  openbox --sm-disable >"$workdir/openbox.log" 2>&1 &
  pids+=($!)
  poll 30 wm_ready || { echo "xvfb-run.sh: openbox did not start" >&2; cat "$workdir/openbox.log" >&2; exit 1; }
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
