#!/usr/bin/env bash
# Idle cost and start-up time of the program next to a bare Qt tray program and meteo-qt, all on one
# virtual display with a tray host, measured in the same run.
#   scripts/bench-idle.sh [--build DIR] [--seconds S] [--no-build]
# Prints a table: CPU % over S seconds (default 60), wake-ups per second of all threads, threads, RSS,
# and the program's start-to-widget time (median of 5 starts). Goals: at most 1.2 wake-ups/s, CPU at
# most a tenth of meteo-qt's, RSS at most 1.3 times the bare program's.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/quality"
seconds=60
do_build=1
inner=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --no-build) do_build=0; shift ;;
    --inner) inner=1; shift ;;
    *) echo "bench-idle.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
measure="$root/../shared/tools/measure-idle"

if [ "$inner" = 0 ]; then
  if ! command -v meteo-qt >/dev/null; then
    sudo=""; [ "$(id -u)" = 0 ] || sudo=sudo
    $sudo apt-get install -y --no-install-recommends meteo-qt >/dev/null 2>&1 ||
      echo "bench-idle.sh: meteo-qt could not be installed; it is left out" >&2
  fi
  if [ "$do_build" = 1 ]; then
    # Measured without sanitizers: their allocator would dominate memory and time.
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKYCASTER_SANITIZE=OFF >/dev/null
    cmake --build "$build" -j 2 --target skycaster skycaster-forecastd bare-tray
  fi
  exec "$root/tests/support/xvfb-run.sh" "$0" --inner --build "$build" --seconds "$seconds"
fi

# Inside the virtual display from here on.
bin="$build/bin"
work="$(mktemp -d /tmp/skycaster-idle.XXXXXX)"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" HOME="$work/home"
export LANG=C.UTF-8 TZ=Asia/Tokyo
unset http_proxy https_proxy HTTP_PROXY HTTPS_PROXY no_proxy NO_PROXY all_proxy ALL_PROXY
mkdir -p "$TMPDIR" "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"

