#pragma once

#include "IServiceHost.h"

#include <QProcess>

#include <memory>

namespace platform {

/// Runs the bundled forecast service as a child process: probes with a TCP connection, starts with QProcess,
/// and ends it with SIGTERM (the service's clean stop). The child also gets SIGTERM when the program dies
/// without stopping it, so no service is left behind.
class cServiceProcess : public IServiceHost {
public:
    cServiceProcess();
    ~cServiceProcess() override;
    cServiceProcess(const cServiceProcess &) = delete;
    cServiceProcess &operator=(const cServiceProcess &) = delete;

    bool Answers(const QString &host, int port) override;
    bool IsProgram(const QString &path) override;
    bool Start(const QString &program, const QStringList &arguments, const QString &host, int port) override;
    void Stop() override;

    /// Where an installation keeps the service program, for the program in `programFolder`: beside it (the
    /// build folder) and in the installation's bin folder.
    static QStringList Candidates(const QString &programFolder);

private:
    std::unique_ptr<QProcess> m_process;
};

} // namespace platform
