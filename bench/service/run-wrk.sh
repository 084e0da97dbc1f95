#!/bin/sh
# Requests per second of the forecast document on loopback (wrk) and the service's memory (VmRSS).
# Usage: bench/service/run-wrk.sh BUILD_DIR [SECONDS]
set -eu
build=${1:?build folder}
secs=${2:-10}
port=18939
"$build/bin/skycaster-forecastd" --offline "$build/bin/forecastd-demo-data" --port "$port" 2>/dev/null &
pid=$!
trap 'kill "$pid" 2>/dev/null' EXIT
for _ in 1 2 3 4 5 6 7 8 9 10; do
  curl -fs -o /dev/null "http://127.0.0.1:$port/" && break
  sleep 0.2
done
echo "RSS after start: $(grep VmRSS /proc/$pid/status)"
wrk -t2 -c16 -d"${secs}s" "http://127.0.0.1:$port/forecast/webservice/rest/v1?city=130010&day=tomorrow"
echo "RSS after load:  $(grep VmRSS /proc/$pid/status)"
