#!/usr/bin/env bash
# The desktop widget's tool tip appears for a real pointer resting on the picture while another program's window
# is the active one (the widget is never activated), and the active window stays active.
#   tests/support/xvfb-run.sh tests/e2e/widget-tooltip.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

# tip_window_at X Y: a viewable top-level window whose top left is 20 pixels below the point (where the tip goes).
tip_window_at() {
  xwininfo -root -children | awk '/^ +0x/ {print $1}' | while read -r id; do
    xwininfo -id "$id" 2>/dev/null | awk -v x="$1" -v y="$2" '/Absolute upper-left X/{ax=$4} /Absolute upper-left Y/{ay=$4}
      /Map State: IsViewable/{v=1} END {exit !(v && ax >= x - 2 && ax <= x + 2 && ay >= y + 18 && ay <= y + 22)}' &&
      { echo "$id"; break; }
  done | grep -q .
}
tip_gone_from() { ! tip_window_at "$@"; }
other_active() { test "$(xdotool getactivewindow 2>/dev/null)" = "$OTHER"; }

make_program_dir
start_logged_service
write_ini 130010
start_program
check "widget appears" wait_for 30 widget_window
check "forecast retrieved" wait_for 30 ini_has LastPublicTime

xmessage -geometry +40+600 "another program" &
PIDS+=($!)
check "another window appears" wait_for 10 window_shown xmessage
OTHER="$(window_named xmessage)"
xdotool windowactivate --sync "$OTHER" 2>/dev/null
check "the other window is active" wait_for 10 other_active

read -r px py < <(picture_point)
xdotool mousemove 5 400 sleep 0.3 mousemove "$(( px - 3 ))" "$py" sleep 0.1 mousemove "$px" "$py"
check "tool tip appears under the resting pointer" wait_for 10 tip_window_at "$px" "$py"
screenshot tip
check "the other window is still active" other_active
xdotool mousemove 5 400
check "tool tip goes when the pointer leaves" wait_for 10 tip_gone_from "$px" "$py"
finish
