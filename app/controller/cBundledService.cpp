#include "cBundledService.h"

#include <QUrl>

cBundledService::cBundledService(IServiceHost &host, QStringList candidates)
    : m_host(host)
    , m_candidates(std::move(candidates))
{
}

cBundledService::~cBundledService()
{
    if (!m_started.isEmpty())
        m_host.Stop();
}

cBundledService::Outcome cBundledService::StartIfNeeded(const QString &weatherServiceUrl, const QString &defaultUrl)
{
    if (weatherServiceUrl != defaultUrl)
        return Outcome::OtherService;
    const QUrl url(defaultUrl);
    const QString host = url.host();
    const int port = url.port(80);
    if (m_host.Answers(host, port))
        return Outcome::AlreadyAnswering;
    for (const QString &program : m_candidates) {
        if (!m_host.IsProgram(program))
            continue;
        // Live data, on exactly the address the settings name.
        const QStringList arguments{QStringLiteral("--bind"), host, QStringLiteral("--port"), QString::number(port)};
        if (!m_host.Start(program, arguments, host, port))
            return Outcome::DidNotStart;
        m_started = program;
        return Outcome::Started;
    }
    return Outcome::NotShipped;
}
