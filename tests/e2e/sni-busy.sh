#!/usr/bin/env bash
# No command while a download runs, on a StatusNotifierItem host (xfce4-panel), against a server that does not
# answer: the items of the exported menu are greyed out for as long as the download hangs (a click shows the
# menu but chooses nothing), a host's ContextMenu call is answered at once, and no second request starts. This
# holds for "最新予報を取得" and for the pop-up's day retrieval alike; once the server answers, the items work.
#   tests/support/sni-session.sh tests/e2e/sni-busy.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

# context_menu_answered: the item's ContextMenu method returns within two seconds.
context_menu_answered() {
  timeout 2 busctl --user call "$(sni_item_service)" /StatusNotifierItem org.kde.StatusNotifierItem ContextMenu ii 20 20
}
# try_every_item: the host's menu opens; every key that would choose an item is pressed; then it is closed.
try_every_item() {
  host_menu || return 1
  xdotool key Down Return
  sleep 0.5
  host_menu_gone || xdotool key Escape
  wait_for 5 host_menu_gone
}
hung_requests_stay() { sleep 2; test "$(gate_held)" -eq "$1"; }

make_program_dir
start_logged_service
start_gate "$SERVICE_URL"
SERVICE_URL="$GATE_URL" write_ini 130010
start_program

check "forecast retrieved" wait_for 30 ini_has LastPublicTime
check "icon registered" wait_for 10 sni_item_registered
check "items enabled after the first retrieval" wait_for 10 sni_menu_all enabled

# 1. "最新予報を取得" against a server that does not answer.
shut_gate
check "menu opens" host_menu
xdotool key Down Return
check "the download hangs" wait_for 15 gate_held_at_least 1
check "every item greyed out while it hangs" wait_for 10 sni_menu_all disabled
check "ContextMenu answered at once during the download" context_menu_answered
check "menu shown but nothing chosen" try_every_item
check "no second request while the first hangs" hung_requests_stay 1
check "the program opened no menu of its own meanwhile" no_program_menu
screenshot hung-refresh
open_gate
check "items enabled once the server answers" wait_for 20 sni_menu_all enabled
check "the ContextMenu call's menu opens after the download" wait_for 10 program_menu_shown
xdotool key Escape
check "that menu closes" wait_for 5 no_program_menu

# 2. The pop-up's day retrieval.
check "menu opens for the details" host_menu
xdotool key Down Down Return
check "pop-up shown" wait_for 10 popup_shown
sleep 1.5
shut_gate
# The pop-up's day title (185,0)-(268,25) opens the day menu: 明日の天気, あさっての天気.
click_popup 226 12
sleep 0.8
xdotool key Down Return
check "the day download hangs" wait_for 15 gate_held_at_least 2
check "every item greyed out during the day download" wait_for 10 sni_menu_all disabled
check "ContextMenu answered at once during the day download" context_menu_answered
check "menu shown but nothing chosen during the day download" try_every_item
check "no nested retrieval during the day download" hung_requests_stay 2
open_gate
check "the ContextMenu call's menu opens after the day download" wait_for 20 program_menu_shown
xdotool key Escape
check "that menu closes too" wait_for 5 no_program_menu
check "tomorrow retrieved once the server answers" wait_for 20 service_got 'city=130010&day=tomorrow 200$'
check "items enabled again" wait_for 10 sni_menu_all enabled
check "pop-up shown again" wait_for 10 popup_shown
check "only the two retrievals asked after the first" test "$(grep -c 'rest/v1?city=' "$ACCESS_LOG")" -eq 3
check "no failure message in the tool tip" test -z "$(grep -a '別の通信が実行中です' "$WORK/program.log")"
finish
