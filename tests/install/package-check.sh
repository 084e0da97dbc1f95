#!/usr/bin/env bash
# Makes the Debian package of a build with CPack and checks it: file name, dependencies from shlibdeps, the
# program folder, menu entry, icons, systemd units (socket enabled for every user), demo data and the
# copyright file crediting JMA's data; lintian finds no errors; and the package, extracted with dpkg-deb
# into a temporary folder, runs: the program from there against the package's own service in offline
# mode, up to the first forecast on the widget.
#   tests/support/xvfb-run.sh tests/install/package-check.sh BUILD
set -u
build="$(cd "${1:?usage: $0 BUILD}" && pwd)"
root="$(mktemp -d /tmp/skycaster-package.XXXXXX)"
chmod 755 "$root"
(cd "$build" && cpack -G DEB -B "$root/out") >"$root/cpack.log" 2>&1 || { cat "$root/cpack.log" >&2; rm -rf "$root"; exit 1; }
version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")"
deb="$root/out/skycaster_${version}_$(dpkg --print-architecture).deb"
X="$root/extracted"
mkdir -p "$X"
dpkg-deb -x "$deb" "$X" 2>"$root/extract.log"

export SKYCASTER_ARTIFACTS="${SKYCASTER_ARTIFACTS:-$build/artifacts}"
source "$(dirname "$0")/../e2e/lib.sh" "$X/usr/bin"
trap 'cleanup; rm -rf "$root"' EXIT
grep -o 'package: .*generated' "$root/cpack.log" | sed 's/^/  cpack: /'

check "cpack made $(basename "$deb")" test -s "$deb"
check "dpkg-deb extracted it" test -s "$X/usr/bin/skycaster-forecastd"
field() { dpkg-deb -f "$deb" "$1"; }
check "package name" test "$(field Package)" = skycaster
for lib in libqt6widgets6 libqt6network6 libpugixml1v5 libcpp-httplib; do
  check "depends on $lib (shlibdeps)" grep -q "$lib" <<<"$(field Depends)"
done
log "Depends: $(field Depends)"
contents="$(dpkg-deb -c "$deb" | awk '{print $6}')"
has() { grep -qx "./$1" <<<"$contents"; }
for f in usr/bin/skycaster usr/bin/skycaster-forecastd usr/lib/skycaster/skycaster usr/lib/skycaster/libroWeatherLib.so.1 \
         usr/lib/skycaster/libroLabelLib.so.1 usr/lib/skycaster/Res/CloudPaneX.bmp usr/lib/skycaster/Styles/Default.cjstyles \
         usr/lib/skycaster/forecastmap/forecastmap.xml usr/lib/skycaster/Skycaster.html usr/lib/skycaster/skycaster.ini \
         usr/share/applications/skycaster.desktop usr/share/icons/hicolor/48x48/apps/skycaster.png \
         usr/lib/systemd/user/skycaster-forecastd.socket usr/lib/systemd/user/skycaster-forecastd.service \
         usr/lib/systemd/user/sockets.target.wants/skycaster-forecastd.socket \
         usr/share/skycaster/forecastd-demo-data/area.json usr/share/doc/skycaster/copyright \
         usr/share/doc/skycaster/changelog.gz usr/share/man/man1/skycaster.1.gz \
         usr/share/man/man1/skycaster-forecastd.1.gz; do
  check "package holds /$f" has "$f"
done
check "menu entry starts /usr/bin/skycaster" grep -qx 'Exec=/usr/bin/skycaster' "$X/usr/share/applications/skycaster.desktop"
check "service unit starts /usr/bin/skycaster-forecastd" grep -q '^ExecStart=/usr/bin/skycaster-forecastd ' \
  "$X/usr/lib/systemd/user/skycaster-forecastd.service"
check "copyright credits JMA's data" grep -q '出典：気象庁ホームページ' "$X/usr/share/doc/skycaster/copyright"
check "shipped settings file for its owner only" test "$(stat -c %a "$X/usr/lib/skycaster/skycaster.ini")" = 600
if command -v lintian >/dev/null; then
  lintian --fail-on error "$deb" >"$root/lintian.log" 2>&1
  lintian_status=$?
  sed 's/^/  lintian: /' "$root/lintian.log"
  check "lintian finds no errors" test "$lintian_status" -eq 0
else
  fail "lintian is not installed (scripts/setup.sh installs it)"
fi

program="$X/usr/lib/skycaster"
check "libraries found in the extracted folder" grep -q "$program/libroWeatherLib.so.1" <<<"$(ldd "$program/skycaster")"

# The extracted package runs: its service with its demo data, the program through the link on its PATH.
start_service "$X/usr/share/skycaster/forecastd-demo-data"
INI="$program/skycaster.ini"
write_ini 130010 '[Position]' 'PosX=640' 'PosY=400'
"$X/usr/bin/skycaster" >"$WORK/program.log" 2>&1 &
PROGRAM_PID=$!
PIDS+=("$PROGRAM_PID")
picture_is_forecast() { test -s "$program/Icon.tmp" && ! cmp -s "$program/Icon.tmp" "$program/Res/CloudPaneX.bmp"; }
check "the widget appears" wait_for 40 widget_window
check "the first forecast arrives" wait_for 40 ini_has LastPublicTime
check "the widget shows the forecast picture" wait_for 10 picture_is_forecast
sleep 1
screenshot widget
kill "$PROGRAM_PID" 2>/dev/null; wait "$PROGRAM_PID" 2>/dev/null
finish
