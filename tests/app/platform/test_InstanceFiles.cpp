#include "InstanceFiles.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

using namespace std::chrono_literals;

namespace {

void writeAged(const QString &path, std::chrono::seconds age)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    const time_t when = time(nullptr) - static_cast<time_t>(age.count());
    const utimbuf times{when, when};
    ASSERT_EQ(utime(QFile::encodeName(path).constData(), &times), 0);
}

TEST(RemoveOwnStaleFiles, OnlyOldFilesOfThisUserWithTheWholeNameGo)
{
    QTemporaryDir dir;
    const QDir d(dir.path());
    const struct {
        const char *name;
        std::chrono::seconds age;
        bool foreign; // owned by another user
        bool kept;
    } cases[] = {
        {"SkycasterAb12Cd.tmp", 2h, false, false}, {"SkycasterAb12Cd.tmp.keep", 2h, false, true},
        {"Skycaster.tmp", 2h, false, true},        {"SkycasterXy34Zw.tmp", 10min, false, true},
        {"SkycasterQq56Rr.tmp", 2h, true, true},   {"other.tmp", 2h, false, true},
    };
    for (const auto &c : cases) {
        writeAged(d.filePath(c.name), c.age);
        if (c.foreign && geteuid() == 0)
            ASSERT_EQ(chown(QFile::encodeName(d.filePath(c.name)).constData(), 65534, 65534), 0);
    }
    ASSERT_EQ(symlink("/etc/hostname", QFile::encodeName(d.filePath("SkycasterLnLnLn.tmp")).constData()), 0);
    platform::RemoveOwnStaleFiles(dir.path(), QRegularExpression("Skycaster[A-Za-z0-9]{6}\\.tmp"), 1h);
    for (const auto &c : cases) {
        if (c.foreign && geteuid() != 0)
            continue;
        EXPECT_EQ(QFile::exists(d.filePath(c.name)), c.kept) << c.name;
    }
    EXPECT_TRUE(QFileInfo(d.filePath("SkycasterLnLnLn.tmp")).isSymLink());
}

TEST(InstanceLock, OneHolderAtATimeAndTheFileNamesOnlyTheProcess)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("skycaster.lock");
    // A lock file an earlier version left, readable by all and naming the host.
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("12345\nskycaster\nsomehost\n");
    old.close();
    {
        const auto first = platform::InstanceLock::TryLock(path);
        ASSERT_TRUE(first);
        EXPECT_FALSE(platform::InstanceLock::TryLock(path));
        struct stat info {};
        ASSERT_EQ(stat(QFile::encodeName(path).constData(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0600U);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), QByteArray::number(getpid()) + '\n');
    }
    EXPECT_TRUE(platform::InstanceLock::TryLock(path));
}

} // namespace
