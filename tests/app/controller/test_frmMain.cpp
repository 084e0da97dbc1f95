// The main form's commands from the tray host's menu: the menu it exports and when it takes commands.
#include "AppSettings.h"
#include "PopupControl.h"
#include "TestHttpServer.h"
#include "cWeatherIni.h"
#include "frmMain.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using testsupport::TestHttpServer;

const QString kForecastPath = QStringLiteral("/forecast/webservice/rest/v1");

// The exported menu as a host reads it: "caption enabled|disabled", "-" for a separator.
QStringList hostMenu(const frmMain &form)
{
    QStringList items;
    for (const QAction *action : form.TrayHostMenu()->actions())
        items << (action->isSeparator() ? QStringLiteral("-")
                                        : action->text() + (action->isEnabled() ? QStringLiteral(" enabled")
                                                                                : QStringLiteral(" disabled")));
    return items;
}

class FormWithService : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ASSERT_NE(server.port(), 0);
        SetAppSettings(std::make_unique<cWeatherIni>(dir.filePath(QStringLiteral("Skycaster.ini"))));
        AppSettings().setCityID(QStringLiteral("130010"));
        AppSettings().setWeatherServiceURL(server.url(kForecastPath));
        AppSettings().setShowDeskTop(false);
    }
    void TearDown() override { SetAppSettings(nullptr); }

    QTemporaryDir dir;
    TestHttpServer server;
};

TEST_F(FormWithService, HostMenuIsTheCommandMenuWithDetailsGreyedUntilThereIsSomethingToShow)
{
    frmMain form(nullptr, dir.path());
    form.Load();
    ASSERT_NE(form.TrayHostMenu(), nullptr);
    EXPECT_EQ(hostMenu(form), (QStringList{"最新予報を取得 enabled", "-", "詳細 disabled", "-", "オプション enabled",
                                           "ヘルプ enabled", "-", "終了 enabled"}));

    server.serve(kForecastPath, QByteArray(), 404);
    int day = 0;
    form.RetrieveWeather(day, QString());
    ASSERT_FALSE(form.LastError().isEmpty());
    EXPECT_EQ(hostMenu(form).at(2), QStringLiteral("詳細 enabled")); // the failure can be shown
    form.Unload();
}

TEST_F(FormWithService, QuitEndsTheMenuThatIsOpenAndClosesThePopup)
{
    frmMain form(nullptr, dir.path());
    form.Load();
    form.Popup()->Show(QPoint(10, 10));
    bool menuWasOpen = false;
    // The host's 終了 arrives while the program's own menu waits in its loop.
    QTimer::singleShot(50, &form, [&] {
        menuWasOpen = QApplication::activePopupWidget() != nullptr;
        form.ExecuteCommand(frmMain::QuitCommand);
    });
    QTimer watchdog; // a failure ends the menu instead of hanging the test
    watchdog.callOnTimeout([] { QApplication::closeAllWindows(); });
    watchdog.start(5000);
    form.ShowPopUpMenu(0, 0);
    EXPECT_TRUE(watchdog.isActive()); // the menu ended at once, not by the watchdog
    EXPECT_TRUE(menuWasOpen);
    EXPECT_TRUE(form.QuitRequested());
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_NE(form.Popup()->State(), PopupControl::StateShown);
    form.Unload();
}

TEST_F(FormWithService, NoCommandAndNoTickStartsARetrievalWhileOneRuns)
{
    frmMain form(nullptr, dir.path());
    form.Load();
    testsupport::HttpResponse slow;
    slow.status = 404; // a download failure: the cycle shows it on the widget and the tray, no message box
    slow.delayMs = 1500;
    server.setResponse(kForecastPath, slow);

    int finished = 0;
    QObject::connect(&form, &frmMain::RetrievalFinished, [&] { ++finished; });
    QStringList menuDuring;
    bool busyDuring = false;
    int requestsDuring = 0;
    QTimer::singleShot(400, &form, [&] {
        busyDuring = form.Busy();
        menuDuring = hostMenu(form);
        // A host's click on "最新予報を取得" and a timer tick, both while the download runs.
        form.ExecuteCommand(frmMain::RefreshCommand);
        form.tmrCheck_Timer();
        QTimer::singleShot(300, &form, [&] { requestsDuring = server.requestCount(kForecastPath); });
    });
    int day = 0;
    form.RetrieveWeather(day, QString());

    EXPECT_TRUE(busyDuring);
    EXPECT_EQ(menuDuring, (QStringList{"最新予報を取得 disabled", "-", "詳細 disabled", "-", "オプション disabled",
                                       "ヘルプ disabled", "-", "終了 disabled"}));
    EXPECT_EQ(finished, 1); // no retrieval ran inside the first one
    EXPECT_EQ(requestsDuring, 1);
    EXPECT_EQ(server.requestCount(kForecastPath), 1);
    EXPECT_FALSE(form.Busy());
    EXPECT_EQ(hostMenu(form).first(), QStringLiteral("最新予報を取得 enabled"));
    form.tmrCheck()->stop();
    form.Unload();
}

} // namespace
