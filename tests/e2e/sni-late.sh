#!/usr/bin/env bash
# The program starts before any tray host (a login where the panel comes up late): it runs without an icon and
# shows it as soon as the panel's StatusNotifierItem host appears, with the command menu, without a restart.
#   tests/support/sni-session.sh --late tests/e2e/sni-late.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

no_watcher() { ! busctl --user status org.kde.StatusNotifierWatcher >/dev/null 2>&1; }

make_program_dir
start_logged_service
write_ini 130010
check "no tray host yet" no_watcher
start_program
check "forecast retrieved without a tray host" wait_for 30 ini_has LastPublicTime
check "program keeps running without a tray host" program_running

panel_pid="$($SKYCASTER_PANEL_START)" || { fail "panel did not start"; finish; }
PIDS+=("$panel_pid")
log "panel ($SKYCASTER_PANEL) started"
check "icon registered with the late panel" wait_for 15 sni_item_registered
check "icon drawn on the panel" wait_for 10 panel_icon_center
check "its menu exported" wait_for 10 sni_menu_all enabled
check "right click opens the program's menu" host_menu
xdotool key Down Down Return
check "詳細 opens the pop-up" wait_for 10 popup_shown
check "program still running" program_running
finish
