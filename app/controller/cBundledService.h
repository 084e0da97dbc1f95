#pragma once

#include "IServiceHost.h"

#include <QString>
#include <QStringList>

/// The forecast service shipped with the program, run by the program itself where no service manager starts
/// it (no systemd user session: containers, WSL, other init systems). It is started only for the default
/// local service address, and only when nothing answers there; it is stopped when the program quits.
class cBundledService {
public:
    enum class Outcome {
        OtherService,     ///< the settings name another service: never start one for the user
        AlreadyAnswering, ///< something (systemd's socket, another program) answers at the default address
        NotShipped,       ///< no service program in the installation
        Started,          ///< the shipped service now answers at the default address
        DidNotStart       ///< it was found but ended or did not answer
    };

    /// `candidates`: where the service program may be, in order (beside the program, the installation's bin).
    cBundledService(IServiceHost &host, QStringList candidates);
    /// Stops the service if this object started it.
    ~cBundledService();
    cBundledService(const cBundledService &) = delete;
    cBundledService &operator=(const cBundledService &) = delete;

    /// Starts the shipped service when `weatherServiceUrl` is `defaultUrl` (the default local service) and
    /// nothing answers at its host and port.
    Outcome StartIfNeeded(const QString &weatherServiceUrl, const QString &defaultUrl);
    /// The service program started, or "".
    QString StartedProgram() const { return m_started; }

private:
    IServiceHost &m_host;
    QStringList m_candidates;
    QString m_started;
};
