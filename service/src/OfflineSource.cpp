#include "OfflineSource.h"

#include "JmaData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace forecastd {

namespace {

/// Files named "{office}.json" or "{office}_anything.json" in a folder, by office.
QHash<QString, QStringList> filesByOffice(const QString &folder)
{
    static const QRegularExpression name(QStringLiteral("^(\\d{6})(_[^/]*)?\\.json$"));
    QHash<QString, QStringList> out;
    const QDir dir(folder);
    for (const QString &file : dir.entryList({QStringLiteral("*.json")}, QDir::Files | QDir::System, QDir::Name)) {
        const auto m = name.match(file);
        if (m.hasMatch())
            out[m.captured(1)].append(dir.filePath(file));
    }
    return out;
}

/// The data files of a folder and what they looked like when listed.
struct Listing {
    QString areaFile;
    QHash<QString, QStringList> forecasts, overviews, warnings;
    QByteArray signature; ///< names, inodes, sizes and modification times of every file

    explicit Listing(const QString &folder)
    {
        const QDir dir(folder);
        areaFile = dir.filePath(QStringLiteral("area.json"));
        forecasts = filesByOffice(dir.filePath(QStringLiteral("forecast")));
        overviews = filesByOffice(dir.filePath(QStringLiteral("overview_forecast")));
        warnings = filesByOffice(dir.filePath(QStringLiteral("warning")));
        const auto r8 = filesByOffice(dir.filePath(QStringLiteral("warning-r8")));
        for (auto it = r8.begin(); it != r8.end(); ++it)
            warnings[it.key()].append(it.value());
        QStringList all{areaFile};
        for (const auto *group : {&forecasts, &overviews, &warnings})
            for (const QStringList &paths : *group)
                all.append(paths);
        all.sort();
        for (const QString &path : all)
            sign(path);
    }

private:
    void sign(const QString &path)
    {
        struct stat st {};
        signature += QFile::encodeName(path);
        if (::stat(QFile::encodeName(path).constData(), &st) == 0)
            signature += QByteArray::number(qulonglong(st.st_ino)) + ' ' + QByteArray::number(qlonglong(st.st_size)) +
                         ' ' + QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.' +
                         QByteArray::number(qlonglong(st.st_mtim.tv_nsec));
        signature += '\n';
    }
};

struct FdCloser {
    int fd;
    ~FdCloser() { ::close(fd); }
};

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
        if (readRegularFile(path, OfflineSource::kMaxFileBytes, bytes, fileError))
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

/// Everything read from the folder at one time.
struct OfflineSource::Snapshot {
    QByteArray signature;
    std::shared_ptr<const AreaTree> areas;
    QHash<QString, std::shared_ptr<const ForecastReport>> reports;
    QHash<QString, std::vector<std::shared_ptr<const Overview>>> overviews;
    QHash<QString, QString> badOffices;   ///< office -> why its only files could not be read
    QHash<QString, QString> badOverviews; ///< office -> why none of its overview files could be read
    QHash<QString, std::shared_ptr<const WarningReport>> warningFiles;
    QHash<QString, QString> badWarningFiles; ///< office -> why none of its warning files could be used
    QStringList warnings;

