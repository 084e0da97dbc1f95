#!/usr/bin/env bash
# Shared steps of the whole-program scenarios. Source it from a scenario script; the scenario runs on an
# X display with a tray host (tests/support/xvfb-run.sh provides one) and gets:
#   BIN        folder with skycaster and skycaster-forecastd (argument 1 of the scenario, or $SKYCASTER_BIN)
#   WORK       a private folder removed at exit; PROGRAM_DIR the program folder inside it
#   ARTIFACTS  where screenshots go
set -u
BIN="${1:-${SKYCASTER_BIN:-}}"
[ -n "$BIN" ] && [ -x "$BIN/skycaster" ] || { echo "usage: $0 BUILD/bin" >&2; exit 2; }
BIN="$(cd "$BIN" && pwd)"
E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
SOURCE_DIR="$(cd "$E2E_DIR/../.." && pwd)"
SCENARIO="$(basename "$0" .sh)"
ARTIFACTS="${SKYCASTER_ARTIFACTS:-$BIN/../artifacts}"
mkdir -p "$ARTIFACTS"
WORK="$(mktemp -d /tmp/skycaster-e2e.XXXXXX)"
PROGRAM_DIR="$WORK/program"
export TMPDIR="$WORK/tmp"
mkdir -p "$TMPDIR" "$WORK/runtime"
chmod 700 "$WORK/runtime"
export XDG_RUNTIME_DIR="$WORK/runtime" XDG_CONFIG_HOME="$WORK/config"
export LANG=C.UTF-8 TZ=Asia/Tokyo
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY all_proxy ALL_PROXY
# Leaks of system libraries at exit are not this program's; everything else must stay clean.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
PIDS=()
FAILED=0

