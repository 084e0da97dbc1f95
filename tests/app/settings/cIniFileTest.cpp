#include "cIniFile.h"
#include "Cp932.h"
#include "IFormWindow.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class IniFileTest : public ::testing::Test {
protected:
    QString path(const QString &name = QStringLiteral("test.ini")) const { return m_dir.filePath(name); }
    QString copyFixture(const QString &name)
    {
        const QString target = path(name);
        testsupport::writeFile(target, testsupport::readAll(testsupport::dataPath(QStringLiteral("settings/") + name)));
        return target;
    }
    cIniFile aim(const QString &file, const QString &section, const QString &key, const QString &def = {})
    {
        cIniFile ini;
        ini.setPath(file);
        ini.setSection(section);
        ini.setKEY(key);
        ini.setDefault(def);
        return ini;
    }

    QTemporaryDir m_dir;
};

TEST_F(IniFileTest, AbsentKeySectionOrFileReadsDefault)
{
    const QString file = path();
    EXPECT_EQ(aim(file, "General", "CityID", "fallback").Value(), "fallback");
    EXPECT_EQ(aim(file, "General", "CityID").Value(), "");
    testsupport::writeFile(file, "[General]\nOther=1\n");
    EXPECT_EQ(aim(file, "General", "CityID", "x").Value(), "x");
    EXPECT_EQ(aim(file, "Missing", "Other", "y").Value(), "y");
    EXPECT_EQ(aim(file, "General", "Other", "y").Value(), "1");
}

TEST_F(IniFileTest, HandWrittenFileReadsLikeTheProfileFunctions)
{
    const QString file = copyFixture("handwritten-crlf.ini");
    // Names in any case and with blanks around them; the first of two equal keys wins.
    EXPECT_EQ(aim(file, "GENERAL", "cityID").Value(), "130010");
    EXPECT_EQ(aim(file, "general", "UnknownKey").Value(), "keep me");
    EXPECT_EQ(aim(file, "General", "LastPublicTime").Value(), "2024/05/01 11:00:00");
    EXPECT_EQ(aim(file, "Communication", "ProxyServer").Value(), QString::fromUtf8("東京プロキシ"));
    EXPECT_EQ(aim(file, "Extra", "Note").Value(), "untouched");
    // A comment is not a key.
    EXPECT_EQ(aim(file, "General", "# a comment", "d").Value(), "d");
}

TEST_F(IniFileTest, LongValuesAreCutAt254CodePageBytes)
{
    const QString file = path();
    const QString ascii(300, u'x');
    const QString kanji = QString(127, QChar(0x6C17)); // 気: two bytes each, 254 in all
    cIniFile ini = aim(file, "S", "ascii");
    ini.setValue(ascii);
    ASSERT_TRUE(ini.Success());
    EXPECT_EQ(ini.Value(), ascii.left(254));
    ini.setKEY("kanji");
    ini.setValue(kanji + u'z');
    EXPECT_EQ(ini.Value(), kanji);
    // A double-byte character that would straddle the limit is left out whole.
    ini.setKEY("odd");
    ini.setValue(u'a' + kanji);
    EXPECT_EQ(ini.Value(), u'a' + kanji.left(126));
    // The whole value stays in the file.
    EXPECT_TRUE(testsupport::readAll(file).contains(ascii.toLatin1()));
}

TEST_F(IniFileTest, SuccessReflectsOnlyWrites)
{
    const QString file = path();
    testsupport::writeFile(file, "[S]\nk=v\n");
    cIniFile ini = aim(file, "S", "k");
    EXPECT_EQ(ini.Value(), "v");
    EXPECT_FALSE(ini.Success());
    EXPECT_EQ(ini.LastReturnCode(), 0);
    ini.setValue("w");
    EXPECT_TRUE(ini.Success());
    EXPECT_NE(ini.LastReturnCode(), 0);
}

TEST_F(IniFileTest, WriteCreatesFileSectionAndKeyOwnerOnly)
{
    const QString file = path();
    cIniFile ini = aim(file, "General", "CityID");
    ini.setValue(QString::fromUtf8("a") + QChar(0) + QString::fromUtf8("b"));
    ASSERT_TRUE(ini.Success());
    EXPECT_EQ(testsupport::readAll(file), "[General]\nCityID=ab\n");
    EXPECT_EQ(QFileInfo(file).permissions() &
                  (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther),
              QFileDevice::Permissions());
    // A second key goes into the same section, a new section at the end.
    ini.setKEY("Span");
    ini.setValue("60");
    ini.setSection("Position");
    ini.setKEY("PosX");
    ini.setValue("-100");
    EXPECT_EQ(testsupport::readAll(file), "[General]\nCityID=ab\nSpan=60\n[Position]\nPosX=-100\n");
    // No leftover temporary files beside it.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"test.ini"});
}