    /// Reads the listed files; null with error set when area.json is missing or bad.
    static std::shared_ptr<const Snapshot> Read(const Listing &files, const QDateTime &asOf, QString &error);
};

std::shared_ptr<const OfflineSource::Snapshot> OfflineSource::Snapshot::Read(const Listing &files,
                                                                             const QDateTime &asOf, QString &error)
{
    auto s = std::make_shared<Snapshot>();
    s->signature = files.signature;
    QByteArray bytes;
    QString why;
    if (readRegularFile(files.areaFile, kMaxFileBytes, bytes, why))
        s->areas = AreaTree::Parse(bytes, why);
    if (!s->areas) {
        error = QStringLiteral("%1: %2").arg(files.areaFile, why);
        return nullptr;
    }
    for (auto it = files.forecasts.begin(); it != files.forecasts.end(); ++it) {
        QString lastError;
        const auto chosen = newestReport<ForecastReport>(it.value(), asOf, s->warnings, lastError);
        if (chosen)
            s->reports.insert(it.key(), chosen);
        else if (!lastError.isEmpty())
            s->badOffices.insert(it.key(), lastError);
    }
    for (auto it = files.overviews.begin(); it != files.overviews.end(); ++it) {
        for (const QString &path : it.value()) {
            QString fileError;
            std::shared_ptr<const Overview> overview;
            if (readRegularFile(path, kMaxFileBytes, bytes, fileError))
                overview = Overview::Parse(bytes, fileError);
            if (overview) {
                s->overviews[it.key()].push_back(overview);
                continue;
            }
            const QString problem = QStringLiteral("%1: %2").arg(QFileInfo(path).fileName(), fileError);
            s->warnings.append(problem);
            s->badOverviews.insert(it.key(), problem);
        }
    }
    for (auto it = files.warnings.begin(); it != files.warnings.end(); ++it) {
        QString lastError;
        const auto chosen = newestReport<WarningReport>(it.value(), asOf, s->warnings, lastError);
        if (chosen)
            s->warningFiles.insert(it.key(), chosen);
        else
            s->badWarningFiles.insert(it.key(), lastError.isEmpty() ? QStringLiteral("no warning file issued by then")
                                                                    : lastError);
    }
    return s;
}

bool readRegularFile(const QString &path, qint64 maxBytes, QByteArray &bytes, QString &error)
{
    // Not blocking: opening a pipe without a writer would wait for one.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    const FdCloser closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = QStringLiteral("not a regular file");
        return false;
    }
    // The size stat gives may be stale or wrong: the bound is on what is read.
    bytes.clear();
    char chunk[64 * 1024];
    while (bytes.size() <= maxBytes) {
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = QString::fromLocal8Bit(std::strerror(errno));
            return false;
        }
        if (n == 0)
            return true;
        bytes.append(chunk, qsizetype(n));
    }
    bytes.clear();
    error = QStringLiteral("larger than %1 bytes").arg(maxBytes);
    return false;
}

std::unique_ptr<OfflineSource> OfflineSource::Open(const QString &folder, const QDateTime &asOf, QString &error)
{
    std::unique_ptr<OfflineSource> source(new OfflineSource());
    source->m_folder = folder;
    source->m_asOf = asOf;
    source->m_snapshot = Snapshot::Read(Listing(folder), asOf, error);
    if (!source->m_snapshot)
        return nullptr;
    source->m_checked = std::chrono::steady_clock::now();
    return source;
}

OfflineSource::~OfflineSource() = default;

std::shared_ptr<const OfflineSource::Snapshot> OfflineSource::current()
{
    std::lock_guard lock(m_mutex);
    const auto now = std::chrono::steady_clock::now();
    if (now - m_checked < kRescanInterval)
        return m_snapshot;
    m_checked = now;
    const Listing files(m_folder);
    if (files.signature == m_snapshot->signature)
        return m_snapshot;
    QString error;
    auto next = Snapshot::Read(files, m_asOf, error);
    if (!next) {
        // Keep serving what was read before; a half-written area.json is read again once it changes.
        qWarning("offline data: %s (keeping the data read before)", qPrintable(error));
        auto kept = std::make_shared<Snapshot>(*m_snapshot);
        kept->signature = files.signature;
        m_snapshot = kept;
        return m_snapshot;
    }
    for (const QString &problem : next->warnings)
        qWarning("offline data: %s", qPrintable(problem));
    m_snapshot = next;
    return m_snapshot;
}

QStringList OfflineSource::Warnings()
{
    return current()->warnings;
}

AreasResult OfflineSource::Areas()
{
    return {current()->areas, {}};
}

OfficeResult OfflineSource::Office(const QString &fileOffice)
{
    const auto s = current();
    OfficeResult out;
    out.report = s->reports.value(fileOffice);
    if (!out.report) {
        const auto bad = s->badOffices.constFind(fileOffice);
        out.error = bad != s->badOffices.constEnd()
                        ? ServiceError{502, QStringLiteral("bad forecast data: %1").arg(*bad)}
                        : ServiceError{404, QStringLiteral("no forecast data for office %1").arg(fileOffice)};
        return out;
    }
    out.now = out.report->reportTime;
    // The overview written for this very report: the closest one in time.
    qint64 best = -1;
    for (const auto &overview : s->overviews.value(fileOffice)) {
        const qint64 distance = qAbs(overview->reportTime.secsTo(out.report->reportTime));
        if (best < 0 || distance < best) {
            best = distance;
            out.overview = overview;
        }
    }
    if (!out.overview)
        out.overviewError = s->badOverviews.value(fileOffice);
    return out;
}

WarningResult OfflineSource::WarningFile(const QString &office)
{
    const auto s = current();
    WarningResult out;
    out.report = s->warningFiles.value(office);
    if (!out.report)
        out.error = s->badWarningFiles.value(office, QStringLiteral("no warning file for office %1").arg(office));
    return out;
}

} // namespace forecastd