cleanup() {
  for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

log() { printf '[%s] %s\n' "$SCENARIO" "$*"; }
fail() { printf '[%s] FAIL: %s\n' "$SCENARIO" "$*" >&2; FAILED=1; }
check() { local what="$1"; shift; if "$@"; then log "ok: $what"; else fail "$what"; fi; }
finish() { [ "$FAILED" = 0 ] && log "passed" || log "failed"; exit "$FAILED"; }

# wait_for SECONDS COMMAND...: polls COMMAND every 0.2 s until it succeeds. COMMAND is run anew each time
# round, so it must compute what it checks itself: pass a function (at_least, ini_is, ...), never an
# argument holding "$(...)", which the shell expands once before the first poll.
wait_for() {
  local limit=$(( $1 * 5 )); shift
  for _ in $(seq 1 "$limit"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.2; done
  return 1
}

# The program folder as installed: executable, libraries and the files it expects beside itself.
make_program_dir() {
  mkdir -p "$PROGRAM_DIR"
  cp "$BIN/skycaster" "$BIN"/libro*.so* "$PROGRAM_DIR/"
  for d in Res Styles forecastmap; do [ -d "$BIN/$d" ] && cp -r "$BIN/$d" "$PROGRAM_DIR/"; done
  [ -f "$BIN/Skycaster.html" ] && cp "$BIN/Skycaster.html" "$PROGRAM_DIR/"
  INI="$PROGRAM_DIR/skycaster.ini"
}

# start_service [DATA_DIR]: the forecast service in offline mode on a free port; sets SERVICE_URL.
start_service() {
  run_service "${1:-$SOURCE_DIR/service/demo-data}"
  log "service at $SERVICE_URL"
}

# run_service DATA_DIR [OPTIONS...]: starts the service and waits for its address. Each start writes a log
# of its own: the shell truncates a reused one only once the new process runs, so a look at it before then
# would read the previous start's address.
SERVICE_STARTS=0
run_service() {
  local data="$1"; shift
  SERVICE_STARTS=$(( SERVICE_STARTS + 1 ))
  SERVICE_LOG="$WORK/service-$SERVICE_STARTS.log"
  "$BIN/skycaster-forecastd" --offline "$data" --port "${SERVICE_PORT:-0}" "$@" >"$SERVICE_LOG" 2>&1 &
  SERVICE_PID=$!
  PIDS+=("$SERVICE_PID")
  wait_for 10 grep -q 'listening on' "$SERVICE_LOG" || { cat "$SERVICE_LOG" >&2; fail "service did not start"; finish; }
  SERVICE_URL="$(grep -o 'http://[0-9.]*:[0-9]*' "$SERVICE_LOG" | head -n1)"
  SERVICE_PORT="${SERVICE_URL##*:}"
}

stop_service() { kill "$SERVICE_PID" 2>/dev/null; wait "$SERVICE_PID" 2>/dev/null; }

# write_ini CITY [extra lines...]: a settings file pointing at our service.
write_ini() {
  local city="$1"; shift
  {
    printf '[General]\r\nCityID=%s\r\n' "$city"
    printf 'WeatherServiceURL=%s/forecast/webservice/rest/v1\r\n' "$SERVICE_URL"
    printf 'ForecastmapURL=%s/forecast/rss/forecastmap.xml\r\n' "$SERVICE_URL"
    for line in "$@"; do printf '%s\r\n' "$line"; done
  } >"$INI"
}

ini_get() { # ini_get KEY -> value (first match, any section)
  grep -a -m1 -i "^$1=" "$INI" 2>/dev/null | cut -d= -f2- | tr -d '\r'
}

start_program() {
  "$PROGRAM_DIR/skycaster" >"$WORK/program.log" 2>&1 &
  PROGRAM_PID=$!
  PIDS+=("$PROGRAM_PID")
}

program_running() { kill -0 "$PROGRAM_PID" 2>/dev/null; }

# The desktop widget's X window id (its title is "Cloud Pane").
# first_line: prints the first line of its input and succeeds only when there was one, so that a query
# piped into it can be polled (a plain "| head -n1" succeeds on no input too).
first_line() { local line; IFS= read -r line && [ -n "$line" ] && printf '%s\n' "$line"; }

widget_window() { xdotool search --onlyvisible --name '^Cloud Pane$' 2>/dev/null | first_line; }

# widget_geometry -> "X Y W H" of the widget window.
widget_geometry() {
  local id; id="$(widget_window)"; [ -n "$id" ] || return 1
  xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}

screenshot() { import -window root "$ARTIFACTS/$SCENARIO-$1.png" 2>/dev/null && log "screenshot $ARTIFACTS/$SCENARIO-$1.png"; }

# The tray icon's window: a child of trayer's panel. Prints "X Y" of its centre.
tray_icon_center() {
  local panel; panel="$(xwininfo -root -tree | awk '/"panel"/{print $1; exit}')"
  [ -n "$panel" ] || return 1
  xwininfo -id "$panel" -children | awk '/^ +0x/{print $1}' | while read -r child; do
    xwininfo -id "$child" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{if (w>1 && h>1) print int(x+w/2), int(y+h/2)}'
  done | first_line
}

# menu_at X Y: right-click at (X, Y) and give the menu time to open.
menu_at() {
  xdotool mousemove "$1" "$2" sleep 0.2 click 3
  sleep 0.6
}

# at_least N COMMAND... / more_than N COMMAND...: COMMAND, run now, prints a number >= N / > N.
at_least() { local n=$1 v; shift; v="$("$@")"; [ -n "$v" ] && [ "$v" -ge "$n" ]; }
more_than() { local n=$1 v; shift; v="$("$@")"; [ -n "$v" ] && [ "$v" -gt "$n" ]; }

# centre_near X Y [TOLERANCE]: the widget's centre is within TOLERANCE (default 1) pixels of (X, Y), on
# both sides.
centre_near() {
  local x y w h t="${3:-1}"
  read -r x y w h < <(widget_geometry) || return 1
  near $(( x + w / 2 )) "$1" "$t" && near $(( y + h / 2 )) "$2" "$t"
}

# The widget's picture file: the failure picture, or a forecast icon (present, and not the failure picture).
picture_is_failure() { same_file "$PROGRAM_DIR/Icon.tmp" "$PROGRAM_DIR/Res/CloudPaneX.bmp"; }
picture_is_forecast() { test -s "$PROGRAM_DIR/Icon.tmp" && ! picture_is_failure; }
tmp_empty() { test -z "$(ls -A "$TMPDIR")"; }

# A file's bytes equal another's.
same_file() { cmp -s "$1" "$2"; }
differs() { ! cmp -s "$1" "$2"; }
ini_has() { test -n "$(ini_get "$1")"; }
ini_is() { test "$(ini_get "$1")" = "$2"; }
ini_differs() { test "$(ini_get "$1")" != "$2"; }
process_gone() { ! kill -0 "$1" 2>/dev/null; }

# picture_point -> "X Y": a screen point on a drawn (not cut away) pixel of the widget's picture (near the
# top middle, above the text, which ignores the right button), so a click there reaches the widget.
picture_point() {
  local x y w h
  read -r x y w h < <(widget_geometry) || return 1
  import -window root -crop "${w}x${h}+${x}+${y}" "$WORK/widget-crop.png" 2>/dev/null || return 1
  convert "$WORK/widget-crop.png" txt:- | awk -v w="$w" -v h="$h" -v ox="$x" -v oy="$y" '
    NR == 2 { split($1, p, /[,:]/); bg = $3 }
    NR > 1 {
      split($1, p, /[,:]/)
      if ($3 != bg) { d = (p[1] - w / 2) ^ 2 + (p[2] - 8) ^ 2; if (best == "" || d < best) { best = d; bx = p[1]; by = p[2] } }
    }
    END { if (best != "") print ox + bx, oy + by; else exit 1 }'
}

# start_logged_service [DATA_DIR]: start_service, and the service appends one line per request
# ("GET /path?query STATUS") to $ACCESS_LOG.
start_logged_service() {
  ACCESS_LOG="$WORK/access.log"
  : >"$ACCESS_LOG"
  run_service "${1:-$SOURCE_DIR/service/demo-data}" --access-log "$ACCESS_LOG"
  log "service at $SERVICE_URL, access log $ACCESS_LOG"
}

# service_got PATTERN: the access log holds a request line matching the extended regex PATTERN.
service_got() { grep -qE "$1" "$ACCESS_LOG"; }

# write_service_only_ini: a settings file that names our service but no city (still a first start).
write_service_only_ini() {
  {
    printf '[General]\r\n'
    printf 'WeatherServiceURL=%s/forecast/webservice/rest/v1\r\n' "$SERVICE_URL"
    printf 'ForecastmapURL=%s/forecast/rss/forecastmap.xml\r\n' "$SERVICE_URL"
  } >"$INI"
}

# window_named TITLE -> X window id of the visible window with exactly that title.
window_named() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | first_line; }

# window_geometry ID -> "X Y W H".
window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}'
}

