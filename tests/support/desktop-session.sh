#!/usr/bin/env bash
# Runs a scenario inside a real desktop session started by the scripts in tests/support/desktops/, then ends
# the session by the process ids those scripts wrote.
#   desktop-session.sh gnome|kde COMMAND ARGS...
# The desktops' packages are large, so these scenarios run only when asked for (scripts/test.sh --desktops sets
# SKYCASTER_DESKTOPS=1 and installs them); otherwise, or when the packages are missing, it exits 77 (skipped).
# COMMAND gets the session's environment (DISPLAY, DBUS_SESSION_BUS_ADDRESS, ...) and DESKTOP=gnome|kde.
set -u
desktop="${1:?usage: desktop-session.sh gnome|kde COMMAND...}"; shift
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
case "$desktop" in
  gnome) needs=(gnome-shell xdotool); start="$here/desktops/gnome-up.sh" ;;
  kde) needs=(plasmashell kwin_x11 xdotool); start="$here/desktops/kde-up.sh" ;;
  *) echo "desktop-session.sh: unknown desktop $desktop" >&2; exit 2 ;;
esac
if [ "${SKYCASTER_DESKTOPS:-0}" != 1 ]; then
  echo "desktop-session.sh: skipped (run scripts/test.sh --desktops)"; exit 77
fi
for tool in "${needs[@]}"; do
  command -v "$tool" >/dev/null || { echo "desktop-session.sh: $tool missing, skipped"; exit 77; }
done

session="$(mktemp -d /tmp/skycaster-desktop.XXXXXX)"
stop_session() {
  local f
  for f in "$session"/*.pid; do [ -s "$f" ] && kill "$(cat "$f")" 2>/dev/null; done
  sleep 1
  rm -rf "$session"
}
trap stop_session EXIT INT TERM
"$start" "$session" >"$session.start.log" 2>&1 || { cat "$session.start.log" >&2; rm -f "$session.start.log"; exit 1; }
rm -f "$session.start.log"
source "$session/env"
export DESKTOP="$desktop" DESKTOP_SESSION_DIR="$session"
unset QT_QPA_PLATFORM
"$@"