TEST_F(IniFileTest, LineBreaksInAValueCannotInjectKeys)
{
    const QString file = path();
    cIniFile ini = aim(file, "Communication", "ProxyUser");
    ini.setValue("bob\r\n[General]\nCityID=666");
    EXPECT_EQ(aim(file, "General", "CityID", "none").Value(), "none");
    EXPECT_EQ(ini.Value(), "bob[General]CityID=666");
}

TEST_F(IniFileTest, WritingKeepsEveryOtherLineByteForByte)
{
    const QString file = copyFixture("handwritten-crlf.ini");
    const QByteArray before = testsupport::readAll(file);

    cIniFile ini = aim(file, "General", "CityID");
    ini.setValue("140010");
    ini.setKEY("NewKey");
    ini.setValue("n");
    ini.setSection("Fresh");
    ini.setKEY("k");
    ini.setValue("v");
    ASSERT_TRUE(ini.Success());

    QByteArray expected = before;
    expected.replace("  CityID   =  130010  \r\n", "CityID=140010\r\n");
    expected.replace("LastPublicTime=\"2024/05/01 11:00:00\"\r\n",
                     "LastPublicTime=\"2024/05/01 11:00:00\"\r\nNewKey=n\r\n");
    expected += "\r\n[Fresh]\r\nk=v\r\n";
    EXPECT_EQ(testsupport::readAll(file), expected);
    // The first of the duplicates changed; the second is still shadowed.
    EXPECT_EQ(aim(file, "general", "cityid").Value(), "140010");
}