# window_sized W H -> "X Y" of a viewable top-level window of exactly that size (e.g. the pop-up).
window_sized() {
  local id
  for id in $(xwininfo -root -children | awk -v s="$1x$2+" 'index($0, s) {print $1}'); do
    xwininfo -id "$id" | grep -q 'IsViewable' || continue
    window_geometry "$id" | awk '{print $1, $2}'
    return 0
  done
  return 1
}
window_sized_shown() { window_sized "$@" >/dev/null; }
window_sized_gone() { ! window_sized "$@" >/dev/null; }

# The details pop-up: a top-level window of its own size at scale 1.
POPUP_W=300 POPUP_H=180
popup_shown() { window_sized_shown "$POPUP_W" "$POPUP_H"; }
popup_gone() { window_sized_gone "$POPUP_W" "$POPUP_H"; }
# click_popup X Y: a click at (X, Y) inside the pop-up.
click_popup() {
  local px py
  read -r px py < <(window_sized "$POPUP_W" "$POPUP_H") || return 1
  xdotool mousemove "$(( px + $1 ))" "$(( py + $2 ))" sleep 0.3 click 1
}

# tree_keys CITY_ID [AREA_LIST]: the keys that walk the settings dialog's collapsed area tree from its
# first node to that city (Home, Down to the area, Right opens it, ...), ending with space, which chooses it.
tree_keys() {
  local xml="${2:-$PROGRAM_DIR/forecastmap/forecastmap.xml}"
  awk -v want="$1" '
    function downs(n,   s, i) { s = ""; for (i = 0; i < n; i++) s = s " Down"; return s }
    /<area[ >]/ { area++; pref = 0 }
    /<pref[ >]/ { pref++; city = 0 }
    /<city[ >]/ {
      city++
      if (match($0, /id="[^"]*"/) && substr($0, RSTART + 4, RLENGTH - 5) == want) {
        print "Home" downs(area - 1) " Right" downs(pref) " Right" downs(city) " space"
        found = 1; exit
      }
    }
    END { if (!found) exit 1 }' "$xml"
}

