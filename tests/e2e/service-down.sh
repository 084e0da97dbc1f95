#!/usr/bin/env bash
# The service stops: "最新予報を取得" shows the failure state on the widget (failure picture) and in the tray
# (the icon with the red mark); "詳細" shows the failure pop-up. The service comes back on the same port: the
# next timed retrieval (GetSpan=0: one per minute) brings the normal state back without any command.
#   tests/support/xvfb-run.sh tests/e2e/service-down.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

# tray_artifact NAME: the tray icon as shown now, enlarged, beside the screenshots.
tray_artifact() {
  local x y w h
  read -r x y w h < <(tray_icon_rect) || return 1
  import -window root "$WORK/tray-full.png" 2>/dev/null &&
    convert "$WORK/tray-full.png" -crop "${w}x${h}+${x}+${y}" +repage -scale 800% "$ARTIFACTS/$SCENARIO-$1.png" &&
    log "tray icon $ARTIFACTS/$SCENARIO-$1.png"
}

make_program_dir
start_logged_service
write_ini 130010 'GetSpan=0' '[Position]' 'PosX=500' 'PosY=360'
start_program

check "widget appears" wait_for 30 widget_window
check "forecast retrieved" wait_for 30 ini_has LastPublicTime
check "tray icon docked" wait_for 10 tray_icon_rect
check "forecast picture shown" wait_for 5 picture_is_forecast
check "tray shows the normal icon" wait_for 5 tray_shows_normal
sleep 1
screenshot normal
tray_artifact tray-normal

old_port=$SERVICE_PORT
stop_service
check "service gone" process_gone "$SERVICE_PID"
read -r px py < <(picture_point)
menu_at "$px" "$py"
menu_pick 1
check "failure picture after the refresh" wait_for 40 picture_is_failure
check "widget still shown" wait_for 5 widget_window
check "tray shows the failure icon" wait_for 5 tray_shows_failure
sleep 1
screenshot failure
tray_artifact tray-failure

# 詳細 from the tray menu: the failure pop-up.
tray_menu
menu_pick 2
check "failure pop-up appears" wait_for 10 popup_shown
sleep 1.5
screenshot failure-popup
read -r ox oy < <(window_sized "$POPUP_W" "$POPUP_H")
xdotool mousemove $(( ox + 286 )) $(( oy + 12 )) sleep 0.3 click 1
check "pop-up closes" wait_for 10 popup_gone

# Back on the same port; the timer alone recovers within its minute.
access_date=$(ini_get LastAccessDate)
start_logged_service
check "service back on the same port" test "$SERVICE_PORT" = "$old_port"
check "timed retrieval recovers the forecast picture" wait_for 80 picture_is_forecast
# The tick stores LastAccessDate after the retrieval has drawn the picture.
check "the timer did it (LastAccessDate moved on)" wait_for 10 ini_differs LastAccessDate "$access_date"
check "service asked by the timer" wait_for 5 service_got '^GET /forecast/webservice/rest/v1\?city=130010&day=today 200$'
check "tray shows the normal icon again" wait_for 5 tray_shows_normal
sleep 1
screenshot recovered
tray_artifact tray-recovered
check "program still runs" program_running
finish
