#pragma once

#include <QString>

#include <chrono>
#include <memory>

class QRegularExpression;

namespace platform {

/// Held by one process at a time for a given file: an advisory lock the system releases when the process
/// ends, however it ends. The file holds nothing but the process id and only its owner can read it.
class InstanceLock {
public:
    /// The lock, or nullptr while another process holds it (or the file cannot be opened).
    static std::unique_ptr<InstanceLock> TryLock(const QString &path);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

private:
    explicit InstanceLock(int fd);
    int m_fd;
};

/// Removes this user's regular files in `folder` whose whole name matches `name` and which were last
/// changed at least `minAge` ago: copies and downloads a killed run left behind. Returns how many went.
int RemoveOwnStaleFiles(const QString &folder, const QRegularExpression &name, std::chrono::seconds minAge);

} // namespace platform
