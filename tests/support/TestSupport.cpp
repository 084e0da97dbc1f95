#include "TestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

#include <csignal>

namespace testsupport {

QString dataPath(const QString &relative)
{
    return QDir(QStringLiteral(SKYCASTER_TEST_DATA_DIR)).filePath(relative);
}

QByteArray readAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray pngBytes(const QColor &colour)
{
    QImage image(50, 31, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QString artifactPath(const QString &fileName)
{
    QString dir = qEnvironmentVariable("SKYCASTER_ARTIFACTS", QStringLiteral(SKYCASTER_ARTIFACTS_DIR));
    QDir().mkpath(dir);
    return QDir(dir).filePath(fileName);
}

FileSizeLimit::FileSizeLimit(rlim_t bytes)
{
    // A write past the limit fails with EFBIG instead of ending the process.
    std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &m_old);
    const rlimit limit{bytes, m_old.rlim_max};
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &m_old);
}

} // namespace testsupport
