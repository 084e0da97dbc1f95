#pragma once

#include "TestPaths.h"

#include <QByteArray>
#include <QColor>
#include <QString>

#include <sys/resource.h>

namespace testsupport {

/// Absolute path of a file under tests/data.
QString dataPath(const QString &relative);

/// Whole content of a file, or an empty array when it cannot be read.
QByteArray readAll(const QString &path);

/// Writes bytes to a file, creating folders; fails the current test on error.
void writeFile(const QString &path, const QByteArray &bytes);

/// A small PNG picture (50 x 31, one colour), as a forecast icon would be served.
QByteArray pngBytes(const QColor &colour = Qt::yellow);

/// Folder for screenshots and images a test leaves behind for people to look at.
QString artifactPath(const QString &fileName);

/// While it lives, files this process writes may grow to `bytes` at most: a full disk, for root too.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    rlimit m_old{};
};

} // namespace testsupport