TEST_F(IniFileTest, JapaneseStaysCp932AndOtherTextSwitchesToUtf8)
{
    const QString file = path();
    const QString japanese = QString::fromUtf8("大阪府大阪市");
    cIniFile ini = aim(file, "Communication", "ProxyServer");
    ini.setValue(japanese);
    const QByteArray cp932 = testsupport::readAll(file);
    EXPECT_TRUE(cp932.contains(*codepage::toCp932(japanese)));
    EXPECT_EQ(ini.Value(), japanese);

    // é and an emoji have no CP932 form: the file becomes UTF-8 with a BOM, nothing turns into "?".
    const QString home = QString::fromUtf8("/home/josé/😀/𠮷");
    ini.setSection("SkinStyle");
    ini.setKEY("Path");
    ini.setValue(home);
    const QByteArray utf8 = testsupport::readAll(file);
    EXPECT_TRUE(utf8.startsWith("\xEF\xBB\xBF"));
    EXPECT_FALSE(utf8.contains('?'));
    EXPECT_EQ(ini.Value(), home);
    EXPECT_EQ(aim(file, "Communication", "ProxyServer").Value(), japanese);

    // Later CP932-only writes keep the file UTF-8.
    ini.setValue("plain");
    EXPECT_TRUE(testsupport::readAll(file).startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(aim(file, "Communication", "ProxyServer").Value(), japanese);
}

TEST_F(IniFileTest, Cp932BytesThatLookLikeUtf8StillReadBack)
{
    // Halfwidth katakana "ﾃｩ" is C3 A9 in CP932, which is "é" in UTF-8.
    const QString file = path();
    const QString katakana = QString::fromUtf8("ﾃｩ");
    cIniFile ini = aim(file, "General", "LastAccessCityID");
    ini.setValue(katakana);
    EXPECT_EQ(ini.Value(), katakana);
}

TEST_F(IniFileTest, BrokenLinesKeepTheirMeaningWhenTheFileTurnsUtf8)
{
    // The third line is neither CP932 nor UTF-8; read as UTF-8 bytes it would open a section "[Other".
    const QString file = path();
    testsupport::writeFile(file, "[General]\nA=1\n\xEF\xBB\xBF[Other\x80\nB=2\n");
    cIniFile ini = aim(file, "General", "CityID");
    ini.setValue(QString::fromUtf8("josé"));
    ASSERT_TRUE(testsupport::readAll(file).startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(aim(file, "General", "B").Value(), "2");
    EXPECT_EQ(ini.Value(), QString::fromUtf8("josé"));
}

TEST_F(IniFileTest, Utf8FileWithoutBomIsReadAndKeptAsUtf8)
{
    const QString file = copyFixture("utf8-nobom.ini");
    EXPECT_EQ(aim(file, "General", "LastAccessCityID").Value(), QString::fromUtf8("café ☀"));
    cIniFile ini = aim(file, "General", "CityID");
    ini.setValue(QString::fromUtf8("東京"));
    const QByteArray bytes = testsupport::readAll(file);
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_TRUE(bytes.contains(QString::fromUtf8("CityID=東京").toUtf8()));
}

TEST_F(IniFileTest, DeleteKeyAndSection)
{
    const QString file = path();
    testsupport::writeFile(file, "[A]\nk=1\nK=dup\nj=2\n[B]\nx=1\n[a]\nk=3\n");
    cIniFile ini = aim(file, "a", "k");
    ini.DeleteKey();
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(testsupport::readAll(file), "[A]\nj=2\n[B]\nx=1\n[a]\nk=3\n");
    ini.DeleteSection();
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(testsupport::readAll(file), "[B]\nx=1\n");

    // Deleting from a file that is not there succeeds and creates nothing.
    cIniFile none = aim(path("none.ini"), "A", "k");
    none.DeleteKey();
    EXPECT_TRUE(none.Success());
    EXPECT_FALSE(QFile::exists(path("none.ini")));
}

TEST_F(IniFileTest, ListsSectionsAndKeys)
{
    const QString file = path();
    testsupport::writeFile(file, "[A]\nk1=1\n; note\nk2=2\n\n[B]\n");
    cIniFile ini = aim(file, "A", "");
    EXPECT_EQ(ini.Sections(), QString("A") + QChar(0) + "B" + QChar(0));
    EXPECT_EQ(ini.INISection(), QString("k1") + QChar(0) + "k2" + QChar(0));

    QStringList names{"stale"};
    int count = -1;
    ini.EnumerateAllSections(names, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, (QStringList{"A", "B"}));
    ini.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(names, (QStringList{"k1", "k2"}));

    cIniFile missing = aim(path("missing.ini"), "A", "");
    missing.EnumerateAllSections(names, count);
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(names.isEmpty());
    missing.EnumerateCurrentSection(names, count);
    EXPECT_EQ(count, 0);

    // Assigning a section's key list replaces its keys and keeps its comment.
    ini.setINISection(QString("n=1") + QChar(0) + "m=2" + QChar(0));
    EXPECT_TRUE(ini.Success());
    EXPECT_EQ(testsupport::readAll(file), "[A]\nn=1\nm=2\n; note\n\n[B]\n");
}

TEST_F(IniFileTest, ClngDefaultConvertsLikeTheRuntime)
{
    EXPECT_EQ(cIniFile::CLngDefault("12abc", 7), 7);
    EXPECT_EQ(cIniFile::CLngDefault(" 42 ", 7), 42);
    EXPECT_EQ(cIniFile::CLngDefault("2.5", 0), 2);
    EXPECT_EQ(cIniFile::CLngDefault("3.5", 0), 4);
    EXPECT_EQ(cIniFile::CLngDefault("-2.5", 9), -2);
    EXPECT_EQ(cIniFile::CLngDefault("", 9), 9);
    EXPECT_EQ(cIniFile::CLngDefault("FAIL", 9), 9);
    EXPECT_EQ(cIniFile::CLngDefault("2147483647", 9), 2147483647);
    EXPECT_EQ(cIniFile::CLngDefault("2147483648", 9), 9);
    EXPECT_EQ(cIniFile::CLngDefault("-2147483648", 9), -2147483647 - 1);
    EXPECT_EQ(cIniFile::CLngDefault("nan", 9), 9);
}

TEST_F(IniFileTest, FailedWritesLeaveTheOldFileIntact)
{
    // A folder that is not there: nothing is created, the write reports failure.
    cIniFile lost = aim(path("no/such/folder/x.ini"), "A", "k");
    lost.setValue("v");
    EXPECT_FALSE(lost.Success());

    // A full disk (file size limit): the old file keeps every byte.
    const QString file = path();
    const QByteArray old = "[General]\nCityID=130010\n";
    testsupport::writeFile(file, old);
    cIniFile ini = aim(file, "General", "Big");
    {
        struct rlimit saved {};
        ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
        auto previous = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit small = saved;
        small.rlim_cur = 64;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        ini.setValue(QString(500, u'x'));
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previous);
    }
    EXPECT_FALSE(ini.Success());
    EXPECT_EQ(testsupport::readAll(file), old);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"test.ini"});

    if (geteuid() == 0)
        return; // the superuser writes everywhere; the rest needs an ordinary user
    // A read-only folder.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    ini.setValue("small");
    EXPECT_FALSE(ini.Success());
    EXPECT_EQ(testsupport::readAll(file), old);
    // A file that cannot be read is never replaced by a file holding one key.
    QFile::setPermissions(m_dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(file, QFileDevice::WriteOwner);
    ini.setValue("small");
    EXPECT_FALSE(ini.Success());
    QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    EXPECT_EQ(testsupport::readAll(file), old);
}