# drag_from X Y DX DY: left-button drag in small steps, as a hand would.
drag_from() {
  local x="$1" y="$2" dx="$3" dy="$4" i
  xdotool mousemove "$x" "$y" sleep 0.2 mousedown 1 sleep 0.2
  for i in 1 2 3 4 5 6 7 8 9 10; do
    xdotool mousemove "$(( x + dx * i / 10 ))" "$(( y + dy * i / 10 ))" sleep 0.05
  done
  xdotool sleep 0.2 mouseup 1
}

# quit_from_widget_menu: right-click the widget's picture and choose the menu's last item, "終了".
quit_from_widget_menu() {
  local px py
  read -r px py < <(picture_point) || return 1
  menu_at "$px" "$py"
  xdotool key Up Return
}

# near VALUE WANTED TOLERANCE: |VALUE - WANTED| <= TOLERANCE (integers).
near() { [ -n "$1" ] && [ $(( $1 > $2 ? $1 - $2 : $2 - $1 )) -le "$3" ]; }

# window_shown TITLE: a visible window with exactly that title exists.
window_shown() { test -n "$(window_named "$1")"; }

# window_above ID / window_not_above ID: whether the window is in the topmost band (_NET_WM_STATE_ABOVE).
window_above() { [ -n "$1" ] && xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q '_NET_WM_STATE_ABOVE'; }
window_not_above() { [ -n "$1" ] && xprop -id "$1" _NET_WM_STATE >/dev/null 2>&1 && ! window_above "$1"; }

widget_hidden() { test -z "$(widget_window)"; }
widget_above() { window_above "$(widget_window)"; }
widget_not_above() { window_not_above "$(widget_window)"; }

# The settings dialog ("設定画面"): shown, gone, and given the keyboard.
settings_dialog() { window_shown '設定画面'; }
settings_dialog_gone() { ! settings_dialog; }
focus_settings_dialog() {
  local id; id="$(window_named '設定画面')"; [ -n "$id" ] || return 1
  focus_window "$id"
}

# focus_window ID: activates the window and waits until it holds the X input focus, where typed keys go;
# the window manager can report it active a moment before it hands the focus over.
has_focus() { test "$(xdotool getwindowfocus 2>/dev/null)" = "$1"; }
focus_window() {
  xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1" 2>/dev/null
  if ! wait_for 10 has_focus "$1"; then
    log "window $1 did not get the input focus (it is on $(xdotool getwindowfocus 2>&1))"
    return 1
  fi
  sleep 0.3
}

# tray_menu: right-click the tray icon, which opens the command menu at the cursor.
tray_menu() {
  local tx ty
  read -r tx ty < <(tray_icon_center) || return 1
  menu_at "$tx" "$ty"
}

# menu_pick N: the N-th enabled item of the open command menu (1 最新予報を取得, 2 詳細, 3 オプション,
# 4 ヘルプ, 5 終了 while every item is enabled).
menu_pick() {
  local keys=() i
  for (( i = 0; i < $1; i++ )); do keys+=(Down); done
  xdotool key "${keys[@]}" Return
}

# forecast_requests: how many forecast documents the service was asked for (needs start_logged_service).
forecast_requests() { grep -c 'rest/v1?city=' "$ACCESS_LOG" 2>/dev/null || true; }
forecast_requested_since() { test "$(forecast_requests)" -gt "$1"; }

# tray_icon_rect -> "X Y W H" of the tray icon's window.
tray_icon_rect() {
  local panel; panel="$(xwininfo -root -tree | awk '/"panel"/{print $1; exit}')"
  [ -n "$panel" ] || return 1
  xwininfo -id "$panel" -children | awk '/^ +0x/{print $1}' | while read -r child; do
    window_geometry "$child" | awk '$3 > 1 && $4 > 1'
  done | first_line
}

# red_pixels PNG X Y W H -> how many strongly red pixels (the failure mark) the rectangle holds.
red_pixels() {
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -fx 'r > 0.7 && g < 0.3 && b < 0.3 ? 1 : 0' \
    -format '%[fx:round(mean * w * h)]' info: 2>/dev/null
}

