#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the program need.
# Idempotent; prints nothing when everything is already there.
set -euo pipefail

packages=(
  # build
  cmake g++ ninja-build ccache pkg-config
  qt6-base-dev qt6-translations-l10n libpugixml-dev libcpp-httplib-dev libboost-dev libssl-dev libxcb1-dev
  # tests and benchmarks
  libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev clang-format clang-tidy
  xvfb xdotool wmctrl x11-utils imagemagick trayer openbox xcompmgr tinyproxy nginx procps tzdata wrk faketime
  # service units, socket activation, private network namespaces, the Debian package and its checks
  systemd util-linux iproute2 curl dpkg-dev lintian
  # StatusNotifierItem tray hosts on a private D-Bus session
  dbus xfce4-panel xfconf lxqt-panel
  # desktop notifications (warnings announced) on a private D-Bus session
  dunst
  # the program at run time
  fonts-ipafont-gothic xdg-utils
)
# The scenarios on real desktops (scripts/test.sh --desktops): GNOME Shell with AppIndicator, KDE Plasma on X11.
if [ "${SKYCASTER_SETUP_DESKTOPS:-0}" = 1 ]; then
  packages+=(gnome-shell gnome-shell-extension-appindicator plasma-workspace kwin-x11 plasma-desktop)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
