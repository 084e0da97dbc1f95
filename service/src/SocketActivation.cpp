#include "SocketActivation.h"

#include <QByteArray>

#include <cstdlib>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace forecastd {

namespace {

constexpr int kFirstPassedSocket = 3;

int passedSocketCount()
{
    bool pidOk = false;
    bool countOk = false;
    const long pid = qEnvironmentVariable("LISTEN_PID").toLong(&pidOk);
    const int count = qEnvironmentVariable("LISTEN_FDS").toInt(&countOk);
    // Variables meant for another process (a parent that was activated) are not ours.
    if (!pidOk || !countOk || pid != static_cast<long>(getpid()) || count <= 0)
        return 0;
    return count;
}

bool isListeningStreamSocket(int fd)
{
    int type = 0;
    int listening = 0;
    socklen_t length = sizeof type;
    if (getsockopt(fd, SOL_SOCKET, SO_TYPE, &type, &length) != 0 || type != SOCK_STREAM)
        return false;
    length = sizeof listening;
    return getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &listening, &length) == 0 && listening != 0;
}

} // namespace

int TakeActivationSocket(QString &error)
{
    const int count = passedSocketCount();
    unsetenv("LISTEN_PID");
    unsetenv("LISTEN_FDS");
    unsetenv("LISTEN_FDNAMES");
    if (count == 0)
        return -1;
    for (int fd = kFirstPassedSocket; fd < kFirstPassedSocket + count; ++fd)
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    if (!isListeningStreamSocket(kFirstPassedSocket)) {
        error =
            QStringLiteral("the socket passed in (descriptor %1) is no listening TCP socket").arg(kFirstPassedSocket);
        return -1;
    }
    return kFirstPassedSocket;
}

} // namespace forecastd
