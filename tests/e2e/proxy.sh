#!/usr/bin/env bash
# The proxy set on the "接続設定" page by typing: the retrieval that follows OK goes through a real tinyproxy
# with Basic authentication and succeeds; the settings file holds the method and the password in Base64.
# A wrong password then gives the failure state (failure picture, failure tray icon).
#   tests/support/xvfb-run.sh tests/e2e/proxy.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

make_program_dir
start_logged_service
start_tinyproxy user pass
write_ini 130010 '[Position]' 'PosX=500' 'PosY=360'
start_program

check "widget appears" wait_for 30 widget_window
check "forecast retrieved directly" wait_for 30 ini_has LastPublicTime
check "nothing through the proxy yet" test "$(proxy_requests .)" -eq 0
sleep 1

# Widget menu -> オプション -> 接続設定: proxy 127.0.0.1:PORT, user "user", password "pass".
requests=$(forecast_requests)
read -r px py < <(picture_point)
menu_at "$px" "$py"
menu_pick 3
check "settings dialog opens" wait_for 10 settings_dialog
focus_settings_dialog
xdotool key alt+a ctrl+Tab
sleep 0.3
# The mnemonic clicks the option button a moment later (an animated click): the server box is enabled then.
xdotool key alt+x sleep 0.5 key alt+y
xdotool type --delay 30 127.0.0.1
xdotool key alt+p
xdotool type --delay 30 "$PROXY_PORT"
xdotool key Tab space alt+u
xdotool type --delay 30 user
xdotool key alt+w
xdotool type --delay 30 pass
sleep 0.3
screenshot connection-page
xdotool key Return
check "dialog closed by OK" wait_for 10 settings_dialog_gone
check "forecast requested through the proxy" wait_for 20 at_least 1 proxy_requests 'rest/v1\?city=130010'
check "service answered the proxied request" wait_for 10 forecast_requested_since "$requests"
check "icon requested through the proxy" wait_for 20 at_least 1 proxy_requests '/forecast/img/[0-9]+\.png'
check "retrieval succeeded: forecast picture shown" wait_for 10 picture_is_forecast
check "tray shows the normal icon" wait_for 5 tray_shows_normal
check "Method=1 stored" wait_for 5 ini_is Method 1
check "ProxyServer stored" wait_for 5 ini_is ProxyServer 127.0.0.1
check "ProxyPort stored" wait_for 5 ini_is ProxyPort "$PROXY_PORT"
check "ProxyAuthentication stored" wait_for 5 ini_is ProxyAuthentication True
check "ProxyUser stored" wait_for 5 ini_is ProxyUser user
check "ProxyPassword stored in Base64" wait_for 5 ini_is ProxyPassword cGFzcw==
sleep 1
screenshot through-proxy

# A wrong password: tinyproxy refuses, the retrieval fails.
proxied=$(proxy_requests 'rest/v1\?city=')
read -r px py < <(picture_point)
menu_at "$px" "$py"
menu_pick 3
check "settings dialog opens again" wait_for 10 settings_dialog
focus_settings_dialog
xdotool key alt+a ctrl+Tab
sleep 0.3
xdotool key alt+w
xdotool type --delay 30 wrong
xdotool key Return
check "dialog closed by OK" wait_for 10 settings_dialog_gone
check "ProxyPassword of the wrong password stored" wait_for 5 ini_is ProxyPassword d3Jvbmc=
check "request reached the proxy" wait_for 20 more_than "$proxied" proxy_requests 'rest/v1\?city='
check "failure picture shown" wait_for 30 picture_is_failure
check "widget still shown" wait_for 5 widget_window
check "tray shows the failure icon" wait_for 5 tray_shows_failure
sleep 1
screenshot wrong-password
check "program still runs" program_running
finish
