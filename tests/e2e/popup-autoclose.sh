#!/usr/bin/env bash
# The details pop-up closes by itself after a while when the pointer is elsewhere, so the refresh scheduler, which
# waits while a pop-up is open, retrieves again; while a real pointer rests on the pop-up it stays, and it goes
# once the pointer has left.
#   tests/support/xvfb-run.sh tests/e2e/popup-autoclose.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

open_details() { tray_menu && xdotool key Down Down Return && wait_for 10 popup_shown; }
# still_shown_after SECONDS: the pop-up is there all that time (by the clock: on a busy machine one look
# can take longer than the pause between looks).
still_shown_after() {
  local until=$(( $(date +%s%N) + $1 * 1000000000 ))
  while [ "$(date +%s%N)" -lt "$until" ]; do popup_shown || return 1; sleep 0.2; done
}

make_program_dir
start_logged_service
# An interval of 0 minutes: the scheduler retrieves at every new minute unless a pop-up is open.
write_ini 130010 'GetSpan=0'
start_program
check "forecast retrieved" wait_for 30 ini_has LastPublicTime
check "tray icon docked" wait_for 10 tray_icon_center

check "details pop-up opens" open_details
xdotool mousemove 5 400
check "it stays for a visible time" still_shown_after 8
check "it closes by itself" wait_for 12 popup_gone
after_close="$(forecast_requests)"
check "the scheduler retrieves again afterwards" wait_for 75 forecast_requested_since "$after_close"

check "details pop-up opens again" open_details
read -r px py < <(window_sized "$POPUP_W" "$POPUP_H")
xdotool mousemove "$(( px + 150 ))" "$(( py + 100 ))" sleep 0.2 mousemove "$(( px + 152 ))" "$(( py + 101 ))"
check "it stays while the pointer rests on it" still_shown_after 16
xdotool mousemove 5 400
check "it closes by itself once the pointer has left" wait_for 20 popup_gone
finish