wait_for() { # wait_for SECONDS COMMAND...
  local limit=$(($1 * 20)); shift
  for _ in $(seq 1 "$limit"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.05; done
  return 1
}

# The forecast service, offline, on a free port.
"$bin/skycaster-forecastd" --offline "$root/service/demo-data" --port 0 >"$work/service.log" 2>&1 &
pids+=($!)
wait_for 10 grep -q 'listening on' "$work/service.log" || { cat "$work/service.log" >&2; exit 1; }
url="$(grep -o 'http://[0-9.]*:[0-9]*' "$work/service.log" | head -n1)"

# The program folder as installed, with a settings file naming Tokyo.
prog="$work/program"
mkdir -p "$prog"
cp "$bin/skycaster" "$bin"/libro*.so* "$prog/"
for d in Res Styles forecastmap; do [ -d "$bin/$d" ] && cp -r "$bin/$d" "$prog/"; done
write_ini() {
  printf '[General]\r\nCityID=130010\r\nWeatherServiceURL=%s/forecast/webservice/rest/v1\r\n' "$url"
  printf 'ForecastmapURL=%s/forecast/rss/forecastmap.xml\r\n' "$url"
}
write_ini >"$prog/skycaster.ini"
widget() { xdotool search --onlyvisible --name '^Cloud Pane$' 2>/dev/null | grep -q .; }

# Start-to-widget: from exec to the widget window on the screen, five starts.
times=()
for _ in 1 2 3 4 5; do
  write_ini >"$prog/skycaster.ini"
  t0=$(date +%s%N)
  "$prog/skycaster" >/dev/null 2>&1 &
  pid=$!
  ok=1
  until widget; do
    kill -0 "$pid" 2>/dev/null || { ok=0; break; }
    [ $(( ($(date +%s%N) - t0) / 1000000 )) -lt 30000 ] || { ok=0; break; }
    sleep 0.005
  done
  t1=$(date +%s%N)
  [ "$ok" = 1 ] && times+=($(( (t1 - t0) / 1000000 ))) || echo "bench-idle.sh: no widget within 30 s" >&2
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
done
median="-"
if [ ${#times[@]} -gt 0 ]; then
  median=$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END{print a[int((NR+1)/2)]}')
fi

# The three programs side by side. The program is measured after its first retrieval.
write_ini >"$prog/skycaster.ini"
"$prog/skycaster" >"$work/skycaster.log" 2>&1 &
sky=$!; pids+=($sky)
"$bin/bare-tray" >/dev/null 2>&1 &
bare=$!; pids+=($bare)
meteo=""
if command -v meteo-qt >/dev/null; then
  meteo-qt >"$work/meteo-qt.log" 2>&1 &
  meteo=$!; pids+=($meteo)
fi
wait_for 30 widget || echo "bench-idle.sh: the widget did not appear" >&2
wait_for 30 grep -q '^LastPublicTime=.' "$prog/skycaster.ini" || echo "bench-idle.sh: no retrieval" >&2
sleep 3

"$measure" -s "$seconds" -p "$sky" >"$work/m-sky" 2>&1 &
m1=$!
"$measure" -s "$seconds" -p "$bare" >"$work/m-bare" 2>&1 &
m2=$!
m3=""
if [ -n "$meteo" ]; then
  "$measure" -s "$seconds" -p "$meteo" >"$work/m-meteo" 2>&1 &
  m3=$!
fi
wait $m1 $m2 ${m3:+$m3} 2>/dev/null || true

field() { sed -n "s/.*$2=\([^ ]*\).*/\1/p" "$1" | head -n1; }
row() { # row NAME FILE
  if grep -q 'cpu_pct=' "$2" 2>/dev/null; then
    printf '%-10s %8s %10s %8s %8s\n' "$1" "$(field "$2" cpu_pct)" "$(field "$2" wakeups_per_s)" \
      "$(field "$2" threads)" "$(field "$2" rss_kb)"
  else
    printf '%-10s %s\n' "$1" "not measured: $(head -c 200 "$2" 2>/dev/null)"
  fi
}
echo "idle over ${seconds} s (same display, same run)"
printf '%-10s %8s %10s %8s %8s\n' program cpu_pct wakeups/s threads rss_kb
row skycaster "$work/m-sky"
row bare-tray "$work/m-bare"
[ -n "$meteo" ] && row meteo-qt "$work/m-meteo"
echo "skycaster start-to-widget: median ${median} ms of (${times[*]:-none}) ms"
if [ -n "$meteo" ]; then
  echo "meteo-qt output (first lines):"
  head -n 5 "$work/meteo-qt.log" | sed 's/^/  /'
  xdotool search --onlyvisible --name 'meteo' getwindowname %@ 2>/dev/null | sed 's/^/  window: /' || true
fi

# Goals.
sky_w=$(field "$work/m-sky" wakeups_per_s); sky_c=$(field "$work/m-sky" cpu_pct)
sky_r=$(field "$work/m-sky" rss_kb); bare_r=$(field "$work/m-bare" rss_kb)
meteo_c=""; [ -n "$meteo" ] && meteo_c=$(field "$work/m-meteo" cpu_pct)
awk -v w="${sky_w:-99}" -v c="${sky_c:-99}" -v r="${sky_r:-0}" -v br="${bare_r:-1}" -v mc="${meteo_c}" 'BEGIN {
  printf "goal wake-ups <= 1.2/s: %s (%.2f)\n", (w <= 1.2 ? "met" : "MISSED"), w
  printf "goal RSS <= 1.3 x bare: %s (%.2f x)\n", (r <= 1.3 * br ? "met" : "MISSED"), r / br
  if (mc == "") print "goal CPU <= meteo-qt / 10: not measured"
  else printf "goal CPU <= meteo-qt / 10: %s (%.3f %% vs %.3f %%)\n", (c <= mc / 10 ? "met" : "MISSED"), c, mc
}'
