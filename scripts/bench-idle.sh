#!/usr/bin/env bash
# Idle cost and start-up time of the program next to a bare Qt tray program and meteo-qt, all on one
# virtual display with a tray host, measured in the same run.
#   scripts/bench-idle.sh [--build DIR] [--seconds S] [--no-build] [--no-tray]
# Prints a table: CPU % over S seconds (default 60), wake-ups per second of all threads, threads, RSS,
# and the start-to-window time (median of 5 starts) of the program and of the bare tray with a window
# that shows the same Japanese caption. Goals: at most 1.2 wake-ups/s, CPU at most a tenth of meteo-qt's,
# RSS at most 1.1 times the caption tray's, start at most 1.4 times the caption tray's. --no-tray: a
# session without any tray host.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/quality"
seconds=60
do_build=1
inner=0
tray_flag=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --no-build) do_build=0; shift ;;
    --inner) inner=1; shift ;;
    --no-tray) tray_flag=--no-tray; shift ;;
    *) echo "bench-idle.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
# The measuring tool sits beside the repository (../shared), or beside the main clone of a worktree.
measure="$root/../shared/tools/measure-idle"
[ -x "$measure" ] || measure="$(cd "$(git -C "$root" rev-parse --git-common-dir)/../.." && pwd)/shared/tools/measure-idle"

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
  exec "$root/tests/support/xvfb-run.sh" $tray_flag "$0" --inner --build "$build" --seconds "$seconds"
fi

# Inside the virtual display from here on.
bin="$build/bin"
. "$root/scripts/bench-env.sh" idle

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

# Start-to-window: from exec to the window on the screen, five starts each.
start_times() { # start_times WINDOW-NAME COMMAND... -> median in ms, then the single times
  local name=$1; shift
  local times=() t0 t1 pid ok
  for _ in 1 2 3 4 5; do
    write_ini >"$prog/skycaster.ini"
    t0=$(date +%s%N)
    "$@" >/dev/null 2>&1 &
    pid=$!
    ok=1
    until xdotool search --onlyvisible --name "$name" 2>/dev/null | grep -q .; do
      kill -0 "$pid" 2>/dev/null || { ok=0; break; }
      [ $(( ($(date +%s%N) - t0) / 1000000 )) -lt 30000 ] || { ok=0; break; }
      sleep 0.005
    done
    t1=$(date +%s%N)
    [ "$ok" = 1 ] && times+=($(( (t1 - t0) / 1000000 ))) || echo "bench-idle.sh: no $name window within 30 s" >&2
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  [ ${#times[@]} -gt 0 ] || { echo "-"; return; }
  echo "$(printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END{print a[int((NR+1)/2)]}') ${times[*]}"
}
sky_start=$(start_times '^Cloud Pane$' "$prog/skycaster")
bare_start=$(start_times '^Bare Caption$' "$bin/bare-tray" --caption)
median=${sky_start%% *}
bare_median=${bare_start%% *}

# The three programs side by side. The program is measured after its first retrieval.
write_ini >"$prog/skycaster.ini"
"$prog/skycaster" >"$work/skycaster.log" 2>&1 &
sky=$!; pids+=($sky)
"$bin/bare-tray" >/dev/null 2>&1 &
bare=$!; pids+=($bare)
"$bin/bare-tray" --caption >/dev/null 2>&1 &
caption=$!; pids+=($caption)
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
"$measure" -s "$seconds" -p "$caption" >"$work/m-caption" 2>&1 &
m4=$!
m3=""
if [ -n "$meteo" ]; then
  "$measure" -s "$seconds" -p "$meteo" >"$work/m-meteo" 2>&1 &
  m3=$!
fi
wait $m1 $m2 $m4 ${m3:+$m3} 2>/dev/null || true

field() { sed -n "s/.*$2=\([^ ]*\).*/\1/p" "$1" | head -n1; }
row() { # row NAME FILE
  if grep -q 'cpu_pct=' "$2" 2>/dev/null; then
    printf '%-10s %8s %10s %8s %8s\n' "$1" "$(field "$2" cpu_pct)" "$(field "$2" wakeups_per_s)" \
      "$(field "$2" threads)" "$(field "$2" rss_kb)"
  else
    printf '%-10s %s\n' "$1" "not measured: $(head -c 200 "$2" 2>/dev/null)"
  fi
}
echo "idle over ${seconds} s (same display, same run${tray_flag:+, no tray host})"
printf '%-10s %8s %10s %8s %8s\n' program cpu_pct wakeups/s threads rss_kb
row skycaster "$work/m-sky"
row bare-tray "$work/m-bare"
row caption "$work/m-caption"
[ -n "$meteo" ] && row meteo-qt "$work/m-meteo"
echo "start-to-window: skycaster median ${median} ms of (${sky_start#* }) ms;" \
  "caption tray median ${bare_median} ms of (${bare_start#* }) ms"
if [ -n "$meteo" ]; then
  echo "meteo-qt output (first lines):"
  head -n 5 "$work/meteo-qt.log" | sed 's/^/  /'
  xdotool search --onlyvisible --name 'meteo' getwindowname %@ 2>/dev/null | sed 's/^/  window: /' || true
fi

# Goals.
sky_w=$(field "$work/m-sky" wakeups_per_s); sky_c=$(field "$work/m-sky" cpu_pct)
sky_r=$(field "$work/m-sky" rss_kb); bare_r=$(field "$work/m-bare" rss_kb); cap_r=$(field "$work/m-caption" rss_kb)
meteo_c=""; [ -n "$meteo" ] && meteo_c=$(field "$work/m-meteo" cpu_pct)
awk -v w="${sky_w:-99}" -v c="${sky_c:-99}" -v r="${sky_r:-0}" -v br="${bare_r:-1}" -v cr="${cap_r:-1}" \
  -v st="${median:-0}" -v bt="${bare_median:-1}" -v mc="${meteo_c}" 'BEGIN {
  printf "goal wake-ups <= 1.2/s: %s (%.2f)\n", (w <= 1.2 ? "met" : "MISSED"), w
  printf "RSS: %.2f x bare tray\n", r / br
  printf "goal RSS <= 1.1 x caption tray: %s (%.2f x)\n", (r <= 1.1 * cr ? "met" : "MISSED"), r / cr
  if (st == "-" || bt == "-") print "goal start <= 1.4 x caption tray: not measured"
  else printf "goal start <= 1.4 x caption tray: %s (%.2f x)\n", (st <= 1.4 * bt ? "met" : "MISSED"), st / bt
  if (mc == "") print "goal CPU <= meteo-qt / 10: not measured"
  else printf "goal CPU <= meteo-qt / 10: %s (%.3f %% vs %.3f %%)\n", (c <= mc / 10 ? "met" : "MISSED"), c, mc
}'
