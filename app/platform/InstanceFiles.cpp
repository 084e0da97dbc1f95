#include "InstanceFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::unique_ptr<InstanceLock> InstanceLock::TryLock(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return nullptr;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return nullptr;
    }
    // A file an older version left is made owner-only too.
    (void)::fchmod(fd, 0600);
    const QByteArray pid = QByteArray::number(static_cast<qint64>(::getpid())) + '\n';
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, pid.constData(), static_cast<size_t>(pid.size()), 0);
    return std::unique_ptr<InstanceLock>(new InstanceLock(fd));
}

InstanceLock::InstanceLock(int fd)
    : m_fd(fd)
{
}

InstanceLock::~InstanceLock()
{
    ::close(m_fd);
}

int RemoveOwnStaleFiles(const QString &folder, const QRegularExpression &name, std::chrono::seconds minAge)
{
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-minAge.count());
    const QRegularExpression whole(QRegularExpression::anchoredPattern(name.pattern()));
    int removed = 0;
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo &entry : entries) {
        if (entry.isSymLink() || entry.ownerId() != ::geteuid() || !whole.match(entry.fileName()).hasMatch() ||
            entry.lastModified().toUTC() > before)
            continue;
        if (QFile::remove(entry.filePath()))
            ++removed;
    }
    return removed;
}

} // namespace platform
