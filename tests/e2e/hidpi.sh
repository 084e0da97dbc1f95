#!/usr/bin/env bash
# At QT_SCALE_FACTOR=2 the widget keeps its geometry in logical pixels: its window is twice the size it has at
# scale 1 and centred at twice the stored PosX/PosY in device pixels, and quitting stores the logical centre
# again. Widget, tray icon and pop-up are drawn at full resolution (not doubled pixels); crops are saved.
#   tests/support/xvfb-run.sh tests/e2e/hidpi.sh BUILD/bin
# Needs a screen of at least 2560x1600; on a smaller one it runs itself on a private display of that size.
screen_size() { xdpyinfo 2>/dev/null | awk '/dimensions:/{split($2, d, "x"); print d[1], d[2]; exit}'; }
read -r screen_w screen_h < <(screen_size)
if [ "${screen_w:-0}" -lt 2560 ] || [ "${screen_h:-0}" -lt 1600 ]; then
  [ -z "${SKYCASTER_HIDPI_NESTED:-}" ] || { echo "hidpi: screen still too small" >&2; exit 1; }
  SKYCASTER_HIDPI_NESTED=1 SKYCASTER_XVFB_SCREEN=2560x1600x24 \
    exec "$(dirname "$0")/../support/xvfb-run.sh" "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"

POS_X=500 POS_Y=360
# crop NAME X Y W H: a part of the screen as an artefact; prints the file.
crop() {
  local file="$ARTIFACTS/$SCENARIO-$1.png"
  import -window root "$WORK/full.png" 2>/dev/null && convert "$WORK/full.png" -crop "${4}x${5}+${2}+${3}" +repage "$file" &&
    log "crop $file" && echo "$file" >"$WORK/last-crop"
}
# full_resolution FILE: more than MIN pixels differ from the same picture with every 2x2 block made uniform,
# i.e. the picture was drawn at device resolution, not drawn at scale 1 and doubled.
full_resolution() {
  local diff
  convert "$1" -sample 50% -sample 200% "$WORK/doubled.png" || return 1
  diff=$(compare -metric AE "$1" "$WORK/doubled.png" null: 2>&1 | awk '{print int($1)}')
  log "pixels finer than 2x2 in $(basename "$1"): $diff"
  [ "${diff:-0}" -gt "$2" ]
}
popup_shown_at() { window_sized_shown "$1" "$2"; }

make_program_dir
start_logged_service

# Scale 1: the reference size.
write_ini 130010 '[Position]' "PosX=$POS_X" "PosY=$POS_Y"
start_program
check "widget appears at scale 1" wait_for 30 widget_window
check "forecast retrieved at scale 1" wait_for 30 ini_has LastPublicTime
check "scale 1: centred at the stored position" wait_for 5 centre_near $POS_X $POS_Y
sleep 1
read -r x1 y1 w1 h1 < <(widget_geometry)
log "scale 1: widget ${w1}x${h1} at $x1,$y1"
crop widget-scale1 "$x1" "$y1" "$w1" "$h1"
quit_from_widget_menu
check "quit at scale 1" wait_for 15 process_gone "$PROGRAM_PID"

# Scale 2.
write_ini 130010 '[Position]' "PosX=$POS_X" "PosY=$POS_Y"
export QT_SCALE_FACTOR=2
start_program
check "widget appears at scale 2" wait_for 30 widget_window
check "forecast retrieved at scale 2" wait_for 30 ini_has LastPublicTime
check "tray icon docked" wait_for 10 tray_icon_rect
check "centred at twice the stored position" wait_for 5 centre_near $(( 2 * POS_X )) $(( 2 * POS_Y )) 2
sleep 1
read -r x2 y2 w2 h2 < <(widget_geometry)
log "scale 2: widget ${w2}x${h2} at $x2,$y2 (device pixels)"
check "width doubled" near "$w2" $(( 2 * w1 )) 1
check "height doubled" near "$h2" $(( 2 * h1 )) 1
screenshot scale2
crop widget-scale2 "$x2" "$y2" "$w2" "$h2"
check "widget drawn at full resolution" full_resolution "$(cat "$WORK/last-crop")" 200

read -r tx ty tw th < <(tray_icon_rect)
log "tray icon ${tw}x${th} at $tx,$ty"
crop tray-scale2 "$tx" "$ty" "$tw" "$th"
check "tray icon shows the normal icon" wait_for 5 tray_shows_normal

tray_menu
menu_pick 2
check "pop-up appears at twice its size" wait_for 10 popup_shown_at 600 360
sleep 1.5
read -r ox oy < <(window_sized 600 360)
crop popup-scale2 "$ox" "$oy" 600 360
check "pop-up drawn at full resolution" full_resolution "$(cat "$WORK/last-crop")" 500
# Its close picture sits at (286, 12) in logical pixels.
xdotool mousemove $(( ox + 2 * 286 )) $(( oy + 2 * 12 )) sleep 0.3 click 1
check "pop-up closes from its close picture" wait_for 10 window_sized_gone 600 360

quit_from_widget_menu
check "quit at scale 2" wait_for 15 process_gone "$PROGRAM_PID"
check "PosX stored in logical pixels" near "$(ini_get PosX)" $POS_X 1
check "PosY stored in logical pixels" near "$(ini_get PosY)" $POS_Y 1
finish
