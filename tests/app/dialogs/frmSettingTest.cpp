// The settings dialog frame: Changed as OK's state, save/cancel paths, position.
#include "frmSetting.h"
#include "DialogFixture.h"
#include "DialogLayout.h"
#include "Twips.h"
#include "cPortEdit.h"
#include "frmCommSetting.h"
#include "frmGeneralSetting.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>

#include <functional>

using namespace ro;

namespace {

// Runs `inside` once the modal loop of ShowSettingManager is running.
bool ShowAndDrive(frmSetting &dialog, std::function<void()> inside, QWidget *owner = nullptr)
{
    bool ran = false;
    QTimer::singleShot(0, &dialog, [&] {
        ran = true;
        inside();
        // Whatever the step did, never leave a test hanging in the modal loop.
        if (dialog.isVisible())
            QTimer::singleShot(0, &dialog, [&dialog] { dialog.done(QDialog::Rejected); });
    });
    const bool result = dialog.ShowSettingManager(owner);
    EXPECT_TRUE(ran);
    return result;
}

const QByteArray kChosenCity = "CityID=063\r\nShowTopMost=True\r\nShowDeskTop=True\r\n";
const QByteArray kProxy = "Method=1\r\nProxyServer=proxy.example\r\nProxyPort=8080\r\n";

} // namespace

using frmSettingTest = DialogFixture;

