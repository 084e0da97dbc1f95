#!/usr/bin/env bash
# The service behind an nginx proxy_cache, the way one service is run for many users (README): the second
# request is a cache HIT that never reaches the service; once the data changes, the cache hands out the
# new document after the document's lifetime, asking the service with its validators. No display needed.
#   tests/e2e/cache-front.sh BUILD/bin
source "$(dirname "$0")/lib.sh"
command -v nginx >/dev/null || { fail "nginx is not installed (scripts/setup.sh)"; finish; }

data="$WORK/data"
cp -r "$SOURCE_DIR/service/demo-data" "$data"
start_logged_service "$data"
stop_service
# A short lifetime, so the scenario sees the change within seconds.
run_service "$data" --access-log "$ACCESS_LOG" --document-max-age 2

N="$WORK/nginx"
mkdir -p "$N/tmp"
nport="$(free_port)"
[ -n "$nport" ] || { fail "no free port"; finish; }
{
  [ "$(id -u)" = 0 ] && echo "user root;"
  cat <<CONF
worker_processes 1;
pid $N/nginx.pid;
error_log $N/error.log;
events {}
http {
  access_log off;
  client_body_temp_path $N/tmp; proxy_temp_path $N/tmp; fastcgi_temp_path $N/tmp;
  uwsgi_temp_path $N/tmp; scgi_temp_path $N/tmp;
  proxy_cache_path $N/cache keys_zone=forecast:1m max_size=64m inactive=1d;
  server {
    listen 127.0.0.1:$nport;
    location / {
      proxy_pass http://127.0.0.1:$SERVICE_PORT;
      proxy_set_header Host \$host:\$server_port;
      proxy_cache forecast;
      proxy_cache_revalidate on;
      proxy_cache_lock on;
      proxy_cache_use_stale error timeout updating http_502 http_503 http_504;
      add_header X-Cache-Status \$upstream_cache_status always;
    }
  }
}
CONF
} >"$N/nginx.conf"
nginx -e "$N/error.log" -p "$N" -c "$N/nginx.conf" || { cat "$N/error.log" >&2; fail "nginx did not start"; finish; }
trap 'kill "$(cat "$N/nginx.pid" 2>/dev/null)" 2>/dev/null; cleanup' EXIT

doc="/forecast/webservice/rest/v1?city=130010&day=today"
# fetch NAME: the document through the cache into $WORK/NAME.xml, its headers into $WORK/NAME.head.
fetch() { curl -sf --max-time 5 -D "$WORK/$1.head" -o "$WORK/$1.xml" "http://127.0.0.1:$nport$doc"; }
cache_said() { grep -qi "^X-Cache-Status: $2" "$WORK/$1.head"; }
service_asked() { test "$(grep -c "^GET /forecast/webservice/rest/v1?city=130010&day=today " "$ACCESS_LOG")" = "$1"; }
first_fetch() { fetch first && cache_said first MISS; }

check "the first request passes through to the service" wait_for 10 first_fetch
check "the service answered it once" service_asked 1
check "with a strong ETag" grep -qiE '^ETag: "[0-9a-f]+"' "$WORK/first.head"
check "and Last-Modified" grep -qi '^Last-Modified: ' "$WORK/first.head"
check "and its lifetime" grep -qi '^Cache-Control: public, max-age=2' "$WORK/first.head"
check "the second request is a cache HIT" fetch second
check "marked HIT" cache_said second HIT
check "the same document" same_file "$WORK/first.xml" "$WORK/second.xml"
check "that never reached the service" service_asked 1
etag="$(grep -i '^ETag:' "$WORK/first.head" | cut -d' ' -f2 | tr -d '\r')"
not_modified() {
  test "$(curl -s --max-time 5 -o /dev/null -w '%{http_code}' -H "Host: 127.0.0.1:$nport" \
    -H "If-None-Match: $etag" "$SERVICE_URL$doc")" = 304
}
check "the service answers its own ETag with 304" not_modified

# New data: a later report of the same office, as JMA would issue it.
stop_service
sed -i '0,/"reportDatetime": "2026-01-05T11:00:00+09:00"/s//"reportDatetime": "2026-01-05T11:30:00+09:00"/' \
  "$data/forecast/130000.json"
run_service "$data" --access-log "$ACCESS_LOG" --document-max-age 2
new_document() { fetch third && grep -q '<publictime>Mon, 05 Jan 2026 11:30:00' "$WORK/third.xml"; }
check "once its lifetime is over the cache hands out the new document" wait_for 20 new_document
new_hit() { fetch fourth && cache_said fourth HIT && same_file "$WORK/third.xml" "$WORK/fourth.xml"; }
check "which is a HIT again" wait_for 5 new_hit
finish
