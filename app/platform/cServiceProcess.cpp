#include "cServiceProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QTcpSocket>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

namespace platform {

namespace {

// Connecting to a local port is answered at once; the limit only matters for a host that drops packets.
constexpr int kProbeMs = 1000;
// The service binds within milliseconds; a slow start (cold disk) still gets a few seconds.
constexpr int kStartMs = 8000;
constexpr int kStopMs = 5000;

} // namespace

cServiceProcess::cServiceProcess() = default;

cServiceProcess::~cServiceProcess()
{
    Stop();
}

bool cServiceProcess::Answers(const QString &host, int port)
{
    QTcpSocket socket;
    socket.connectToHost(host, static_cast<quint16>(port));
    const bool connected = socket.waitForConnected(kProbeMs);
    socket.abort();
    return connected;
}

bool cServiceProcess::IsProgram(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

bool cServiceProcess::Start(const QString &program, const QStringList &arguments, const QString &host, int port)
{
    Stop();
    m_process = std::make_unique<QProcess>();
    m_process->setProgram(program);
    m_process->setArguments(arguments);
    // Its messages go where the program's go.
    m_process->setProcessChannelMode(QProcess::ForwardedChannels);
    m_process->setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_process->start();
    if (!m_process->waitForStarted(kStartMs)) {
        m_process.reset();
        return false;
    }
    const QDeadlineTimer deadline(kStartMs);
    while (!deadline.hasExpired()) {
        if (m_process->state() == QProcess::NotRunning)
            break;
        if (Answers(host, port))
            return true;
        m_process->waitForFinished(50);
    }
    Stop();
    return false;
}

void cServiceProcess::Stop()
{
    if (!m_process)
        return;
    if (m_process->state() != QProcess::NotRunning) {
        m_process->terminate();
        if (!m_process->waitForFinished(kStopMs)) {
            m_process->kill();
            m_process->waitForFinished(kStopMs);
        }
    }
    m_process.reset();
}

QStringList cServiceProcess::Candidates(const QString &programFolder)
{
    const QDir folder(programFolder);
    return {folder.filePath(QStringLiteral("skycaster-forecastd")),
            QDir::cleanPath(folder.filePath(QStringLiteral(SKYCASTER_SERVICE_FROM_PROGRAM)))};
}

} // namespace platform