TEST_F(frmSettingTest, FilledDialogStartsUnchangedAndEscapeLeavesWithoutWriting)
{
    WriteIni(kChosenCity, kProxy);
    const QByteArray before = IniBytes();
    frmSetting dialog;
    bool okEnabled = true;
    bool visible = false;
    const bool saved = ShowAndDrive(dialog, [&] {
        okEnabled = dialog.cmdOK()->isEnabled();
        visible = dialog.isVisible();
        // The pages really were filled (filling fires every change handler).
        EXPECT_TRUE(frmGeneralSetting::IsMarked(dialog.GeneralPage()->FindNode(QStringLiteral("ID:063"))));
        EXPECT_EQ(dialog.CommPage()->txtProxyPort()->text(), QStringLiteral("8080"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    });
    EXPECT_TRUE(visible);
    EXPECT_FALSE(okEnabled);
    EXPECT_FALSE(saved);
    EXPECT_TRUE(m_boxes.Shown().empty());
    EXPECT_EQ(IniBytes(), before);
}

TEST_F(frmSettingTest, OkSavesBothPagesAndShadowSettingsEvenWhenOnlyOneWasEdited)
{
    WriteIni(kChosenCity, kProxy);
    frmSetting dialog;
    const bool saved = ShowAndDrive(dialog, [&] {
        dialog.TabControl()->setCurrentIndex(0);
        QTest::mouseClick(dialog.GeneralPage()->chkShowTopMost(), Qt::LeftButton);
        EXPECT_TRUE(dialog.Changed());
        QTest::keyClick(&dialog, Qt::Key_Return); // Enter = the default button
    });
    EXPECT_TRUE(saved);
    EXPECT_TRUE(m_boxes.Shown().empty());
    const auto after = Reread();
    EXPECT_FALSE(after->ShowTopMost());
    EXPECT_EQ(after->CityID(), QStringLiteral("063"));
    EXPECT_EQ(after->Method(), 1);
    EXPECT_EQ(after->ProxyServer(), QStringLiteral("proxy.example"));
    const QString ini = QString::fromUtf8(IniBytes());
    for (const char *key : {"ShowDeskTop=True", "ProxyAuthentication=False",
                            "ProxyUser=", "ProxyPassword=", "ForecastmapURL=", "WeatherServiceURL=", "GetSpan=60"})
        EXPECT_TRUE(ini.contains(QLatin1String(key))) << key << "\n" << ini.toStdString();
    EXPECT_TRUE(ini.contains(QStringLiteral("[SkinStyle]")));
}

TEST_F(frmSettingTest, CancelQuestionNoWritesNothingCancelStaysOpenYesSaves)
{
    WriteIni(kChosenCity, kProxy);
    const QByteArray before = IniBytes();
    {
        frmSetting dialog;
        m_boxes.Answer(vbCancel);
        m_boxes.Answer(vbNo);
        const bool saved = ShowAndDrive(dialog, [&] {
            QTest::keyClicks(dialog.CommPage()->txtProxyServer(), QStringLiteral("x"));
            QTest::mouseClick(dialog.cmdCancel(), Qt::LeftButton);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_TRUE(dialog.cmdOK()->isEnabled());
            QTest::mouseClick(dialog.cmdCancel(), Qt::LeftButton);
            EXPECT_FALSE(dialog.isVisible());
        });
        EXPECT_FALSE(saved);
        ASSERT_EQ(m_boxes.Shown().size(), 2U);
        EXPECT_EQ(m_boxes.Shown()[0].prompt, QStringLiteral("変更を保存して終了しますか？"));
        EXPECT_EQ(m_boxes.Shown()[0].title, QStringLiteral("設定の保存"));
        EXPECT_EQ(m_boxes.Shown()[0].style, vbYesNoCancel | vbQuestion);
        EXPECT_EQ(IniBytes(), before);
    }
    m_boxes.Clear();
    {
        frmSetting dialog;
        m_boxes.Answer(vbYes);
        const bool saved = ShowAndDrive(dialog, [&] {
            QTest::keyClicks(dialog.CommPage()->txtProxyServer(), QStringLiteral("y"));
            QTest::keyClick(&dialog, Qt::Key_Escape);
        });
        EXPECT_TRUE(saved);
        EXPECT_EQ(Reread()->ProxyServer(), QStringLiteral("proxy.exampley"));
    }
}

TEST_F(frmSettingTest, InvalidConnectionPageSelectsItsTabAndKeepsTheDialogOpen)
{
    WriteIni(kChosenCity);
    const QByteArray before = IniBytes();
    frmSetting dialog;
    m_boxes.Answer(vbYes);
    int tabAfter = -1;
    bool openAfter = false;
    ShowAndDrive(dialog, [&] {
        frmCommSetting *comm = dialog.CommPage();
        dialog.TabControl()->setCurrentIndex(1);
        QTest::mouseClick(comm->optMethod(1), Qt::LeftButton, Qt::NoModifier,
                          QPoint(5, comm->optMethod(1)->height() / 2));
        ASSERT_TRUE(comm->optMethod(1)->isChecked());
        comm->txtProxyServer()->clear();
        comm->txtProxyPort()->clear();
        dialog.TabControl()->setCurrentIndex(0);
        QTest::keyClick(&dialog, Qt::Key_Escape); // Cancel path, answered Yes = save
        tabAfter = dialog.TabControl()->currentIndex();
        openAfter = dialog.isVisible();
    });
    EXPECT_EQ(tabAfter, 1);
    EXPECT_TRUE(openAfter);
    // Only the first refusal of the first invalid rule is reported.
    ASSERT_EQ(m_boxes.Shown().size(), 2U);
    EXPECT_EQ(m_boxes.Shown()[1].prompt, QStringLiteral("プロキシサーバーが入力されていません"));
    EXPECT_EQ(m_boxes.Shown()[1].title, QStringLiteral("入力値不正"));
    EXPECT_EQ(m_boxes.Shown()[1].style & 0x70, vbExclamation);
    EXPECT_EQ(IniBytes(), before);
}

TEST_F(frmSettingTest, GeneralPageRefusesFirstAndConnectionPageIsThenNotAsked)
{
    WriteIni(QByteArray(), "Method=1\r\n"); // no city, no proxy server
    frmSetting dialog;
    dialog.show();
    dialog.GeneralPage()->GetProperty();
    dialog.CommPage()->GetProperty();
    dialog.TabControl()->setCurrentIndex(1);
    EXPECT_FALSE(dialog.SaveSettings());
    ASSERT_EQ(m_boxes.Shown().size(), 1U);
    EXPECT_EQ(m_boxes.Shown()[0].prompt, QStringLiteral("表示する地域が選択されていません"));
    EXPECT_EQ(dialog.TabControl()->currentIndex(), 0);
    EXPECT_TRUE(Reread()->CityID().isEmpty());
}

TEST_F(frmSettingTest, LayoutFollowsTheDesignAtTheScreensResolution)
{
    frmSetting dialog;
    const double tx = twips::TwipsPerPixelX(dialog.screen());
    const double ty = twips::TwipsPerPixelY(dialog.screen());
    EXPECT_NEAR(dialog.width() * tx, 6630, tx);
    EXPECT_NEAR(dialog.height() * ty, 5010, ty);
    EXPECT_NEAR(dialog.cmdOK()->x() * tx, 3600, tx);
    EXPECT_NEAR(dialog.cmdCancel()->x() * tx, 5130, tx);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("設定画面"));
    EXPECT_EQ(dialog.TabControl()->tabText(0), QStringLiteral("基本設定"));
    EXPECT_EQ(dialog.TabControl()->tabText(1), QStringLiteral("接続設定"));
    EXPECT_FALSE(dialog.TabControl()->tabIcon(0).isNull());
    EXPECT_EQ(dialog.cmdCancel()->text(), QStringLiteral("キャンセル"));
    EXPECT_TRUE(dialog.cmdOK()->isDefault());
    EXPECT_EQ(dialog.font().family(), QStringLiteral("MS UI Gothic"));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize()); // fixed border
    EXPECT_EQ(dialog.GeneralPage()->objParent(), &dialog);
    EXPECT_EQ(dialog.CommPage()->objParent(), &dialog);
    // Every control can be named by a screen reader, in Japanese.
    const frmGeneralSetting *g = dialog.GeneralPage();
    const frmCommSetting *c = dialog.CommPage();
    const QWidget *controls[] = {dialog.TabControl(), g->TreeView1(),
                                 g->chkShowDeskTop(), g->chkShowTopMost(),
                                 g->cmdGetCities(),   c->optMethod(0),
                                 c->optMethod(1),     c->txtProxyServer(),
                                 c->txtProxyPort(),   c->chkProxyAuthentication(),
                                 c->txtProxyUser(),   c->txtProxyPassword(),
                                 dialog.cmdOK(),      dialog.cmdCancel()};
    for (const QWidget *w : controls) {
        EXPECT_FALSE(w->accessibleName().isEmpty()) << w->metaObject()->className();
        EXPECT_NE(w->focusPolicy(), Qt::NoFocus) << w->accessibleName().toStdString();
    }
    // The substitute font is wider than the design's: no caption may be cut off.
    for (const QWidget *w : dialog.findChildren<QWidget *>()) {
        if (w->inherits("QAbstractButton") || w->inherits("QLabel")) {
            EXPECT_LE(w->sizeHint().width(), w->width()) << w->metaObject()->className();
        }
    }
}

