#include "OfflineSource.h"

#include "JmaData.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace forecastd {

namespace {

constexpr qint64 kMaxFileSize = 16 * 1024 * 1024;

bool readFile(const QString &path, QByteArray &bytes, QString &error)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = f.errorString();
        return false;
    }
    if (f.size() > kMaxFileSize) {
        error = QStringLiteral("file too large");
        return false;
    }
    bytes = f.readAll();
    return true;
}

/// Files named "{office}.json" or "{office}_anything.json" in a folder, by office.
QHash<QString, QStringList> filesByOffice(const QString &folder)
{
    static const QRegularExpression name(QStringLiteral("^(\\d{6})(_[^/]*)?\\.json$"));
    QHash<QString, QStringList> out;
    const QDir dir(folder);
    for (const QString &file : dir.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        const auto m = name.match(file);
        if (m.hasMatch())
            out[m.captured(1)].append(dir.filePath(file));
    }
    return out;
}

/// The newest of one office's files issued at or before asOf (any, when asOf is invalid). Files that
/// cannot be read are added to warnings; lastError keeps the latest of them.
template <typename Report>
std::shared_ptr<const Report> newestReport(const QStringList &paths, const QDateTime &asOf, QStringList &warnings,
                                           QString &lastError)
{
    std::shared_ptr<const Report> chosen;
    for (const QString &path : paths) {
        QByteArray bytes;
        QString fileError;
        std::shared_ptr<const Report> report;
        if (readFile(path, bytes, fileError))
            report = Report::Parse(bytes, fileError);
        if (!report) {
            lastError = QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), fileError);
            warnings.append(lastError);
            continue;
        }
        const bool eligible = !asOf.isValid() || report->reportTime <= asOf;
        if (eligible && (!chosen || report->reportTime > chosen->reportTime))
            chosen = report;
    }
    return chosen;
}

} // namespace

std::unique_ptr<OfflineSource> OfflineSource::Open(const QString &folder, const QDateTime &asOf, QString &error)
{
    std::unique_ptr<OfflineSource> source(new OfflineSource());
    const QDir dir(folder);
    QByteArray bytes;
    QString why;
    if (!readFile(dir.filePath(QStringLiteral("area.json")), bytes, why)) {
        error = QStringLiteral("%1: %2").arg(dir.filePath(QStringLiteral("area.json")), why);
        return nullptr;
    }
    source->m_areas = AreaTree::Parse(bytes, why);
    if (!source->m_areas) {
        error = QStringLiteral("%1: %2").arg(dir.filePath(QStringLiteral("area.json")), why);
        return nullptr;
    }

    const auto forecasts = filesByOffice(dir.filePath(QStringLiteral("forecast")));
    for (auto it = forecasts.begin(); it != forecasts.end(); ++it) {
        QString lastError;
        const auto chosen = newestReport<ForecastReport>(it.value(), asOf, source->m_warnings, lastError);
        if (chosen)
            source->m_reports.insert(it.key(), chosen);
        else if (!lastError.isEmpty())
            source->m_badOffices.insert(it.key(), lastError);
    }

    const auto overviews = filesByOffice(dir.filePath(QStringLiteral("overview_forecast")));
    for (auto it = overviews.begin(); it != overviews.end(); ++it) {
        for (const QString &path : it.value()) {
            QString fileError;
            std::shared_ptr<const Overview> overview;
            if (readFile(path, bytes, fileError))
                overview = Overview::Parse(bytes, fileError);
            if (overview)
                source->m_overviews[it.key()].push_back(overview);
            else
                source->m_warnings.append(QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), fileError));
        }
    }
    source->readWarnings(folder, asOf);
    return source;
}

void OfflineSource::readWarnings(const QString &folder, const QDateTime &asOf)
{
    const QDir dir(folder);
    QHash<QString, QStringList> files = filesByOffice(dir.filePath(QStringLiteral("warning")));
    const auto r8 = filesByOffice(dir.filePath(QStringLiteral("warning-r8")));
    for (auto it = r8.begin(); it != r8.end(); ++it)
        files[it.key()].append(it.value());
    for (auto it = files.begin(); it != files.end(); ++it) {
        QString why;
        const auto chosen = newestReport<WarningReport>(it.value(), asOf, m_warnings, why);
        if (chosen)
            m_warningFiles.insert(it.key(), chosen);
        else
            m_badWarningFiles.insert(it.key(), why.isEmpty() ? QStringLiteral("no warning file issued by then") : why);
    }
}

AreasResult OfflineSource::Areas()
{
    return {m_areas, {}};
}

OfficeResult OfflineSource::Office(const QString &fileOffice)
{
    OfficeResult out;
    out.report = m_reports.value(fileOffice);
    if (!out.report) {
        const auto bad = m_badOffices.constFind(fileOffice);
        out.error = bad != m_badOffices.constEnd()
                        ? ServiceError{502, QStringLiteral("bad forecast data: %1").arg(*bad)}
                        : ServiceError{404, QStringLiteral("no forecast data for office %1").arg(fileOffice)};
        return out;
    }
    out.now = out.report->reportTime;
    // The overview written for this very report: the closest one in time.
    qint64 best = -1;
    for (const auto &overview : m_overviews.value(fileOffice)) {
        const qint64 distance = qAbs(overview->reportTime.secsTo(out.report->reportTime));
        if (best < 0 || distance < best) {
            best = distance;
            out.overview = overview;
        }
    }
    return out;
}

WarningResult OfflineSource::WarningFile(const QString &office)
{
    WarningResult out;
    out.report = m_warningFiles.value(office);
    if (!out.report)
        out.error = m_badWarningFiles.value(office, QStringLiteral("no warning file for office %1").arg(office));
    return out;
}

} // namespace forecastd
