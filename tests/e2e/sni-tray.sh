#!/usr/bin/env bash
# The tray icon on a StatusNotifierItem host (xfce4-panel on a D-Bus session): the program exports its command
# menu, so a right click on the icon shows the program's items (not the panel's own menu), and each item runs
# its command: "詳細" opens the pop-up, "最新予報を取得" asks the service again, "オプション" opens the settings
# dialog, "終了" ends the program. A left click opens no menu, as on an XEmbed tray.
#   tests/support/sni-session.sh tests/e2e/sni-tray.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

EXPECTED_MENU="最新予報を取得 enabled
-
詳細 enabled
-
オプション enabled
ヘルプ enabled
-
終了 enabled"
menu_as_expected() { test "$(sni_menu_items)" = "$EXPECTED_MENU"; }
main_menu_is() { test "$(sni_menu_items | head -n1)" = "最新予報を取得 $1"; }

make_program_dir
start_logged_service
write_ini 130010
start_program

check "widget appears" wait_for 30 widget_window
check "forecast retrieved" wait_for 30 ini_has LastPublicTime
check "icon registered with the panel's watcher" wait_for 10 sni_item_registered
check "icon drawn on the panel" wait_for 10 panel_icon_center
check "exported menu: the command menu's items, separators and states" wait_for 10 menu_as_expected

check "right click opens the program's menu" host_menu
screenshot menu
# GTK menus: the first Down selects the first item; separators are skipped.
xdotool key Down Down Return
check "詳細 opens the pop-up" wait_for 10 popup_shown
check "host menu closed" wait_for 5 host_menu_gone
screenshot popup

before="$(forecast_requests)"
check "menu opens again" host_menu
xdotool key Down Return
check "最新予報を取得 asks the service again" wait_for 15 forecast_requested_since "$before"

check "menu opens for the options" host_menu
xdotool key Down Down Down Return
check "オプション opens the settings dialog" wait_for 10 settings_dialog
check "items greyed out while the dialog is open" wait_for 10 sni_menu_all disabled
focus_settings_dialog
xdotool key Escape
check "settings dialog closes" wait_for 10 settings_dialog_gone
check "items enabled again" wait_for 10 sni_menu_all enabled

# A left click activates the item; it opens no menu, as on an XEmbed tray.
read -r ix iy < <(panel_icon_center)
xdotool mousemove "$ix" "$iy" sleep 0.2 click 1
sleep 1
check "left click opens no menu" host_menu_gone
check "program still running" program_running

check "menu opens to quit" host_menu
xdotool key Up Return
check "終了 ends the program" wait_for 15 process_gone "$PROGRAM_PID"
finish
