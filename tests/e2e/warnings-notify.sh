#!/usr/bin/env bash
# Warnings announced on the desktop: a private D-Bus session with a real notification server (dunst), watched
# with dbus-monitor. The forecast document comes from a static HTTP server whose file the scenario rewrites
# (the service's document with its <warnings> element replaced): nothing in force -> 大雨警報 (one
# notification) -> still 継続 (none) -> 大雨特別警報 (one, critical) -> the program restarted (none).
#   tests/support/xvfb-run.sh tests/e2e/warnings-notify.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

# A session bus that starts no service on demand, so that once dunst is gone there is no notification server.
cat >"$WORK/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir=$WORK</listen>
  <policy context="default"><allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/></policy>
</busconfig>
CONF
bus_info="$(dbus-daemon --config-file="$WORK/bus.conf" --fork --print-address=1 --print-pid=1)" ||
  { fail "no D-Bus session"; finish; }
export DBUS_SESSION_BUS_ADDRESS="$(printf '%s\n' "$bus_info" | sed -n 1p)"
PIDS+=("$(printf '%s\n' "$bus_info" | sed -n 2p)")

MONITOR_LOG="$WORK/monitor.log"
dbus-monitor --session "type='method_call',interface='org.freedesktop.Notifications',member='Notify'" \
  >"$MONITOR_LOG" 2>&1 &
PIDS+=($!)
dunst >"$WORK/dunst.log" 2>&1 &
DUNST_PID=$!
PIDS+=("$DUNST_PID")
notifications_server() { busctl --user status org.freedesktop.Notifications >/dev/null 2>&1; }
check "dunst owns org.freedesktop.Notifications" wait_for 10 notifications_server

# notify_calls: how many Notify calls the monitor saw; the Nth call's summary and urgency.
notify_calls() { grep -c 'member=Notify' "$MONITOR_LOG" 2>/dev/null || true; }
notify_calls_are() { test "$(notify_calls)" = "$1"; }
# notify_call N -> the Nth call's arguments up to the time-out argument (the image bytes left out).
notify_call() {
  awk -v n="$1" '/member=Notify/ {k++} k == n && !/^ +[0-9a-f][0-9a-f]( [0-9a-f][0-9a-f])* *$/ && !/array of bytes/' "$MONITOR_LOG"
}
call_says() { notify_call "$1" | grep -qF -- "$2"; }
call_urgency() { notify_call "$1" | grep -A1 '"urgency"' | grep -o 'byte [0-9]' | cut -d' ' -f2; }
call_urgency_is() { test "$(call_urgency "$1")" = "$2"; }

# announced_is TEXT: the remembered announcement in the settings file (CP932 there), as UTF-8.
announced_is() {
  test "$(iconv -f CP932 -t UTF-8 "$INI" 2>/dev/null | grep -a -m1 '^AnnouncedWarnings=' | cut -d= -f2- | tr -d '\r')" = "$1"
}

# The static server: DOCS/forecast.xml, whatever query the program adds.
make_program_dir
start_service
DOCS="$WORK/docs"
mkdir -p "$DOCS"
curl -fsS "$SERVICE_URL/forecast/webservice/rest/v1?city=130010&day=today" -o "$WORK/base.xml" ||
  { fail "no document from the service"; finish; }
STATIC_LOG="$WORK/static.log"
python3 -u -m http.server --bind 127.0.0.1 --directory "$DOCS" 0 >"$STATIC_LOG" 2>&1 &
PIDS+=($!)
check "static server up" wait_for 10 grep -q 'Serving HTTP' "$STATIC_LOG"
STATIC_PORT="$(grep -o 'port [0-9]*' "$STATIC_LOG" | head -n1 | cut -d' ' -f2)"

# set_warnings XML: the served document with its warnings element replaced (written whole, then renamed).
set_warnings() {
  WARNINGS="$1" perl -0777 -pe 's{<warnings\b.*?(?:/>|</warnings>)}{$ENV{WARNINGS}}s' "$WORK/base.xml" \
    >"$DOCS/.next.xml" && mv "$DOCS/.next.xml" "$DOCS/forecast.xml"
}
TIME='publictime="Thu, 13 Aug 2026 21:20:00 +0900" area="東京地方"'
documents() { grep -c 'GET /forecast.xml' "$STATIC_LOG" 2>/dev/null || true; }
documents_more_than() { test "$(documents)" -gt "$1"; }

