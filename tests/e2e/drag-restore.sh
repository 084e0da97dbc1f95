#!/usr/bin/env bash
# Dragging the widget with the left button moves it; quitting stores its new centre in PosX/PosY and the
# next start shows it centred there again.
#   tests/support/xvfb-run.sh tests/e2e/drag-restore.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

DX=300 DY=200
stored_near() { near "$(ini_get PosX)" "$1" 1 && near "$(ini_get PosY)" "$2" 1; }

make_program_dir
start_service
write_ini 130010 '[Position]' 'PosX=400' 'PosY=300'
start_program
check "widget appears" wait_for 30 widget_window
check "forecast retrieved" wait_for 30 ini_has LastPublicTime
check "widget centred at the stored position" wait_for 5 centre_near 400 300
sleep 1
screenshot before

read -r px py < <(picture_point) || { fail "no drawn pixel on the widget"; finish; }
drag_from "$px" "$py" "$DX" "$DY"
sleep 1
screenshot after
check "widget followed the drag" wait_for 5 centre_near $(( 400 + DX )) $(( 300 + DY ))
read -r wx wy ww wh < <(widget_geometry)
cx=$(( wx + ww / 2 )) cy=$(( wy + wh / 2 ))
log "widget centre after the drag: $cx $cy"

check "quit from the menu" quit_from_widget_menu
check "program ends" wait_for 15 process_gone "$PROGRAM_PID"
check "new centre stored in PosX/PosY" stored_near "$cx" "$cy"

start_program
check "widget appears again" wait_for 30 widget_window
check "forecast retrieved again" wait_for 30 test -s "$PROGRAM_DIR/Icon.tmp"
sleep 1
check "widget centred where it was left" wait_for 5 centre_near "$cx" "$cy"
screenshot restored
check "quit again" quit_from_widget_menu
check "program ends again" wait_for 15 process_gone "$PROGRAM_PID"
check "position unchanged by a start without a drag" stored_near "$cx" "$cy"
finish
