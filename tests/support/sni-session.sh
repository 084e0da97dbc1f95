#!/usr/bin/env bash
# Runs a command on a private Xvfb display with a private D-Bus session bus, a window manager (openbox) and a
# StatusNotifierItem tray host (xfce4-panel, or lxqt-panel), the way most desktops host tray icons.
#   sni-session.sh [--panel xfce|lxqt] [--late] COMMAND ARGS...
# Exports DISPLAY, DBUS_SESSION_BUS_ADDRESS, SKYCASTER_PANEL (the panel kind) and SKYCASTER_PANEL_START (a
# command that starts the panel and prints its PID). With --late no panel is started: the command starts it.
set -u
panel=xfce late=0
while [ $# -gt 0 ]; do
  case "$1" in
    --panel) panel="$2"; shift 2 ;;
    --late) late=1; shift ;;
    *) break ;;
  esac
done
support="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

pids=()
bus_pid=""
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  # Services the bus started on demand (xfconfd) leave with it.
  [ -n "$bus_pid" ] && kill "$bus_pid" 2>/dev/null
  [ -n "${session:-}" ] && rm -rf "$session"
}
trap cleanup EXIT INT TERM

session="$(mktemp -d /tmp/skycaster-sni.XXXXXX)"
export SKYCASTER_PANEL_HOME="$session/panel" SKYCASTER_PANEL="$panel"
export SKYCASTER_PANEL_START="$support/start-panel.sh $panel"
mkdir -p "$SKYCASTER_PANEL_HOME" "$session/runtime"
chmod 700 "$session/runtime"
export XDG_RUNTIME_DIR="$session/runtime"

workdir="$session"
source "$support/display.sh"
start_xvfb

# The bus starts xfconfd on demand with its own environment: give it the panel's configuration folder.
bus_info="$(XDG_CONFIG_HOME="$SKYCASTER_PANEL_HOME" NO_AT_BRIDGE=1 dbus-daemon --session --fork --print-address=1 --print-pid=1)" ||
  { echo "sni-session.sh: no D-Bus session" >&2; exit 1; }
DBUS_SESSION_BUS_ADDRESS="$(printf '%s\n' "$bus_info" | sed -n 1p)"
bus_pid="$(printf '%s\n' "$bus_info" | sed -n 2p)"
export DBUS_SESSION_BUS_ADDRESS

start_openbox
if [ "$late" = 0 ]; then
  panel_pid="$($SKYCASTER_PANEL_START)" || exit 1
  pids+=("$panel_pid")
fi

export QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
"$@"
exit $?
