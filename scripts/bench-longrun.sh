#!/usr/bin/env bash
# Memory over many retrievals: the program under faketime (its clock, timers included, runs SPEED times
# faster; with GetSpan=0 one retrieval a program minute) against the offline demo service, on a virtual
# display with a tray host. RSS and heap are taken after 10 retrievals (the anchor, same run) and after N.
#   scripts/bench-longrun.sh [--build DIR] [--no-build] [--retrievals N] [--speed X]
# Goal: RSS after N (default 1000) at most 1.05 times the RSS after 10.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/quality"
retrievals=1000
speed=300
do_build=1
inner=0
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$2; shift 2 ;;
    --no-build) do_build=0; shift ;;
    --retrievals) retrievals=$2; shift 2 ;;
    --speed) speed=$2; shift 2 ;;
    --inner) inner=1; shift ;;
    *) echo "bench-longrun.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
if [ "$inner" = 0 ]; then
  command -v faketime >/dev/null || "$root/scripts/setup.sh"
  if [ "$do_build" = 1 ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKYCASTER_SANITIZE=OFF >/dev/null
    cmake --build "$build" -j 2 --target skycaster skycaster-forecastd
  fi
  exec "$root/tests/support/xvfb-run.sh" "$0" --inner --build "$build" --retrievals "$retrievals" --speed "$speed"
fi

bin="$build/bin"
. "$root/scripts/bench-env.sh" longrun

"$bin/skycaster-forecastd" --offline "$root/service/demo-data" --port 0 --access-log "$work/access.log" \
  >"$work/service.log" 2>&1 &
pids+=($!)
for _ in $(seq 1 200); do grep -q 'listening on' "$work/service.log" && break; sleep 0.05; done
url="$(grep -o 'http://[0-9.]*:[0-9]*' "$work/service.log" | head -n1)"
[ -n "$url" ] || { cat "$work/service.log" >&2; exit 1; }

prog="$work/program"
mkdir -p "$prog"
cp "$bin/skycaster" "$bin"/libro*.so* "$prog/"
for d in Res Styles forecastmap; do [ -d "$bin/$d" ] && cp -r "$bin/$d" "$prog/"; done
printf '[General]\r\nCityID=130010\r\nGetSpan=0\r\nWeatherServiceURL=%s/forecast/webservice/rest/v1\r\n' "$url" \
  >"$prog/skycaster.ini"
printf 'ForecastmapURL=%s/forecast/rss/forecastmap.xml\r\n' "$url" >>"$prog/skycaster.ini"

# libfaketime preloaded into the program itself (the faketime command would stand between as its parent).
lib="$(dpkg -L libfaketime 2>/dev/null | grep '/libfaketime.so.1$' | head -n1)"
[ -n "$lib" ] || { echo "bench-longrun.sh: libfaketime not found" >&2; exit 1; }
LD_PRELOAD="$lib" FAKETIME="+0 x$speed" "$prog/skycaster" >"$work/skycaster.log" 2>&1 &
sky=$!; pids+=($sky)

done_count() { grep -c 'webservice' "$work/access.log" 2>/dev/null || true; }
figures() { # RSS and heap (anonymous private memory) in kB
  awk '/^Rss:/ {r=$2} /^Anonymous:/ {a=$2} END {print r, a}' "/proc/$sky/smaps_rollup"
}
wait_count() {
  local limit=$((SECONDS + 3600))
  while [ "$(done_count)" -lt "$1" ] 2>/dev/null || [ -z "$(done_count)" ]; do
    kill -0 "$sky" 2>/dev/null || { echo "bench-longrun.sh: the program ended" >&2; cat "$work/skycaster.log" >&2; exit 1; }
    [ $SECONDS -lt $limit ] || { echo "bench-longrun.sh: only $(done_count) retrievals" >&2; exit 1; }
    sleep 0.2
  done
}
wait_count 10
read -r rss10 anon10 < <(figures)
start=$SECONDS
wait_count "$retrievals"
read -r rssN anonN < <(figures)
echo "retrievals under faketime x$speed: 10 -> $(done_count) in $((SECONDS - start)) s"
printf '%-16s %10s %10s\n' after rss_kb anon_kb
printf '%-16s %10s %10s\n' "10 retrievals" "$rss10" "$anon10"
printf '%-16s %10s %10s\n' "$retrievals retrievals" "$rssN" "$anonN"
awk -v a="$rss10" -v b="$rssN" -v n="$retrievals" 'BEGIN {
  printf "goal RSS after %d <= 1.05 x after 10: %s (%.3f x)\n", n, (b <= 1.05 * a ? "met" : "MISSED"), b / a
}'
