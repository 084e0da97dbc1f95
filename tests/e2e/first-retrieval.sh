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
sleep 1
screenshot widget
check "LastAccessCityID stored" test "$(ini_get LastAccessCityID)" = 130010
check "LastAccessDate in yyyy/mm/dd hh:nn:ss" grep -aqE '^LastAccessDate=[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}' "$INI"
check "picture shown is the forecast icon" test -s "$PROGRAM_DIR/Icon.tmp"
check "picture is not the failure picture" differs "$PROGRAM_DIR/Icon.tmp" "$PROGRAM_DIR/Res/CloudPaneX.bmp"
check "no temporary file left" test -z "$(ls -A "$TMPDIR")"
read -r wx wy ww wh < <(widget_geometry)
check "widget centred at the stored position" test $(( wx + ww / 2 - 500 )) -le 1 -a $(( wy + wh / 2 - 360 )) -le 1

timeout 10 "$PROGRAM_DIR/skycaster" >/dev/null 2>&1
check "second start ends at once, silently" test $? -eq 0
check "first instance still runs" program_running

stop_service
read -r px py < <(picture_point)
menu_at "$px" "$py"
screenshot menu
xdotool key Down Return
check "failure picture after refresh without service" wait_for 40 same_file "$PROGRAM_DIR/Icon.tmp" "$PROGRAM_DIR/Res/CloudPaneX.bmp"
sleep 1
screenshot failure

read -r px py < <(picture_point)
menu_at "$px" "$py"
xdotool key Up Return
check "quit from the menu" wait_for 15 process_gone "$PROGRAM_PID"
check "position stored at quit" test "$(ini_get PosX)" -ge 499 -a "$(ini_get PosX)" -le 501
check "picture file removed at quit" test ! -e "$PROGRAM_DIR/Icon.tmp"
finish
