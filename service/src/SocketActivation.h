#pragma once

#include <QString>

namespace forecastd {

/// The listening socket a service manager handed over (systemd's socket activation, also
/// systemd-socket-activate): LISTEN_PID names this process and LISTEN_FDS counts the sockets, which start
/// at descriptor 3. Returns the first of them, or -1 when none was passed; -1 with `error` set when one was
/// passed but is no listening stream socket. The variables are removed so child processes do not see them.
int TakeActivationSocket(QString &error);

} // namespace forecastd
