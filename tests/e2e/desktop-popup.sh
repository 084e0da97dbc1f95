#!/usr/bin/env bash
# On a real desktop (GNOME Shell with AppIndicator, the program on its Xwayland; KDE Plasma on kwin_x11), as a new
# user would: the icon is in the panel, the host's menu for it holds the command menu, "詳細" from it opens a
# pop-up that is really shown and takes a click, the pop-up's day menu opens and closes on Escape (and, on KDE,
# on a click elsewhere), and "終了" from the tray menu ends the program while the day menu is open.
#   tests/support/desktop-session.sh gnome|kde tests/e2e/desktop-popup.sh BUILD/bin
source "$(dirname "$0")/lib.sh"
: "${DESKTOP:?run inside tests/support/desktop-session.sh}"
# --- the two desktops' ways of pointing, typing and finding the icon ---
if [ "$DESKTOP" = gnome ]; then
  shell_eval() { gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell --method org.gnome.Shell.Eval "$1"; }
  # shell_value JS: the value of a JavaScript expression inside the shell, quotes removed (fails when Eval does).
  shell_value() { local out; out="$(shell_eval "$1")" || return 1; [[ "$out" == "(true,"* ]] || return 1; sed -E "s/^\(true, '\"?//; s/\"?'\)$//" <<<"$out"; }
  shell_value 'global._vp = imports.gi.Clutter.get_default_backend().get_default_seat().create_virtual_device(imports.gi.Clutter.InputDeviceType.POINTER_DEVICE); global._vk = imports.gi.Clutter.get_default_backend().get_default_seat().create_virtual_device(imports.gi.Clutter.InputDeviceType.KEYBOARD_DEVICE); imports.ui.main.overview.hide(); 1' >/dev/null
  now='imports.gi.GLib.get_monotonic_time()'
  pointer_move() { shell_value "global._vp.notify_absolute_motion($now, $1, $2); 1" >/dev/null; }
  pointer_click() { # X Y BUTTON
    pointer_move "$1" "$2" && sleep 0.3 &&
      shell_value "let S = imports.gi.Clutter.ButtonState; global._vp.notify_button($now, $3, S.PRESSED); global._vp.notify_button($now, $3, S.RELEASED); 1" >/dev/null
  }
  press_escape() { shell_value "let C = imports.gi.Clutter; global._vk.notify_keyval($now, C.KEY_Escape, C.KeyState.PRESSED); global._vk.notify_keyval($now, C.KEY_Escape, C.KeyState.RELEASED); 1" >/dev/null; }
  indicator() { echo "imports.ui.main.panel.statusArea['appindicator-$(sni_item_service)@/StatusNotifierItem']"; }
  # actor_centre JS: "X Y" of the centre of a shell actor.
  actor_centre() { shell_value "let a = $1; let [x, y] = a.get_transformed_position(); let [w, h] = a.get_transformed_size(); Math.round(x + w / 2) + ' ' + Math.round(y + h / 2)"; }
  icon_shown() { test "$(shell_value "$(indicator).visible")" = true; }
  host_menu_open() { test "$(shell_value "$(indicator).menu.isOpen")" = true; }
  # The shell starts in its overview, which covers every window; the desktop is there once it is left.
  overview_left() { test "$(shell_value 'imports.ui.main.overview.hide(); imports.ui.main.overview.visible')" = false; }
  open_host_menu() {
    local x y
    wait_for 20 overview_left || return 1
    read -r x y < <(actor_centre "$(indicator)") && pointer_click "$x" "$y" 3 || return 1
    wait_for 5 host_menu_open
  }
  host_menu_labels() {
    shell_value "encodeURIComponent($(indicator).menu._getMenuItems().map(i => i.label && i.label.text ? i.label.text : '-').join('|'))" |
      python3 -c 'import sys, urllib.parse; print(urllib.parse.unquote(sys.stdin.read().strip()))'
  }
  choose_host_item() { # LABEL
    local x y; read -r x y < <(actor_centre "$(indicator).menu._getMenuItems().find(i => i.label && i.label.text == '$1')") &&
      pointer_click "$x" "$y" 1
  }
  shot() { gdbus call --session --dest org.gnome.Shell.Screenshot --object-path /org/gnome/Shell/Screenshot \
             --method org.gnome.Shell.Screenshot.Screenshot false false "$ARTIFACTS/$SCENARIO-$DESKTOP-$1.png" >/dev/null && log "screenshot $ARTIFACTS/$SCENARIO-$DESKTOP-$1.png"; }
