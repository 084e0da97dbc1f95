#!/usr/bin/env bash
# A settings file full of broken values (text in numbers, numbers out of range, unknown flag words,
# binary junk, an over-long value, CRLF and LF mixed, no newline at the end): the program starts, falls
# back to the defaults, retrieves and shows the widget; the lines it does not own survive byte for byte.
#   tests/support/xvfb-run.sh tests/e2e/broken-settings.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

make_program_dir
start_service

long_value="$(head -c 300 /dev/zero | tr '\0' 'x')"
{
  printf '[General]\r\n'
  printf 'CityID=130010\n'
  printf 'WeatherServiceURL=%s/forecast/webservice/rest/v1\r\n' "$SERVICE_URL"
  printf 'ForecastmapURL=%s/forecast/rss/forecastmap.xml\n' "$SERVICE_URL"
  printf 'GetSpan=70000\r\n'
  printf 'ShowDeskTop=maybe\n'
  printf 'ShowTopMost=perhaps\r\n'
  printf 'LastAccessDate=garbage\r\n'
  printf 'LastPublicTime=\r\n'
  printf 'Note=%s\r\n' "$long_value"
  printf '\x01\x02\xff\xfe\x80junk\x7f\x1b[0m\r\n'
  printf '\x00\x00 zero bytes \x00\n'
  printf '; a comment the user wrote\r\n'
  printf '\x83\x81\x83\x82=\x93\x8c\x8b\x9e\r\n' # メモ=東京 in CP932
  printf '[Communication]\r\n'
  printf 'Method=9\n'
  printf 'ProxyServer=\r\n'
  printf 'ProxyPort=-5\r\n'
  printf 'ProxyAuthentication=yes please\n'
  printf 'ProxyPassword=!!not*base64\r\n'
  printf '[Position]\n'
  printf 'PosX=abc\r\n'
  printf 'PosY=99999999999999999999\n'
  printf '[Somebody Else]\r\n'
  printf 'Keep=this line, no newline at the end'
} >"$INI"
cp "$INI" "$WORK/ini-before"

start_program
check "widget appears" wait_for 30 widget_window
check "forecast retrieved" wait_for 30 ini_has LastPublicTime
check "retrieved the configured city" wait_for 10 ini_is LastAccessCityID 130010
check "picture is the forecast icon" wait_for 5 picture_is_forecast
check "LastAccessDate rewritten in yyyy/mm/dd hh:nn:ss" \
  grep -aqE '^LastAccessDate=[0-9]{4}/[0-9]{2}/[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}' "$INI"
sleep 1
screenshot widget

read -r sw sh < <(xdpyinfo | awk '/dimensions:/{split($2, d, "x"); print d[1], d[2]}')
widget_on_screen() {
  local wx wy ww wh
  read -r wx wy ww wh < <(widget_geometry) || return 1
  test "$wx" -ge 0 -a "$wy" -ge 0 -a $(( wx + ww )) -le "$sw" -a $(( wy + wh )) -le "$sh"
}
check "broken position: widget wholly on the screen" wait_for 5 widget_on_screen
check "unknown ShowTopMost word: default (in front)" wait_for 5 widget_above
check "tray icon docked" wait_for 10 tray_icon_center
check "program still runs" program_running

check "quit from the menu" quit_from_widget_menu
check "program ends" wait_for 15 process_gone "$PROGRAM_PID"
process_gone "$PROGRAM_PID" && { wait "$PROGRAM_PID"; check "program ended normally" test $? -eq 0; }
check "PosX stored as a number" grep -aqE '^PosX=-?[0-9]+'$'\r''?$' "$INI"
check "PosY stored as a number" grep -aqE '^PosY=-?[0-9]+'$'\r''?$' "$INI"

# Every line the program did not assign is still there, byte for byte.
for key in Note= $'\x01\x02' $'\x83\x81\x83\x82=' '; a comment' GetSpan= ShowDeskTop= ShowTopMost= \
  Method= ProxyPort= ProxyAuthentication= ProxyPassword= 'Keep='; do
  before="$(grep -a -F -- "$key" "$WORK/ini-before" | od -An -tx1)"
  after="$(grep -a -F -- "$key" "$INI" | od -An -tx1)"
  check "line kept: $(printf '%q' "$key")" test -n "$before" -a "$before" = "$after"
done
check "zero-byte line kept" test "$(tr -d -c '\000' <"$INI" | wc -c)" -eq 3
check "sections kept" test "$(grep -ac '^\[' "$INI")" -eq 4
finish
