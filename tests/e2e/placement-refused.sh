#!/usr/bin/env bash
# A window manager that places the widget itself (as sway's Xwayland does: centred, whatever the program asks):
# the widget cannot be put at the stored PosX/PosY, and the program keeps those values instead of storing the
# place the window manager chose, through a refresh and at quit.
#   tests/support/xvfb-run.sh tests/e2e/placement-refused.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

centred() {
  local x y w h
  read -r x y w h < <(widget_geometry) || return 1
  near "$(( x + w / 2 ))" 640 3 && near "$(( y + h / 2 ))" 400 3
}

# openbox forcing every window of the widget's title to the centre of the screen.
cat >"$WORK/rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <applications>
    <application title="Cloud Pane">
      <position force="yes"><x>center</x><y>center</y></position>
    </application>
  </applications>
</openbox_config>
XML
openbox --sm-disable --replace --config-file "$WORK/rc.xml" >/dev/null 2>&1 &
PIDS+=($!)
sleep 1

make_program_dir
start_logged_service
write_ini 130010 '[Position]' 'PosX=200' 'PosY=200'
start_program
check "widget appears" wait_for 30 widget_window
check "forecast retrieved" wait_for 30 ini_has LastPublicTime
check "the window manager put it in the centre, not at 200,200" wait_for 10 centred
screenshot centred

before="$(forecast_requests)"
check "tray menu opens" wait_for 20 tray_menu_shown
xdotool key Down Return
check "refresh retrieved" wait_for 15 forecast_requested_since "$before"
check "stored position kept through the refresh" ini_is PosX 200
check "stored PosY kept through the refresh" ini_is PosY 200

check "tray menu opens to quit" wait_for 20 tray_menu_shown
xdotool key Up Return
check "program ends" wait_for 15 process_gone "$PROGRAM_PID"
check "PosX at quit is still the stored one" ini_is PosX 200
check "PosY at quit is still the stored one" ini_is PosY 200
finish