else
  pointer_move() { xdotool mousemove "$1" "$2"; }
  pointer_click() { xdotool mousemove "$1" "$2" sleep 0.3 click "$3"; }
  press_escape() { xdotool key Escape; }
  # The icon is drawn in Plasma's panel at the bottom: the centre of its orange (the sun of the program's icon).
  icon_centre() {
    import -window root -crop 1280x44+0+756 +repage "$WORK/panel.png" 2>/dev/null || return 1
    convert "$WORK/panel.png" -fx 'r > 0.85 && g > 0.35 && g < 0.75 && b < 0.35 ? 1 : 0' txt:- |
      awk -F'[,: ]+' '/#FFFFFF/ {n++; sx += $1; sy += $2} END {if (n < 10) exit 1; print int(sx / n), int(756 + sy / n)}'
  }
  icon_shown() { icon_centre >/dev/null; }
  # Plasma's menu: a window of plasmashell that appears above the panel.
  host_menu_open() {
    xwininfo -root -children | awk '/^ +0x/ && !/"Skycaster"|"Cloud Pane"|"CloudPane"/ {print $1}' | while read -r id; do
      xwininfo -id "$id" 2>/dev/null | awk '/Absolute upper-left Y/{y=$4} /Height:/{h=$2} /Map State: IsViewable/{v=1}
        END {exit !(v && h > 100 && y + h >= 740 && y + h <= 760)}' && echo "$id"
    done | grep -q .
  }
  open_host_menu() { local x y; read -r x y < <(icon_centre) && pointer_click "$x" "$y" 3 && wait_for 5 host_menu_open; }
  host_menu_labels() { sni_menu_items | awk '{print $1}' | paste -sd'|'; }
  choose_host_item() { case "$1" in 詳細) xdotool key Down Down Return ;; 終了) xdotool key Up Return ;; esac; }
  shot() { screenshot "$DESKTOP-$1"; }
fi

# The pop-up's own window (inside the window manager's frame, if it has one): "ID X Y" on the screen.
popup_client() {
  xwininfo -root -tree | awk -v s="${POPUP_W}x${POPUP_H}+" 'index($0, s) && /"Skycaster"/ {split($NF, p, "+"); print $1, p[2], p[3]}' | first_line
}
# The pop-up as the window manager keeps it: mapped, in the normal (not iconic) state.
popup_normal() {
  local id x y; read -r id x y < <(popup_client) || return 1
  xprop -id "$id" WM_STATE 2>/dev/null | grep -q 'window state: Normal' && ! xprop -id "$id" _NET_WM_STATE | grep -q HIDDEN
}
# The day menu: the program's own menu window, opened from the pop-up's day title (185,0)-(268,25).
open_day_menu() {
  local id px py; read -r id px py < <(popup_client) || return 1
  pointer_click "$(( px + 226 ))" "$(( py + 12 ))" 1 && wait_for 5 program_menu_shown
}

make_program_dir
start_logged_service
write_ini 016010
start_program
check "forecast retrieved" wait_for 40 ini_has LastPublicTime
check "icon registered with the desktop's tray" wait_for 20 sni_item_registered
check "icon shown in the panel" wait_for 20 icon_shown
shot icon
check "host menu opens on a right click" open_host_menu
labels="$(host_menu_labels)"; log "host menu: $labels"
check "host menu holds the command menu" test "$labels" = '最新予報を取得|-|詳細|-|オプション|ヘルプ|-|終了'
shot menu
choose_host_item 詳細
check "詳細 opens the pop-up" wait_for 10 popup_shown
check "the window manager shows it (not iconic, not hidden)" wait_for 5 popup_normal
# The pointer rests on it: it does not close itself however slow the machine is.
read -r _ px py < <(popup_client) && pointer_move "$(( px + 150 ))" "$(( py + 100 ))"
sleep 1.5
shot popup
check "the pop-up takes a click: its day menu opens" open_day_menu
shot day-menu
press_escape
check "the day menu closes on Escape" wait_for 5 no_program_menu
check "the pop-up stays" popup_shown
if [ "$DESKTOP" = kde ]; then
  check "the day menu opens again" open_day_menu
  pointer_click 300 300 1
  check "the day menu closes on a click elsewhere" wait_for 5 no_program_menu
fi
check "the day menu opens for quitting" open_day_menu
if [ "$DESKTOP" = gnome ]; then
  # The shell takes the click on its panel while the X client's menu is open.
  check "host menu opens while the day menu is open" open_host_menu
  choose_host_item 終了
else
  # On X11 the menu's grab takes the next click; a host's choice arrives over DBusMenu whatever is open.
  busctl --user call "$(sni_item_service)" /MenuBar com.canonical.dbusmenu Event isvu \
    "$(busctl --user --json=short call "$(sni_item_service)" /MenuBar com.canonical.dbusmenu GetLayout iias 0 -- -1 0 |
       python3 -c 'import json, sys; print([c["data"][0] for c in json.load(sys.stdin)["data"][1][2] if c["data"][1].get("label", {}).get("data") == "終了"][0])')" \
    clicked s "" 0 >/dev/null
fi
check "終了 ends the program with the day menu open" wait_for 15 process_gone "$PROGRAM_PID"
finish
