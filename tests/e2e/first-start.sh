#!/usr/bin/env bash
# First start (a settings file that names the service but no city): the settings dialog opens before
# anything else. Cancelled, the program ends with no tray icon and no widget. Started again, the user walks
# the area tree with the keyboard to 東京, chooses it and presses OK: the widget shows its forecast and the
# settings file holds the city and the retrieval.
#   tests/support/xvfb-run.sh tests/e2e/first-start.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

no_tray_icon() { ! tray_icon_center >/dev/null; }
dialog_has_icon() { xprop -id "$(window_named '設定画面')" _NET_WM_ICON 2>/dev/null | grep -q 'Icon (22 x 22)'; }

make_program_dir
start_service
write_service_only_ini
cp "$INI" "$WORK/ini-before"

log "-- cancelled on first start"
start_program
check "settings dialog appears" wait_for 30 settings_dialog
check "the dialog shows the program's icon" wait_for 5 dialog_has_icon
sleep 1
screenshot dialog-cancel
check "no widget while the dialog is up" test -z "$(widget_window)"
check "no tray icon while the dialog is up" no_tray_icon
focus_settings_dialog
xdotool key Escape
check "program ends after cancel" wait_for 15 process_gone "$PROGRAM_PID"
process_gone "$PROGRAM_PID" && { wait "$PROGRAM_PID"; check "program ended normally" test $? -eq 0; }
check "no tray icon after cancel" no_tray_icon
check "settings file untouched by cancel" same_file "$INI" "$WORK/ini-before"

log "-- city chosen on first start"
start_program
check "settings dialog appears again" wait_for 30 settings_dialog
check "dialog has the input focus" focus_settings_dialog
keys="$(tree_keys 130010)" || { fail "130010 not in the shipped area list"; finish; }
# Alt+A is the tree's label mnemonic: it puts the focus on the tree whatever had it.
xdotool key --delay 120 alt+a $keys
sleep 0.5
screenshot dialog-tokyo
xdotool key Return
check "dialog closes on OK" wait_for 15 settings_dialog_gone
check "CityID saved" wait_for 10 ini_is CityID 130010
check "widget appears" wait_for 30 widget_window
check "forecast retrieved" wait_for 30 ini_has LastPublicTime
check "retrieved city is the chosen one" wait_for 10 ini_is LastAccessCityID 130010
check "unchanged service address kept" ini_is WeatherServiceURL "$SERVICE_URL/forecast/webservice/rest/v1"
check "saving wrote the interval" ini_is GetSpan 60
check "tray icon docked" wait_for 10 tray_icon_center
check "picture is the forecast icon" wait_for 5 picture_is_forecast
sleep 1
screenshot widget

check "quit from the menu" quit_from_widget_menu
check "program ends" wait_for 15 process_gone "$PROGRAM_PID"
check "position stored at quit" ini_has PosX
finish