TEST_F(frmSettingTest, SkinIsAStyleSheetFileAndAMissingOneIsIgnored)
{
    {
        frmSetting dialog;
        EXPECT_TRUE(dialog.styleSheet().isEmpty());
    }
    AppSettings().setSkinFile(testsupport::dataPath(QStringLiteral("dialogs/skin.qss")));
    frmSetting skinned;
    EXPECT_TRUE(skinned.styleSheet().contains(QStringLiteral("rgb(1, 2, 3)")));
}

TEST(CentredPosition, CentresOnScreenOrOwnerRoundsHalvesToEvenAndStaysOnScreen)
{
    const QSizeF screen(12000, 9000);
    const QSizeF dialog(6631, 5011);
    // (12000 - 6631) / 2 = 2684.5 -> 2684; (9000 - 5011) / 2 = 1994.5 -> 1994
    EXPECT_EQ(dialogs::CentredPosition(screen, dialog, nullptr), QPoint(2684, 1994));
    const QSizeF odd(6629, 5013);
    // 2685.5 -> 2686; 1993.5 -> 1994
    EXPECT_EQ(dialogs::CentredPosition(screen, odd, nullptr), QPoint(2686, 1994));
    const QRectF owner(3000, 2000, 4000, 3000);
    EXPECT_EQ(dialogs::CentredPosition(screen, QSizeF(2000, 1000), &owner), QPoint(4000, 3000));
    const QRectF nearCorner(10000, 8000, 1500, 900);
    EXPECT_EQ(dialogs::CentredPosition(screen, dialog, &nearCorner), QPoint(12000 - 6631, 9000 - 5011));
    const QRectF nearOrigin(0, 0, 300, 300);
    EXPECT_EQ(dialogs::CentredPosition(screen, dialog, &nearOrigin), QPoint(0, 0));
}

TEST_F(frmSettingTest, ShowSettingManagerCentresOverTheScreenOrTheOwner)
{
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    frmSetting dialog;
    QPoint centre;
    int frame = 0; // the window frame is only known once shown
    ShowAndDrive(dialog, [&] {
        centre = dialog.frameGeometry().center();
        frame = dialog.frameGeometry().width() - dialog.width() + dialog.frameGeometry().height() - dialog.height();
    });
    EXPECT_LE((centre - screen.center()).manhattanLength(), frame + 2);

    QWidget owner;
    owner.setGeometry(screen.x() + 10, screen.y() + 20, 200, 100); // smaller than the dialog
    owner.show();
    frmSetting owned;
    QPoint topLeft;
    ShowAndDrive(
        owned, [&] { topLeft = owned.frameGeometry().topLeft(); }, &owner);
    EXPECT_GE(topLeft.x(), screen.x());
    EXPECT_GE(topLeft.y(), screen.y());
    EXPECT_LE(topLeft.x(), screen.x() + 10);
}

TEST_F(frmSettingTest, ScreenshotsOfBothPages)
{
    WriteIni(kChosenCity, kProxy + "ProxyAuthentication=True\r\nProxyUser=taro\r\n");
    frmSetting dialog;
    ShowAndDrive(dialog, [&] {
        dialog.TabControl()->setCurrentIndex(0);
        const QPixmap general = dialog.grab();
        dialog.TabControl()->setCurrentIndex(1);
        const QPixmap comm = dialog.grab();
        EXPECT_TRUE(general.save(testsupport::artifactPath(QStringLiteral("dialogs-frmSetting-general.png"))));
        EXPECT_TRUE(comm.save(testsupport::artifactPath(QStringLiteral("dialogs-frmSetting-connection.png"))));
        EXPECT_NE(general.toImage(), comm.toImage());
    });
}