/// A window without a display: 1920 x 1080 pixels at 15 twips per pixel.
class FakeWindow : public IFormWindow {
public:
    int left = 1500, top = 1500, width = 6000, height = 4500, state = 0;
    int moves = 0;
    bool broken = false;
    int Left() const override
    {
        if (broken)
            throw std::runtime_error("no Left");
        return left;
    }
    int Top() const override { return top; }
    int Width() const override { return width; }
    int Height() const override { return height; }
    int WindowState() const override { return state; }
    void setWindowState(int s) override { state = s; }
    void Move(int l, int t, int w, int h) override
    {
        left = l, top = t, width = w, height = h;
        ++moves;
    }
    double TwipsPerPixelX() const override { return 15; }
    double TwipsPerPixelY() const override { return 15; }
    double ScreenWidth() const override { return 1920 * 15.0; }
    double ScreenHeight() const override { return 1080 * 15.0; }
};

TEST_F(IniFileTest, FormPositionSavesOnlyNormalPlacement)
{
    const QString file = path();
    cIniFile ini = aim(file, "frmSetting", "Mine");
    FakeWindow w;
    w.state = 1;
    ini.SaveFormPosition(w);
    EXPECT_FALSE(QFile::exists(file));

    w.state = 0;
    ini.SaveFormPosition(w);
    EXPECT_EQ(testsupport::readAll(file), "[frmSetting]\nMaximised=0\nLeft=1500\nTop=1500\nWidth=6000\nHeight=4500\n");
    EXPECT_EQ(ini.KEY(), "Mine");

    w.state = 2;
    w.left = 0;
    ini.SaveFormPosition(w);
    EXPECT_EQ(testsupport::readAll(file), "[frmSetting]\nMaximised=1\nLeft=1500\nTop=1500\nWidth=6000\nHeight=4500\n");

    FakeWindow restored;
    restored.left = 9;
    ini.LoadFormPosition(restored);
    EXPECT_EQ(restored.left, 1500);
    EXPECT_EQ(restored.state, 2);
}

TEST_F(IniFileTest, FormPositionIsKeptOnScreen)
{
    const QString file = path();
    cIniFile ini = aim(file, "F", "Mine", "MyDefault");
    // Nothing stored: the window's own placement, raised to the minimum size.
    FakeWindow w;
    w.width = 1000;
    ini.LoadFormPosition(w);
    EXPECT_EQ(w.moves, 1);
    EXPECT_EQ(w.left, 1500);
    EXPECT_EQ(w.width, 3000);
    EXPECT_EQ(ini.KEY(), "Mine");
    EXPECT_EQ(ini.Default(), "MyDefault");

    testsupport::writeFile(file, "[F]\nLeft=-5000\nTop=99999\nWidth=junk\nHeight=4000\n");
    ini.LoadFormPosition(w);
    EXPECT_EQ(w.left, 60);               // 4 pixels from the left edge
    EXPECT_EQ(w.top, 16200 - 60 - 4000); // bottom edge 4 pixels above the screen's
    EXPECT_EQ(w.width, 3000);

    // Wider than the screen: the width shrinks to fit between the margins.
    testsupport::writeFile(file, "[F]\nLeft=100\nTop=100\nWidth=40000\nHeight=4000\n");
    ini.LoadFormPosition(w);
    EXPECT_EQ(w.left, 60);
    EXPECT_EQ(w.width, 28800 - 120);

    // Taller than the screen allows with a larger minimum: the window stays as it is.
    testsupport::writeFile(file, "[F]\nLeft=100\nTop=100\nWidth=4000\nHeight=17000\n");
    const int moves = w.moves;
    ini.LoadFormPosition(w, 3000, 16500);
    EXPECT_EQ(w.moves, moves);
}

TEST_F(IniFileTest, FormPositionErrorsAreSwallowed)
{
    const QString file = path();
    cIniFile ini = aim(file, "F", "Mine", "D");
    ini.setValue("x");
    ASSERT_TRUE(ini.Success());
    FakeWindow w;
    w.broken = true;
    ini.SaveFormPosition(w);
    EXPECT_EQ(ini.LastReturnCode(), 0);
    EXPECT_EQ(ini.KEY(), "Mine");
    ini.setValue("x");
    ini.LoadFormPosition(w);
    EXPECT_EQ(ini.LastReturnCode(), 0);
    EXPECT_EQ(ini.KEY(), "Mine");
    EXPECT_EQ(ini.Default(), "D");
    EXPECT_EQ(w.moves, 0);
}

} // namespace
