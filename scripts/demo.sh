#!/usr/bin/env bash
# Runs a built Skycaster against the forecast service (Tokyo, city 130010).
#   scripts/demo.sh BUILD
# With a display: the service starts on 127.0.0.1:8931 (another free port when that one is taken) on live
# JMA data when JMA answers within a few seconds, on the bundled demo data otherwise (it says which), and
# the program runs in the foreground from BUILD/demo-program until it is quit from its menu; then the
# service is stopped. The settings there are kept between runs. SKYCASTER_UPSTREAM names another source of
# JMA-format data (default https://www.jma.go.jp/bosai).
# Without a display: everything runs on a private Xvfb display with a tray host; once the first
# forecast is in, the widget and the details pop-up are photographed into BUILD/demo-screenshots.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(cd "${1:?usage: scripts/demo.sh BUILD}" && pwd)"
bin="$build/bin"
[ -x "$bin/skycaster" ] && [ -x "$bin/skycaster-forecastd" ] || { echo "demo: build $build first" >&2; exit 2; }
data="$bin/forecastd-demo-data"
[ -d "$data" ] || data="$root/service/demo-data"

# --- Without a display: a scripted run on Xvfb ---------------------------------------------------
if [ "${2:-}" = "--on-virtual-display" ]; then
  export SKYCASTER_ARTIFACTS="$build/demo-screenshots"
  set +eu
  # The whole-program test steps: program folder, service, settings, widget and menu helpers.
  source "$root/tests/e2e/lib.sh" "$bin"
  die() { fail "$*"; [ -f "$WORK/program.log" ] && tail -n 20 "$WORK/program.log" >&2; finish; }

  make_program_dir
  start_service "$data"
  write_ini 130010 '[Position]' 'PosX=640' 'PosY=400'
  start_program
  wait_for 30 widget_window || die "the widget did not appear"
  wait_for 60 ini_has LastPublicTime || die "no forecast arrived"
  log "forecast for $(ini_get LastAccessCityID), published $(ini_get LastPublicTime)"
  sleep 1
  screenshot widget
  read -r wx wy ww wh < <(widget_geometry)
  import -window root -crop "$((ww + 80))x$((wh + 80))+$((wx - 40))+$((wy - 40))" +repage \
    "$ARTIFACTS/demo-widget-closeup.png" 2>/dev/null && log "screenshot $ARTIFACTS/demo-widget-closeup.png"

  # "詳細" is the second item of the widget's menu.
  read -r px py < <(picture_point) || die "no point on the widget's picture"
  menu_at "$px" "$py"
  screenshot menu
  xdotool key Down Down Return
  popup=""
  for _ in $(seq 1 50); do
    for id in $(xdotool search --onlyvisible --pid "$PROGRAM_PID" 2>/dev/null); do
      xwininfo -id "$id" 2>/dev/null | grep -q 'Width: 300' && popup="$id"
    done
    [ -n "$popup" ] && break
    sleep 0.2
  done
  [ -n "$popup" ] || die "the details pop-up did not open"
  sleep 1 # fully faded in
  screenshot details
  read -r dx dy < <(xwininfo -id "$popup" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
  import -window root -crop "300x180+$dx+$dy" +repage "$ARTIFACTS/demo-details-closeup.png" 2>/dev/null &&
    log "screenshot $ARTIFACTS/demo-details-closeup.png"

  read -r px py < <(picture_point)
  menu_at "$px" "$py"
  xdotool key Up Return # "終了"
  wait_for 15 process_gone "$PROGRAM_PID" || die "the program did not quit"
  stop_service
  echo
  echo "Screenshots:"
  for f in widget widget-closeup menu details details-closeup; do
    [ -f "$ARTIFACTS/demo-$f.png" ] && echo "  $ARTIFACTS/demo-$f.png"
  done
  finish
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "demo: no display; running on a virtual one (Xvfb) and saving screenshots"
  exec "$root/tests/support/xvfb-run.sh" "$0" "$build" --on-virtual-display
fi

# --- With a display: the program in the foreground -----------------------------------------------
program="$build/demo-program"
mkdir -p "$program"
cp -f "$bin/skycaster" "$bin"/libro*.so* "$program/"
for d in Res Styles forecastmap help; do [ -d "$bin/$d" ] && cp -rf "$bin/$d" "$program/"; done
[ -f "$bin/Skycaster.html" ] && cp -f "$bin/Skycaster.html" "$program/"

log="$build/demo-forecastd.log"
upstream="${SKYCASTER_UPSTREAM:-https://www.jma.go.jp/bosai}"
# A quick look upstream: the list of forecast areas is small and always there.
jma_reachable() {
  [ "$(curl -s -o /dev/null --max-time 4 -w '%{http_code}' "$upstream/common/const/area.json" 2>/dev/null)" = 200 ]
}
if jma_reachable; then
  service_args=(--upstream "$upstream")
  source_text="live data from $upstream"
else
  service_args=(--offline "$data")
  source_text="demo data ($upstream cannot be reached), $data"
fi
service_pid=""
stop_service() { [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null && wait "$service_pid" 2>/dev/null; true; }
trap stop_service EXIT INT TERM
start_service() { # start_service PORT -> sets url, or fails when the service does not listen
  "$bin/skycaster-forecastd" "${service_args[@]}" --port "$1" >"$log" 2>&1 &
  service_pid=$!
  for _ in $(seq 1 50); do
    url="$(grep -o 'http://[0-9.]*:[0-9]*' "$log" | head -n1)"
    [ -n "$url" ] && return 0
    kill -0 "$service_pid" 2>/dev/null || break
    sleep 0.2
  done
  stop_service
  service_pid=""
  return 1
}
start_service 8931 || start_service 0 || { cat "$log" >&2; echo "demo: the service did not start" >&2; exit 1; }
echo "demo: forecast service at $url on $source_text; log $log"

# The settings: the city is chosen so the forecast shows at once; the service URLs follow the port.
ini="$program/skycaster.ini"
if [ ! -f "$ini" ]; then
  printf '[General]\r\nCityID=130010\r\nWeatherServiceURL=\r\nForecastmapURL=\r\n' >"$ini"
fi
sed -i -e "s#^WeatherServiceURL=.*#WeatherServiceURL=$url/forecast/webservice/rest/v1\r#" \
  -e "s#^ForecastmapURL=.*#ForecastmapURL=$url/forecast/rss/forecastmap.xml\r#" "$ini"
grep -aq '^CityID=.' "$ini" || sed -i -e 's#^CityID=.*#CityID=130010\r#' "$ini"

echo "demo: starting $program/skycaster (settings $ini); quit with 終了 in its menu (right click)"
"$program/skycaster"
echo "demo: program ended; stopping the service"
