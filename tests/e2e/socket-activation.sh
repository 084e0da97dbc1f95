#!/usr/bin/env bash
# The forecast service as systemd runs it: the installed socket and service units pass
# `systemd-analyze verify`, the socket is enabled for every user through sockets.target.wants, and the
# service serves on a listening socket passed in the way systemd passes it (systemd-socket-activate), not on
# one of its own; after its idle time it ends by itself. No display needed.
#   tests/e2e/socket-activation.sh BUILD/bin
source "$(dirname "$0")/lib.sh"

P="$WORK/prefix"
cmake --install "$BIN/.." --prefix "$P" >"$WORK/install.log" 2>&1 || { cat "$WORK/install.log" >&2; fail "install"; finish; }
units="$P/lib/systemd/user"
socket_unit="$units/skycaster-forecastd.socket"
service_unit="$units/skycaster-forecastd.service"

check "socket unit listens on 127.0.0.1:8931" grep -qx 'ListenStream=127.0.0.1:8931' "$socket_unit"
check "socket unit enabled for every user" test "$(readlink "$units/sockets.target.wants/skycaster-forecastd.socket")" = ../skycaster-forecastd.socket
check "service unit starts the installed service" grep -q "^ExecStart=$P/bin/skycaster-forecastd " "$service_unit"
check "service unit ends the service when idle" grep -q '^ExecStart=.* --exit-idle [0-9]' "$service_unit"
verify() {
  # Without a running systemd, verify still loads and checks the units; an empty output is a clean bill.
  systemd-analyze --user verify "$socket_unit" "$service_unit" >"$WORK/verify.log" 2>&1
  local rc=$?
  sed 's/^/  verify: /' "$WORK/verify.log"
  # Complaints about our units name them; lines about the host's own units are not ours to judge.
  [ "$rc" -eq 0 ] && ! grep -i 'skycaster-forecastd' "$WORK/verify.log" | grep -qiE 'warn|error|fail|unknown|invalid|not '
}
check "systemd-analyze verify accepts both units" verify

# The activator listens on a free port and hands that socket over; the service is told another port (0:
# any), so an answer on the activator's port can only come through the passed socket.
port="$(free_port)"
[ -n "$port" ] || { fail "no free port"; finish; }
data="$P/share/skycaster/forecastd-demo-data"
systemd-socket-activate -l "127.0.0.1:$port" \
  "$P/bin/skycaster-forecastd" --offline "$data" --port 0 --exit-idle 3 >"$WORK/activated.log" 2>&1 &
ACTIVATOR_PID=$!
PIDS+=("$ACTIVATOR_PID")
listening() { test -n "$(ss -ltnH "sport = :$port" 2>/dev/null)"; }
check "the socket listens" wait_for 10 listening
service_pid() { pgrep -f "^$P/bin/skycaster-forecastd " | head -n1; }
check "no service runs before the first request" test -z "$(service_pid)"

area_list() { curl -sf --max-time 5 -o "$WORK/area.xml" "http://127.0.0.1:$port/forecast/rss/forecastmap.xml"; }
check "the first request is answered by the activated service" wait_for 10 area_list
check "it serves the area list" grep -q 'ldWeather:source' "$WORK/area.xml"
check "the service says it took the passed socket" grep -q 'listening on .*(passed-in socket)' "$WORK/activated.log"
pid="$(service_pid)"
check "the service runs from the installation" test "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$P/bin/skycaster-forecastd"
forecast() {
  curl -sf --max-time 5 "http://127.0.0.1:$port/forecast/webservice/rest/v1?city=130010&day=today" | grep -q '<lwws'
}
check "a forecast follows on the same socket" forecast

# Idle for three seconds: it ends by itself, cleanly (systemd keeps the socket and starts it again).
check "the idle service ends by itself" wait_for 30 process_gone "$ACTIVATOR_PID"
wait "$ACTIVATOR_PID" 2>/dev/null
status=$?
check "it ended cleanly (exit status $status)" test "$status" -eq 0
check "it said why" grep -q 'idle' "$WORK/activated.log"
sed 's/^/  service: /' "$WORK/activated.log"
finish
