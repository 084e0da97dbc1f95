#!/usr/bin/env bash
# Where no service manager runs the forecast service (no systemd user session), the installed program starts
# the service it ships with when its WeatherServiceURL is the default local one and nothing answers at
# 127.0.0.1:8931, and stops it when it quits; with a service URL of the user's own it never starts one; a
# service already answering at 8931 is used, not replaced. Runs in a private network namespace: 8931 is ours
# alone and nothing beyond this machine can be reached (the started service runs on live data and gets none).
#   tests/support/xvfb-run.sh tests/e2e/bundled-service.sh BUILD/bin
if [ -z "${SKYCASTER_IN_NETNS:-}" ]; then
  if ! unshare --user --map-root-user --net true 2>/dev/null; then
    echo "[bundled-service] SKIP: no private network namespace here (unshare --net)"
    exit 77
  fi
  export SKYCASTER_IN_NETNS=1
  exec unshare --user --map-root-user --net "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"
ip link set lo up || { fail "loopback in the namespace"; finish; }

P="$WORK/prefix"
cmake --install "$BIN/.." --prefix "$P" >"$WORK/install.log" 2>&1 || { cat "$WORK/install.log" >&2; fail "install"; finish; }
BIN="$P/bin"
program="$(dirname "$(readlink -f "$P/bin/skycaster")")"
INI="$program/skycaster.ini"
service="$P/bin/skycaster-forecastd"

default_listener_pid() { ss -ltnpH 'sport = :8931' 2>/dev/null | grep -o 'pid=[0-9]*' | head -n1 | cut -d= -f2; }
default_listening() { test -n "$(ss -ltnH 'sport = :8931' 2>/dev/null)"; }
default_closed() { ! default_listening; }
bundled_running() { pgrep -x -f "$service --bind 127.0.0.1 --port 8931" >/dev/null; }
bundled_gone() { ! bundled_running; }
run_program() {
  "$P/bin/skycaster" >"$WORK/program.log" 2>&1 &
  PROGRAM_PID=$!
  PIDS+=("$PROGRAM_PID")
}
quit_program() {
  tray_menu && xdotool key Up Return # "終了", the menu's last item
  wait_for 20 process_gone "$PROGRAM_PID"
}
answers_http() {
  test "$(curl -s -o /dev/null --max-time 5 -w '%{http_code}' http://127.0.0.1:8931/forecast/rss/forecastmap.xml)" != 000
}

check "nothing listens at 127.0.0.1:8931 to begin with" default_closed

# 1. The default service URL (the shipped settings) and nothing there: the program starts the bundled service.
printf '[General]\r\nCityID=130010\r\n' >"$INI"
run_program
check "a service listens at 127.0.0.1:8931" wait_for 20 default_listening
pid="$(default_listener_pid)"
check "it is the installed service" test "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$service"
check "started by the program" test "$(ps -o ppid= -p "$pid" | tr -d ' ')" = "$PROGRAM_PID"
check "the program says so" wait_for 5 grep -q "started the forecast service $service" "$WORK/program.log"
check "it answers HTTP" answers_http
check "the program asked it for the forecast (no data: failure shown)" wait_for 30 tray_shows_failure
screenshot started
check "quit from the tray menu" quit_program
check "the service stopped with the program" wait_for 10 process_gone "$pid"
check "8931 closed again" wait_for 5 default_closed

# 2. The user's own service URL: no service is started for them, even with nothing at 8931.
printf '[General]\r\nCityID=130010\r\nWeatherServiceURL=http://127.0.0.1:8932/forecast/webservice/rest/v1\r\n' >"$INI"
run_program
check "own URL: the retrieval fails (nothing there)" wait_for 30 tray_shows_failure
check "own URL: no service started" bundled_gone
check "own URL: 8931 stays closed" default_closed
check "own URL: quit" quit_program

# 3. Something already answers at 8931 (systemd's socket, another program): used, neither replaced nor stopped.
SERVICE_PORT=8931
start_service "$P/share/skycaster/forecastd-demo-data"
printf '[General]\r\nCityID=130010\r\n' >"$INI"
run_program
check "answering service: the forecast arrives from it" wait_for 30 ini_has LastPublicTime
check "answering service: no second service started" bundled_gone
check "answering service: quit" quit_program
check "answering service: still running after the program quit" kill -0 "$SERVICE_PID"
finish