# tray_red_pixels -> strongly red pixels inside the tray icon as the screen shows it now.
tray_red_pixels() {
  local x y w h
  read -r x y w h < <(tray_icon_rect) || return 1
  import -window root "$WORK/tray-shot.png" 2>/dev/null || return 1
  red_pixels "$WORK/tray-shot.png" "$x" "$y" "$w" "$h"
}
tray_shows_failure() { test "$(tray_red_pixels)" -gt 10; }
tray_shows_normal() { test "$(tray_red_pixels)" -eq 0; }

# free_port: prints a port on which nothing listens now (empty after five tries).
free_port() {
  local candidate
  for _ in 1 2 3 4 5; do
    candidate=$(( 20000 + RANDOM % 40000 ))
    [ -z "$(ss -ltnH "sport = :$candidate" 2>/dev/null)" ] && { echo "$candidate"; return; }
  done
}

# start_tinyproxy [USER PASS]: tinyproxy on a free 127.0.0.1 port, with Basic authentication when a user is
# given; sets PROXY_PORT and PROXY_LOG (one "Request ..." line per request at LogLevel Info).
start_tinyproxy() {
  local conf="$WORK/tinyproxy.conf" attempt port
  PROXY_LOG="$WORK/tinyproxy.log"
  for attempt in 1 2 3 4 5; do
    port=$(( 20000 + RANDOM % 40000 ))
    [ -z "$(ss -ltnH "sport = :$port" 2>/dev/null)" ] || continue
    {
      printf 'Port %s\nListen 127.0.0.1\nTimeout 30\nMaxClients 20\nLogLevel Info\n' "$port"
      printf 'LogFile "%s"\nDisableViaHeader Yes\n' "$PROXY_LOG"
      [ $# -ge 2 ] && printf 'BasicAuth %s %s\n' "$1" "$2"
    } >"$conf"
    tinyproxy -d -c "$conf" >"$WORK/tinyproxy.out" 2>&1 &
    PROXY_PID=$!
    PIDS+=("$PROXY_PID")
    if wait_for 5 bash -c "exec 3<>/dev/tcp/127.0.0.1/$port"; then
      PROXY_PORT=$port
      log "tinyproxy at 127.0.0.1:$PROXY_PORT"
      return 0
    fi
    kill "$PROXY_PID" 2>/dev/null
  done
  cat "$WORK/tinyproxy.out" >&2
  fail "tinyproxy did not start"
  finish
}

# proxy_requests PATTERN: how many requests tinyproxy logged whose line matches the extended regex.
proxy_requests() { grep -E 'Request \(file descriptor' "$PROXY_LOG" 2>/dev/null | grep -cE "$1" || true; }

# --- StatusNotifierItem hosts (tests/support/sni-session.sh provides the D-Bus session and the panel) ---

# sni_item_service: the bus name of the program's registered StatusNotifierItem (empty when none).
sni_item_service() {
  local entry service
  for entry in $(busctl --user get-property org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
                   org.kde.StatusNotifierWatcher RegisteredStatusNotifierItems 2>/dev/null | grep -o '"[^"]*"' | tr -d '"'); do
    service="${entry%%/*}"
    service="${service%@}" # GNOME's watcher lists "NAME@/PATH"
    [ "$(busctl --user status "$service" 2>/dev/null | awk -F= '/^PID=/{print $2}')" = "$PROGRAM_PID" ] && { echo "$service"; return 0; }
  done
  return 1
}
sni_item_registered() { test -n "$(sni_item_service)"; }

# sni_menu_items: the exported menu as the host reads it, one line per item: "LABEL enabled|disabled", "-" for a
# separator.
sni_menu_items() {
  local service path
  service="$(sni_item_service)" || return 1
  path="$(busctl --user get-property "$service" /StatusNotifierItem org.kde.StatusNotifierItem Menu | awk '{print $2}' | tr -d '"')"
  [ "$path" != /NO_DBUSMENU ] || return 1
  busctl --user --json=short call "$service" "$path" com.canonical.dbusmenu GetLayout iias 0 -- -1 0 | python3 -c '
import json, sys
layout = json.load(sys.stdin)["data"][1]
for child in layout[2]:
    props = child["data"][1]
    if props.get("type", {}).get("data") == "separator":
        print("-")
    else:
        print(props["label"]["data"], "enabled" if props.get("enabled", {"data": True})["data"] else "disabled")
'
}
sni_menu_all() { # sni_menu_all enabled|disabled: every item of the exported menu is in that state
  local items; items="$(sni_menu_items)" || return 1
  [ -n "$items" ] && ! printf '%s\n' "$items" | grep -v '^-$' | grep -qv " $1\$"
}

# panel_icon_center -> "X Y": the centre of the icons drawn on the panel strip at the top of the screen (the
# panel holds only the notification area; icons are not X windows of their own).
panel_icon_center() {
  import -window root -crop "${SCREEN_W:-1280}x24+0+0" "$WORK/panel-strip.png" 2>/dev/null || return 1
  convert "$WORK/panel-strip.png" txt:- | awk '
    NR == 2 { bg = $3 }
    NR > 1 && $3 != bg { split($1, p, /[,:]/); if (p[1] > x1) x1 = p[1]; if (x0 == "" || p[1] < x0) x0 = p[1]
                         if (p[2] > y1) y1 = p[2]; if (y0 == "" || p[2] < y0) y0 = p[2] }
    END { if (x0 == "" || x1 - x0 > 40) exit 1; print int((x0 + x1) / 2), int((y0 + y1) / 2) }'
}

# host_menu_window: a viewable window that is not the program's, just below the panel (the host's menu).
host_menu_window() {
  xwininfo -root -children | awk '/^ +0x/ && !/"Skycaster"|"Cloud Pane"|"CloudPane"/ {print $1}' | while read -r id; do
    xwininfo -id "$id" 2>/dev/null | awk '/Absolute upper-left Y/{y=$4} /Height:/{h=$2} /Map State: IsViewable/{v=1}
      END {exit !(v && y >= 24 && y <= 40 && h > 40)}' && { echo "$id"; break; }
  done | grep -q .
}
host_menu_gone() { ! host_menu_window; }

# host_menu: right-click the program's icon on the panel; the panel opens the menu the program exported.
host_menu() {
  local ix iy
  read -r ix iy < <(panel_icon_center) || return 1
  xdotool mousemove "$ix" "$iy" sleep 0.2 click 3
  wait_for 10 host_menu_window
}

# start_gate UPSTREAM: tests/support/gate-proxy.py in front of the service; shut_gate makes it hold every
# request unanswered, open_gate lets them through. Sets GATE_URL and GATE_LOG.
start_gate() {
  GATE_FLAG="$WORK/gate-shut" GATE_LOG="$WORK/gate.log"
  : >"$GATE_LOG"
  python3 "$SOURCE_DIR/tests/support/gate-proxy.py" "$1" "$GATE_FLAG" "$GATE_LOG" >"$WORK/gate.out" 2>&1 &
  PIDS+=($!)
  wait_for 10 grep -q 'listening on' "$WORK/gate.out" || { cat "$WORK/gate.out" >&2; fail "gate did not start"; finish; }
  GATE_URL="$(grep -o 'http://[0-9.]*:[0-9]*' "$WORK/gate.out" | head -n1)"
}
shut_gate() { : >"$GATE_FLAG"; }
open_gate() { rm -f "$GATE_FLAG"; }
gate_held() { grep -c '^held ' "$GATE_LOG" 2>/dev/null || true; }
gate_held_at_least() { test "$(gate_held)" -ge "$1"; }

# program_menu_shown: one of the program's own menus is on the screen (untitled windows carry the program's name;
# the 300 x 180 one is the pop-up).
program_menu_shown() {
  xwininfo -root -children | awk '/^ +0x[0-9a-f]+ "Skycaster":/ && !/ 300x180\+/ {print $1}' | while read -r id; do
    xwininfo -id "$id" | grep -q IsViewable && echo "$id"
  done | grep -q .
}
no_program_menu() { ! program_menu_shown; }
# tray_menu_shown: a right click on the XEmbed icon has opened the command menu (retried while the tray settles).
tray_menu_shown() { program_menu_shown || { tray_menu && wait_for 2 program_menu_shown; }; }
