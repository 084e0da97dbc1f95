#!/usr/bin/env bash
# Start with a chosen city: the widget shows the forecast, the settings remember the retrieval, no temporary
# file is left, a second start ends at once; with the service gone a refresh shows the failure state; quitting
# from the menu stores the widget's position.
#   tests/support/xvfb-run.sh tests/e2e/first-retrieval.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

make_program_dir
start_service
write_ini 130010 '[Position]' 'PosX=500' 'PosY=360'
start_program

check "widget appears" wait_for 30 widget_window
check "forecast retrieved" wait_for 30 ini_has LastPublicTime
check "LastAccessCityID stored" wait_for 5 ini_is LastAccessCityID 130010
check "LastAccessDate in yyyy/mm/dd hh:nn:ss" grep -aqE '^LastAccessDate=[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}' "$INI"
check "picture shown is the forecast icon" wait_for 5 picture_is_forecast
# The downloads are removed after the settings are stored.
check "no temporary file left" wait_for 5 tmp_empty
check "widget centred at the stored position" wait_for 5 centre_near 500 360
sleep 1
screenshot widget

timeout 10 "$PROGRAM_DIR/skycaster" >/dev/null 2>&1
check "second start ends at once, silently" test $? -eq 0
check "first instance still runs" program_running

stop_service
read -r px py < <(picture_point)
menu_at "$px" "$py"
screenshot menu
xdotool key Down Return
check "failure picture after refresh without service" wait_for 40 picture_is_failure
sleep 1
screenshot failure

read -r px py < <(picture_point)
menu_at "$px" "$py"
xdotool key Up Return
check "quit from the menu" wait_for 15 process_gone "$PROGRAM_PID"
check "position stored at quit" near "$(ini_get PosX)" 500 1
check "position stored at quit (Y)" near "$(ini_get PosY)" 360 1
check "picture file removed at quit" test ! -e "$PROGRAM_DIR/Icon.tmp"
finish
