#!/usr/bin/env bash
# Starts a StatusNotifierItem tray host on the current X display and D-Bus session and prints its PID once the
# host is registered with org.kde.StatusNotifierWatcher.
#   start-panel.sh xfce|lxqt
# The panel's configuration lives in $SKYCASTER_PANEL_HOME (sni-session.sh sets it): a top panel holding only
# the notification area, so the icons are the only things drawn on it.
set -u
kind="${1:-xfce}"
home="${SKYCASTER_PANEL_HOME:?SKYCASTER_PANEL_HOME is not set}"
export XDG_CONFIG_HOME="$home" NO_AT_BRIDGE=1 GTK_A11Y=none
case "$kind" in
  xfce)
    conf="$home/xfce4/xfconf/xfce-perchannel-xml"
    mkdir -p "$conf"
    cat >"$conf/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="28"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
    xfce4-panel --disable-wm-check >"$home/panel.log" 2>&1 &
    ;;
  lxqt)
    mkdir -p "$home/lxqt"
    printf '[General]\npanels=panel1\n\n[panel1]\nplugins=statusnotifier\nposition=Top\npanelSize=28\nlineCount=1\nalignment=-1\n\n[statusnotifier]\ntype=statusnotifier\n' \
      >"$home/lxqt/panel.conf"
    QT_QPA_PLATFORM=xcb lxqt-panel >"$home/panel.log" 2>&1 &
    ;;
  *) echo "start-panel.sh: unknown panel $kind" >&2; exit 2 ;;
esac
pid=$!
host_registered() {
  busctl --user get-property org.kde.StatusNotifierWatcher /StatusNotifierWatcher org.kde.StatusNotifierWatcher \
    IsStatusNotifierHostRegistered 2>/dev/null | grep -q true
}
for _ in $(seq 1 150); do host_registered && break; sleep 0.2; done
if ! host_registered; then
  echo "start-panel.sh: $kind panel registered no StatusNotifierItem host" >&2
  cat "$home/panel.log" >&2
  kill "$pid" 2>/dev/null
  exit 1
fi
echo "$pid"
