#pragma once

#include "ForecastSource.h"

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

#include <chrono>
#include <memory>
#include <mutex>
#include <vector>

namespace forecastd {

/// JMA-format JSON files from a folder: area.json, forecast/{office}[_suffix].json,
/// overview_forecast/{office}[_suffix].json and the warning files warning/{office}[_suffix].json and
/// warning-r8/{office}[_suffix].json (either format in either folder). The clock is pinned to each
/// report's own time. Files changed, added or removed later are read again before the next answer
/// (looked for at most every kRescanInterval); until a new area.json is sound, the old data stays.
class OfflineSource : public ForecastSource {
public:
    static constexpr std::chrono::milliseconds kRescanInterval{100};
    /// Largest data file read; only regular files are read.
    static constexpr qint64 kMaxFileBytes = 16 * 1024 * 1024;

    /// Reads the folder. With a valid `asOf`, takes for each office the newest report (and warning
    /// file) issued at or before it, else the newest. Returns null and sets error when area.json is
    /// missing or bad.
    static std::unique_ptr<OfflineSource> Open(const QString &folder, const QDateTime &asOf, QString &error);
    ~OfflineSource() override;

    AreasResult Areas() override;
    OfficeResult Office(const QString &fileOffice) override;
    WarningResult WarningFile(const QString &office) override;

    /// Problems met while reading the folder (bad files), for the log.
    QStringList Warnings();

    struct Snapshot;

private:
    OfflineSource() = default;
    /// The data as the folder holds it now (read again when its files changed).
    std::shared_ptr<const Snapshot> current();

    QString m_folder;
    QDateTime m_asOf;
    std::mutex m_mutex;
    std::shared_ptr<const Snapshot> m_snapshot;
    std::chrono::steady_clock::time_point m_checked;
};

/// Reads a regular file of at most `maxBytes`; devices, pipes, folders and larger files are refused
/// with error set, without reading more than maxBytes + 1 bytes.
bool readRegularFile(const QString &path, qint64 maxBytes, QByteArray &bytes, QString &error);

} // namespace forecastd
