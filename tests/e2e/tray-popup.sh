#!/usr/bin/env bash
# The tray icon's command menu and the details pop-up: "詳細" opens the pop-up at the bottom right of the
# screen; its day title asks the service for tomorrow; its "ピンポイント" menu lists the other cities of
# the prefecture and asks the service for the chosen one with its leading zero; the close picture closes
# it; "終了" from the tray menu ends the program and stores the widget's position.
#   tests/support/xvfb-run.sh tests/e2e/tray-popup.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

# The popup fades in and out; wait until it has settled.
settle() { sleep 1.5; }

make_program_dir
start_logged_service
# 札幌: its prefecture (石狩・空知・後志地方) holds 岩見沢 016020 and 倶知安 016030 as well.
write_ini 016010
start_program

check "widget appears" wait_for 30 widget_window
check "forecast retrieved" wait_for 30 ini_has LastPublicTime
check "service asked for today's 札幌" service_got '^GET /forecast/webservice/rest/v1\?city=016010&day=today 200$'
check "tray icon docked" wait_for 10 tray_icon_center

check "tray menu opens" tray_menu
screenshot tray-menu
# Items: 最新予報を取得, 詳細, オプション, ヘルプ, 終了 (separators are skipped by the keys).
xdotool key Down Down Return
check "details pop-up appears" wait_for 10 popup_shown
settle
read -r sw sh < <(xdpyinfo | awk '/dimensions:/{split($2, d, "x"); print d[1], d[2]}')
popup_in_corner() {
  local px py
  read -r px py < <(window_sized "$POPUP_W" "$POPUP_H") || return 1
  test "$(( px + POPUP_W ))" -eq "$sw" -a "$(( py + POPUP_H ))" -eq "$sh"
}
check "pop-up at the bottom right of the screen" wait_for 5 popup_in_corner
screenshot popup-today

# Day title (185,0)-(268,25) -> day menu: 明日の天気, あさっての天気.
click_popup 226 12
sleep 0.8
screenshot day-menu
xdotool key Down Return
check "service asked for tomorrow" wait_for 15 service_got '^GET /forecast/webservice/rest/v1\?city=016010&day=tomorrow 200$'
check "pop-up shown again" wait_for 10 popup_shown
settle
screenshot popup-tomorrow

# An ordinary window that belongs to no other (window managers hide tool windows of an inactive program).
popup_id() { xwininfo -root -tree | awk -v s="${POPUP_W}x${POPUP_H}+" 'index($0, s) && /"Skycaster"/ {print $1}' | first_line; }
check "pop-up belongs to no other window" bash -c "xprop -id '$(popup_id)' WM_TRANSIENT_FOR | grep -q 'not found'"
popup_type() { xprop -id "$(popup_id)" _NET_WM_WINDOW_TYPE; }
check "pop-up is an ordinary window, not a tool window" bash -c "[[ '$(popup_type)' == *_NET_WM_WINDOW_TYPE_NORMAL* && '$(popup_type)' != *UTILITY* ]]"
click_popup 226 12
check "day menu opens" wait_for 5 program_menu_shown
xdotool key Escape
check "day menu closes on Escape" wait_for 5 no_program_menu
click_popup 226 12
check "day menu opens again" wait_for 5 program_menu_shown
xdotool mousemove 5 400 sleep 0.2 click 1
check "day menu closes on a click elsewhere" wait_for 5 no_program_menu
check "pop-up still shown" popup_shown

# "ピンポイント" (150,150)-(290,170) -> the other cities of the prefecture: 岩見沢, 倶知安.
click_popup 260 160
sleep 0.8
screenshot city-menu
xdotool key Down Return
check "service asked for 岩見沢 (leading zero kept) for tomorrow" \
  wait_for 15 service_got '^GET /forecast/webservice/rest/v1\?city=016020&day=tomorrow 200$'
check "retrieved city remembered with its leading zero" wait_for 10 ini_is LastAccessCityID 016020
check "chosen city is not the configured one" ini_is CityID 016010
check "pop-up shown again" wait_for 10 popup_shown
settle
screenshot popup-iwamizawa

# Close picture (278,6)-(294,19).
click_popup 286 12
check "pop-up closes" wait_for 10 popup_gone
screenshot closed

read -r wx wy ww wh < <(widget_geometry)
cx=$(( wx + ww / 2 )) cy=$(( wy + wh / 2 ))
check "tray menu opens again" tray_menu
xdotool key Up Return
check "quit from the tray menu" wait_for 15 process_gone "$PROGRAM_PID"
check "PosX stored" ini_has PosX
check "PosY stored" ini_has PosY
check "stored position is the widget's centre" \
  test "$(( $(ini_get PosX) - cx ))" -ge -1 -a "$(( $(ini_get PosX) - cx ))" -le 1 -a "$(( $(ini_get PosY) - cy ))" -ge -1 -a "$(( $(ini_get PosY) - cy ))" -le 1
check "no unexpected request failed" test -z "$(grep -v ' 200$' "$ACCESS_LOG")"
finish
