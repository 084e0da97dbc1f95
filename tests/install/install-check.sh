#!/usr/bin/env bash
# Installs a build into a fresh prefix and checks the result: the program folder with everything the
# program expects beside itself, the link on the PATH, desktop entry, icons, the service and its unit;
# libraries found from the install folder; the installed program retrieving a forecast through the link,
# and with a read-only program folder keeping its settings in the user's configuration folder.
#   tests/support/xvfb-run.sh tests/install/install-check.sh BUILD
set -u
build="$(cd "${1:?usage: $0 BUILD}" && pwd)"
root="$(mktemp -d /tmp/skycaster-install.XXXXXX)"
chmod 755 "$root"
P="$root/prefix"
cmake --install "$build" --prefix "$P" >"$root/install.log" 2>&1 || { cat "$root/install.log" >&2; rm -rf "$root"; exit 1; }

source "$(dirname "$0")/../e2e/lib.sh" "$P/bin"
trap 'cleanup; chmod -R u+w "$root" 2>/dev/null; rm -rf "$root"' EXIT
log "installed into $P"

program="$(dirname "$(readlink -f "$P/bin/skycaster")")"
check "skycaster on the PATH is a link into the program folder" test -L "$P/bin/skycaster" -a "$program" != "$P/bin"
for f in skycaster libroWeatherLib.so.1 libroLabelLib.so.1 Res/CloudPaneX.bmp Res/Close.bmp Styles/Default.cjstyles \
         forecastmap/forecastmap.xml Skycaster.html skycaster.ini; do
  check "program folder holds $f" test -s "$program/$f"
done
check "the shipped settings file is for its owner only" test "$(stat -c %a "$program/skycaster.ini")" = 600
for img in $(grep -o 'src="help/[^"]*"' "$program/Skycaster.html" | cut -d'"' -f2); do
  check "help picture $img installed" test -s "$program/$img"
done
check "demo data installed" test -n "$(ls "$P/share/skycaster/forecastd-demo-data/"*.json 2>/dev/null)"
desktop="$P/share/applications/skycaster.desktop"
check "desktop entry starts the installed program" grep -qx "Exec=$P/bin/skycaster" "$desktop"
check "desktop entry names the icon" grep -qx "Icon=skycaster" "$desktop"
for size in 16 22 32 48; do
  check "icon ${size}x${size}" test -s "$P/share/icons/hicolor/${size}x${size}/apps/skycaster.png"
done
unit="$P/lib/systemd/user/skycaster-forecastd.service"
check "unit starts the installed service" grep -q "^ExecStart=$P/bin/skycaster-forecastd " "$unit"
check "socket unit installed and enabled for every user" \
  test "$(readlink -f "$P/lib/systemd/user/sockets.target.wants/skycaster-forecastd.socket")" = "$P/lib/systemd/user/skycaster-forecastd.socket"
check "installed service answers --help" "$P/bin/skycaster-forecastd" --help
for f in "$program/skycaster" "$program"/libro*.so.1 "$P/bin/skycaster-forecastd"; do
  check "$(basename "$f"): every library found" test -z "$(ldd "$f" | grep 'not found')"
  check "$(basename "$f"): no search path into the build" test -z "$(readelf -d "$f" | grep -E 'R(UN)?PATH' | grep -F "$build")"
done

# The installed program, started through the link, finds its files and keeps its settings beside itself.
PROGRAM_DIR="$P/bin"
INI="$program/skycaster.ini"
start_service "$P/share/skycaster/forecastd-demo-data"
write_ini 130010
start_program
check "installed program retrieves the forecast" wait_for 40 ini_has LastPublicTime
check "picture written in the program folder" test -s "$program/Icon.tmp"
kill "$PROGRAM_PID" 2>/dev/null; wait "$PROGRAM_PID" 2>/dev/null

chmod 644 "$INI"
cmake --install "$build" --prefix "$P" >"$root/install.log" 2>&1
check "installing again keeps the user's settings" ini_is CityID 130010
check "installing again keeps the file's mode" test "$(stat -c %a "$INI")" = 644

# A read-only program folder (an installation by the administrator): settings go to ~/.config/Skycaster.
# (The administrator shares the settings in it with every user: the file above was made readable.)
sed -i '/^LastPublicTime=/d' "$INI"
shipped="$(cat "$INI")"
chmod -R a-w "$program"
home="$root/home"
mkdir -p "$home/config" "$home/runtime" "$home/tmp"
as_user=()
if [ "$(id -u)" = 0 ]; then
  chown -R 65534:65534 "$home"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
chmod 700 "$home/runtime"
env XDG_CONFIG_HOME="$home/config" XDG_RUNTIME_DIR="$home/runtime" TMPDIR="$home/tmp" HOME="$home" \
  "${as_user[@]}" "$P/bin/skycaster" >"$WORK/program-ro.log" 2>&1 &
PROGRAM_PID=$!
PIDS+=("$PROGRAM_PID")
INI="$home/config/Skycaster/skycaster.ini"
check "read-only folder: forecast retrieved, settings in the user's folder" wait_for 40 ini_has LastPublicTime
check "read-only folder: the shipped settings were carried over" ini_is CityID 130010
check "read-only folder: the shipped file is unchanged" test "$(cat "$program/skycaster.ini")" = "$shipped"
check "read-only folder: the widget's picture beside the settings" test -s "$home/config/Skycaster/Icon.tmp"
kill "$PROGRAM_PID" 2>/dev/null; wait "$PROGRAM_PID" 2>/dev/null
finish
