#!/bin/sh
# The forecast service against nginx serving the very same bytes as static files, in the same run (wrk):
# requests per second and p99 at 50 connections, ratio to nginx, time-outs at 500 connections, memory.
# Usage: bench/service/run-wrk.sh BUILD_DIR [SECONDS]   (a Release build: sanitizers slow the service)
set -eu
build=${1:?build folder}
secs=${2:-10}
port=18939
nport=18940
work=$(mktemp -d)
chmod 755 "$work"
"$build/bin/skycaster-forecastd" --offline "$build/bin/forecastd-demo-data" --port "$port" 2>"$work/service.log" &
pid=$!
trap 'kill "$pid" 2>/dev/null; [ -f "$work/nginx.pid" ] && kill "$(cat "$work/nginx.pid")"; sleep 0.2; rm -rf "$work"' EXIT
for _ in $(seq 50); do
  curl -fs -o /dev/null "http://127.0.0.1:$port/" && break
  sleep 0.1
done

doc="/forecast/webservice/rest/v1?city=130010&day=today"
areas="/forecast/rss/forecastmap.xml"
mkdir -p "$work/www" "$work/tmp"
curl -fs -H "Host: 127.0.0.1:$port" "http://127.0.0.1:$port$doc" >"$work/www/doc.xml"
curl -fs -H "Host: 127.0.0.1:$port" "http://127.0.0.1:$port$areas" >"$work/www/areas.xml"
chmod -R a+rX "$work/www"
cat >"$work/nginx.conf" <<EOF
worker_processes auto;
pid $work/nginx.pid;
error_log $work/error.log;
events { worker_connections 4096; }
http {
  access_log off;
  default_type application/xml;
  sendfile on;
  client_body_temp_path $work/tmp; proxy_temp_path $work/tmp; fastcgi_temp_path $work/tmp;
  uwsgi_temp_path $work/tmp; scgi_temp_path $work/tmp;
  server { listen 127.0.0.1:$nport; root $work/www; }
}
EOF
nginx -e "$work/error.log" -p "$work" -c "$work/nginx.conf"
for _ in $(seq 50); do
  curl -fs -o /dev/null "http://127.0.0.1:$nport/doc.xml" && break
  sleep 0.1
done

# "requests/s p99(ms) time-outs" of one wrk run.
measure() {
  wrk -t2 -c"$2" -d"${secs}s" --latency "$1" | awk '
    function ms(v) { if (v ~ /us$/) return v / 1000; if (v ~ /ms$/) return v + 0; if (v ~ /s$/) return v * 1000; return v }
    /Requests\/sec/ { rps = $2 }
    $1 == "99%" { p99 = ms($2) }
    /timeout/ { sub(/.*timeout /, ""); to = $0 + 0 }
    END { printf "%.0f %.2f %d\n", rps, p99, to }'
}

echo "RSS after start: $(grep VmRSS /proc/$pid/status)"
printf '%-24s %12s %9s %12s %9s %7s %9s\n' case service/s p99ms nginx/s p99ms ratio p99ratio
for target in "forecast document|$doc|doc.xml" "area list|$areas|areas.xml"; do
  name=${target%%|*}
  rest=${target#*|}
  path=${rest%%|*}
  file=${rest#*|}
  set -- $(measure "http://127.0.0.1:$port$path" 50) $(measure "http://127.0.0.1:$nport/$file" 50)
  awk -v n="$name, 50 conn" -v s="$1" -v sp="$2" -v g="$4" -v gp="$5" 'BEGIN {
    printf "%-24s %12d %9.2f %12d %9.2f %6.2fx %8.2fx\n", n, s, sp, g, gp, s / g, sp / gp }'
  set -- $(measure "http://127.0.0.1:$port$path" 500) $(measure "http://127.0.0.1:$nport/$file" 500)
  echo "$name, 500 conn: service $1 req/s, p99 $2 ms, time-outs $3; nginx $4 req/s, p99 $5 ms, time-outs $6"
done
echo "RSS after load:  $(grep VmRSS /proc/$pid/status)"
