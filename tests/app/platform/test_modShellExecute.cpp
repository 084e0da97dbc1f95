#include "modShellExecute.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

// The desktop's own association lookup (xdg-mime) runs for real; only starting the program is recorded.
class RecordingLauncher : public modShellExecute::DocumentLauncher {
public:
    bool Open(const QString &absolutePath) override
    {
        opened << absolutePath;
        return startSucceeds;
    }
    QStringList opened;
    bool startSucceeds = true;
};

// A private XDG environment: text/plain is associated with an installed viewer, nothing else is.
class OpenDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        const QString config = dir.filePath(QStringLiteral("config"));
        const QString data = dir.filePath(QStringLiteral("data"));
        testsupport::writeFile(data + QStringLiteral("/applications/skytest-viewer.desktop"),
                               "[Desktop Entry]\nType=Application\nName=Viewer\nExec=true %f\nMimeType=text/plain;\n");
        testsupport::writeFile(config + QStringLiteral("/mimeapps.list"),
                               "[Default Applications]\ntext/plain=skytest-viewer.desktop\n");
        QDir().mkpath(dir.filePath(QStringLiteral("dirs")));
        // The system's MIME database stays visible; its applications do not.
        QFile::link(QStringLiteral("/usr/share/mime"), dir.filePath(QStringLiteral("dirs/mime")));
        saved = {{"XDG_CONFIG_HOME", qgetenv("XDG_CONFIG_HOME")},
                 {"XDG_DATA_HOME", qgetenv("XDG_DATA_HOME")},
                 {"XDG_DATA_DIRS", qgetenv("XDG_DATA_DIRS")},
                 {"XDG_CURRENT_DESKTOP", qgetenv("XDG_CURRENT_DESKTOP")}};
        qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
        qputenv("XDG_DATA_HOME", data.toLocal8Bit());
        qputenv("XDG_DATA_DIRS", dir.filePath(QStringLiteral("dirs")).toLocal8Bit());
        qunsetenv("XDG_CURRENT_DESKTOP");
    }
    void TearDown() override
    {
        for (const auto &[name, value] : saved)
            value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    QString file(const QString &name, const QByteArray &content = "text\n")
    {
        const QString path = dir.filePath(name);
        testsupport::writeFile(path, content);
        return path;
    }

    QTemporaryDir dir;
    RecordingLauncher launcher;
    std::vector<std::pair<const char *, QByteArray>> saved;
};

TEST_F(OpenDocumentTest, AssociatedFileIsHandedToTheOpenerAndSucceeds)
{
    const QString path = file(QStringLiteral("読んでね.txt"));
    EXPECT_EQ(modShellExecute::OpenDocument(nullptr, path, launcher), QString());
    EXPECT_EQ(launcher.opened, QStringList{path});
}

TEST_F(OpenDocumentTest, MissingFileAndMissingFolderAreToldApart)
{
    EXPECT_EQ(modShellExecute::OpenDocument(nullptr, dir.filePath(QStringLiteral("nothing.txt")), launcher),
              QStringLiteral("ファイルが見つかりません。"));
    EXPECT_EQ(modShellExecute::OpenDocument(nullptr, dir.filePath(QStringLiteral("no/such/nothing.txt")), launcher),
              QStringLiteral("パスが見つかりません。"));
    EXPECT_EQ(modShellExecute::OpenDocument(nullptr, QString(), launcher),
              QStringLiteral("ファイルが見つかりません。"));
    EXPECT_TRUE(launcher.opened.isEmpty());
}

TEST_F(OpenDocumentTest, TypeWithoutAssociatedProgramIsReportedNotOpened)
{
    const QString path = file(QStringLiteral("picture.png"), QByteArray::fromHex("89504e470d0a1a0a"));
    EXPECT_EQ(modShellExecute::OpenDocument(nullptr, path, launcher), QStringLiteral("関連付けが指定されていません。"));
    EXPECT_TRUE(launcher.opened.isEmpty());
}

TEST_F(OpenDocumentTest, UnreadableFileIsAccessDenied)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const QString path = file(QStringLiteral("secret.txt"));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    EXPECT_EQ(modShellExecute::OpenDocument(nullptr, path, launcher), QStringLiteral("アクセスは拒否されました。"));
    EXPECT_TRUE(launcher.opened.isEmpty());
}

TEST_F(OpenDocumentTest, OpenerThatCannotStartIsAFailureNotSuccess)
{
    launcher.startSucceeds = false;
    EXPECT_EQ(modShellExecute::OpenDocument(nullptr, file(QStringLiteral("a.txt")), launcher),
              QStringLiteral("メモリまたはリソースが足りません。"));
}

TEST(OpenDocumentMessages, EveryCodeHasItsMessage)
{
    using namespace modShellExecute;
    EXPECT_EQ(MessageForResult(0), QStringLiteral("メモリまたはリソースが足りません。"));
    EXPECT_EQ(MessageForResult(11), QStringLiteral("不正な形式の実行ファイルです。"));
    EXPECT_EQ(MessageForResult(27), QStringLiteral("関連付けが不完全です。"));
    EXPECT_EQ(MessageForResult(26), QStringLiteral("ファイルを開けません。"));
    EXPECT_EQ(MessageForResult(32), QStringLiteral("ファイルを開けません。"));
    EXPECT_EQ(MessageForResult(33), QString());
}

} // namespace
