#!/usr/bin/env bash
# The program starts before any tray host on a plain X11 desktop: once an XEmbed tray (trayer) appears, the icon
# docks there and its right click opens the command menu, without a restart.
#   tests/support/xvfb-run.sh --no-tray tests/e2e/xembed-late.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

trayer_panel() { xwininfo -root -tree 2>/dev/null | grep -q '"panel"'; }

make_program_dir
start_logged_service
write_ini 130010
check "no tray host yet" bash -c '! xwininfo -root -tree | grep -q "\"panel\""'
start_program
check "forecast retrieved without a tray host" wait_for 30 ini_has LastPublicTime

trayer --edge top --align right --widthtype request --height 24 --SetDockType true --transparent false \
  >/dev/null 2>&1 &
PIDS+=($!)
check "tray host up" wait_for 10 trayer_panel
check "icon docks in the late tray" wait_for 15 tray_icon_center
check "right click opens the command menu" wait_for 20 tray_menu_shown
xdotool key Down Down Return
check "詳細 opens the pop-up" wait_for 10 popup_shown
finish
