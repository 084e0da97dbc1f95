# Shared by the display launchers (xvfb-run.sh, sni-session.sh); source it. Needs a folder $workdir of the
# caller's and an array pids (the caller kills them at exit). Each function exits the caller on failure.

# poll SECONDS COMMAND...: COMMAND, run anew every 0.1 s, succeeds within SECONDS.
poll() {
  local limit=$(( $1 * 10 )); shift
  for _ in $(seq 1 "$limit"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# start_xvfb: Xvfb on a display it picks itself (it writes the number to the pipe: no race with other X
# servers started at the same moment), exported as DISPLAY. -noreset keeps it from resetting when the first
# client leaves, which would refuse the next one for a moment.
start_xvfb() {
  local n=""
  mkfifo "$workdir/displayfd"
  Xvfb -displayfd 3 -screen 0 "${SKYCASTER_XVFB_SCREEN:-1280x800x24}" -nolisten tcp -ac -noreset \
    3>"$workdir/displayfd" >"$workdir/xvfb.log" 2>&1 &
  pids+=($!)
  read -r -t 60 n <"$workdir/displayfd" || true
  [ -n "$n" ] || { echo "$0: Xvfb did not start: $(tr '\n' ' ' <"$workdir/xvfb.log")" >&2; exit 1; }
  export DISPLAY=":$n"
  poll 30 xdpyinfo || { echo "$0: Xvfb does not answer on $DISPLAY" >&2; exit 1; }
}

# start_openbox: the window manager, up (it has set _NET_SUPPORTING_WM_CHECK) before this returns.
wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
start_openbox() {
  openbox --sm-disable >"$workdir/openbox.log" 2>&1 &
  pids+=($!)
  poll 30 wm_ready || { echo "$0: openbox did not start: $(tr '\n' ' ' <"$workdir/openbox.log")" >&2; exit 1; }
}