# refresh: 「最新予報を取得」 from the widget's menu, and wait until the document was fetched again.
refresh() {
  local before px py
  before="$(documents)"
  read -r px py < <(picture_point) || return 1
  menu_at "$px" "$py"
  menu_pick 1
  wait_for 20 documents_more_than "$before"
}

set_warnings "<warnings $TIME/>"
{
  printf '[General]\r\nCityID=130010\r\n'
  printf 'WeatherServiceURL=http://127.0.0.1:%s/forecast.xml\r\n' "$STATIC_PORT"
  printf 'ForecastmapURL=%s/forecast/rss/forecastmap.xml\r\n' "$SERVICE_URL"
  printf '[Position]\r\nPosX=500\r\nPosY=360\r\n'
} >"$INI"
start_program
check "widget appears" wait_for 30 widget_window
check "forecast retrieved" wait_for 30 ini_has LastPublicTime
check "nothing in force: no notification" notify_calls_are 0

set_warnings "<warnings $TIME><warning code=\"03\" status=\"発表\" class=\"警報\">大雨警報</warning></warnings>"
check "retrieved with 大雨警報" refresh
check "one notification" wait_for 10 notify_calls_are 1
check "its summary" call_says 1 'string "東京地方に大雨警報"'
check "its body: the class line and the issue time" call_says 1 '【警報】大雨'
check "its urgency is normal" call_urgency_is 1 1
check "it offers 詳細" call_says 1 'string "詳細"'
check "announced state remembered" wait_for 5 announced_is '130010|大雨=2'
# Its action (dunst invokes the default one, a click on it) opens the details pop-up.
dunstctl action 0
check "the notification's action opens the details pop-up" wait_for 10 popup_shown
screenshot details
click_popup 286 12
check "pop-up closes" wait_for 10 popup_gone

set_warnings "<warnings $TIME><warning code=\"03\" status=\"継続\" class=\"警報\">大雨警報</warning></warnings>"
check "retrieved with 大雨警報 継続" refresh
check "retrieved once more" refresh
check "continuing: no new notification" notify_calls_are 1

set_warnings "<warnings $TIME><warning code=\"33\" status=\"発表\" class=\"特別警報\" partial=\"true\">大雨特別警報</warning></warnings>"
check "retrieved with 大雨特別警報" refresh
check "a second notification" wait_for 10 notify_calls_are 2
check "its summary" call_says 2 'string "東京地方に大雨特別警報"'
check "its body marks part of the area" call_says 2 '【特別警報】大雨（一部）'
check "its urgency is critical" call_urgency_is 2 2
screenshot emergency

kill "$PROGRAM_PID"
check "program ended" wait_for 10 process_gone "$PROGRAM_PID"
before="$(documents)"
start_program
check "restarted program retrieves" wait_for 30 documents_more_than "$before"
check "widget appears again" wait_for 30 widget_window
check "retrieved once more after the restart" refresh
check "restart: nothing announced again" notify_calls_are 2

# No notification server any more: a new warning is not shown, and the program goes on as ever.
kill "$DUNST_PID"
check "dunst gone" wait_for 10 process_gone "$DUNST_PID"
check "no notification server" wait_for 10 bash -c '! busctl --user status org.freedesktop.Notifications'
set_warnings "<warnings $TIME><warning code=\"33\" status=\"継続\" class=\"特別警報\">大雨特別警報</warning><warning code=\"04\" status=\"発表\" class=\"警報\">洪水警報</warning></warnings>"
check "retrieved with 洪水警報 and no server" refresh
check "still retrieving" refresh
check "program still running" program_running
check "nothing sent without a server" notify_calls_are 2
notify_call 1 >"$ARTIFACTS/$SCENARIO-notify-1.txt"
notify_call 2 >"$ARTIFACTS/$SCENARIO-notify-2.txt"
finish
