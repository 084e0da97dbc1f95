// The general page: the city tree, marking, the switches and downloading a new area list.
#include "frmGeneralSetting.h"
#include "DialogFixture.h"
#include "TestHttpServer.h"
#include "frmCommSetting.h"
#include "frmSetting.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidgetItemIterator>

#include <array>
#include <random>

using namespace ro;

namespace {

// The forecast service's area list, served from 127.0.0.1 on a free port.
class AreaListServer {
public:
    explicit AreaListServer(const QByteArray &body, int status = 200)
    {
        EXPECT_NE(m_server.port(), 0);
        m_server.serve(kPath, body, status, "application/xml");
    }
    QByteArray Url() const { return m_server.url(kPath).toUtf8(); }
    int Hits() const { return m_server.requestCount(kPath); }

private:
    inline static const QString kPath = QStringLiteral("/forecast/rss/forecastmap.xml");
    testsupport::TestHttpServer m_server;
};

int CountMarked(QTreeWidget *tree)
{
    int marked = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        const bool bold = (*it)->font(0).bold();
        const QColor colour = (*it)->foreground(0).color();
        EXPECT_EQ(bold, frmGeneralSetting::IsMarked(*it));
        EXPECT_EQ(colour, bold ? QColor(0, 0, 255) : QColor(0, 0, 0)) << (*it)->text(0).toStdString();
        marked += bold ? 1 : 0;
    }
    return marked;
}

class frmGeneralSettingTest : public DialogFixture {
protected:
    void Open()
    {
        m_dialog = std::make_unique<frmSetting>();
        m_dialog->show();
        m_dialog->GeneralPage()->GetProperty();
        m_dialog->CommPage()->GetProperty();
        m_dialog->setChanged(false);
    }
    frmGeneralSetting *page() const { return m_dialog->GeneralPage(); }
    QTreeWidget *tree() const { return page()->TreeView1(); }
    QTreeWidgetItem *node(const char *key) const { return page()->FindNode(QString::fromUtf8(key)); }

    std::unique_ptr<frmSetting> m_dialog;
};

} // namespace

TEST_F(frmGeneralSettingTest, TreeHoldsAreasPrefecturesAndCitiesInListOrderCollapsed)
{
    Open();
    ASSERT_EQ(tree()->topLevelItemCount(), 2);
    QTreeWidgetItem *hokkaido = tree()->topLevelItem(0);
    EXPECT_EQ(hokkaido->text(0), QStringLiteral("北海道地方"));
    EXPECT_EQ(frmGeneralSetting::NodeKey(hokkaido), QStringLiteral("ID:北海道地方"));
    EXPECT_EQ(frmGeneralSetting::NodeTag(hokkaido), QStringLiteral("Area:http://127.0.0.1:8931/forecast/rss/1.xml"));
    ASSERT_EQ(hokkaido->childCount(), 2);
    QTreeWidgetItem *dohoku = hokkaido->child(0);
    EXPECT_EQ(frmGeneralSetting::NodeKey(dohoku), QStringLiteral("ID:道北"));
    EXPECT_EQ(frmGeneralSetting::NodeTag(dohoku), QStringLiteral("Pref:"));
    ASSERT_EQ(dohoku->childCount(), 2); // the warn element is not a city
    EXPECT_EQ(dohoku->child(1)->text(0), QStringLiteral("旭川"));
    QTreeWidgetItem *tokyo = node("ID:063");
    ASSERT_NE(tokyo, nullptr);
    EXPECT_EQ(tokyo->text(0), QStringLiteral("東京"));
    EXPECT_EQ(frmGeneralSetting::NodeTag(tokyo), QStringLiteral("City:http://127.0.0.1:8931/forecast/rss/3/63.xml"));
    EXPECT_EQ(node("ID:63"), nullptr);
    for (QTreeWidgetItemIterator it(tree()); *it; ++it) {
        EXPECT_FALSE((*it)->isExpanded());
        EXPECT_TRUE((*it)->icon(0).isNull());
    }
    EXPECT_EQ(CountMarked(tree()), 0);
    EXPECT_EQ(page()->SaveCheck(), QStringLiteral("表示する地域が選択されていません"));
}

TEST_F(frmGeneralSettingTest, SavedCityIsSelectedMarkedAndShownUnknownCityMarksNothing)
{
    WriteIni("CityID=063\r\nShowDeskTop=False\r\nShowTopMost=True\r\n");
    Open();
    QTreeWidgetItem *tokyo = node("ID:063");
    EXPECT_TRUE(frmGeneralSetting::IsMarked(tokyo));
    EXPECT_EQ(tree()->currentItem(), tokyo);
    EXPECT_TRUE(tokyo->parent()->isExpanded());
    EXPECT_TRUE(tokyo->parent()->parent()->isExpanded());
    EXPECT_TRUE(tree()->viewport()->rect().intersects(tree()->visualItemRect(tokyo)));
    EXPECT_EQ(CountMarked(tree()), 1);
    EXPECT_FALSE(page()->chkShowDeskTop()->isChecked());
    EXPECT_TRUE(page()->chkShowTopMost()->isChecked());
    EXPECT_TRUE(page()->SaveCheck().isEmpty());

    EXPECT_TRUE(page()->chkNotifyWarnings()->isChecked()); // on when the file says nothing

    WriteIni("CityID=999\r\nShowDeskTop=True\r\nShowTopMost=False\r\nNotifyWarnings=False\r\n");
    Open();
    EXPECT_FALSE(page()->chkNotifyWarnings()->isChecked());
    EXPECT_EQ(CountMarked(tree()), 0);
    EXPECT_TRUE(page()->chkShowDeskTop()->isChecked());
    EXPECT_FALSE(page()->chkShowTopMost()->isChecked());
    EXPECT_TRUE(m_boxes.Shown().empty());
    page()->LetProperty(); // nothing marked: the stored city stays
    EXPECT_EQ(Reread()->CityID(), QStringLiteral("999"));
}

TEST_F(frmGeneralSettingTest, ClicksMarkOnlyCitiesAndOnlyOneNodeIsEverBold)
{
    WriteIni("CityID=063\r\n");
    Open();
    for (QTreeWidgetItemIterator it(tree()); *it; ++it)
        (*it)->setExpanded(true);

    ClickNode(tree(), node("ID:関東地方"));
    ClickNode(tree(), node("ID:東京都"));
    ClickNode(tree(), node("ID:063")); // already marked
    EXPECT_FALSE(m_dialog->Changed());
    EXPECT_TRUE(frmGeneralSetting::IsMarked(node("ID:063")));

    std::vector<QTreeWidgetItem *> all;
    for (QTreeWidgetItemIterator it(tree()); *it; ++it)
        all.push_back(*it);
    std::mt19937 random(20061208);
    QTreeWidgetItem *expected = node("ID:063");
    for (int i = 0; i < 40; ++i) {
        QTreeWidgetItem *target = all[random() % all.size()];
        ClickNode(tree(), target);
        if (target->childCount() == 0)
            expected = target;
        ASSERT_EQ(CountMarked(tree()), 1);
        ASSERT_TRUE(frmGeneralSetting::IsMarked(expected)) << expected->text(0).toStdString();
    }
    ClickNode(tree(), node("ID:70"));
    EXPECT_TRUE(m_dialog->Changed());
    page()->LetProperty();
    EXPECT_EQ(Reread()->CityID(), QStringLiteral("70"));
}

TEST_F(frmGeneralSettingTest, CheckBoxesEnableOkAndTopMostAloneIsSaved)
{
    WriteIni("CityID=16\r\n");
    frmSetting dialog;
    QTimer::singleShot(0, &dialog, [&] {
        EXPECT_FALSE(dialog.Changed());
        QTest::mouseClick(dialog.GeneralPage()->chkShowTopMost(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
        EXPECT_TRUE(dialog.Changed());
        QTest::mouseClick(dialog.GeneralPage()->chkNotifyWarnings(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
        QTest::mouseClick(dialog.cmdOK(), Qt::LeftButton);
    });
    EXPECT_TRUE(dialog.ShowSettingManager());
    const auto after = Reread();
    EXPECT_FALSE(after->ShowTopMost());
    EXPECT_FALSE(after->NotifyWarnings());
    EXPECT_TRUE(after->ShowDeskTop());
    EXPECT_EQ(after->CityID(), QStringLiteral("16"));
}

TEST_F(frmGeneralSettingTest, KeyboardAloneChoosesACityAndSaves)
{
    frmSetting dialog;
    QTimer::singleShot(0, &dialog, [&] {
        QTreeWidget *t = dialog.GeneralPage()->TreeView1();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        t->setFocus(Qt::TabFocusReason);
        t->setCurrentItem(t->topLevelItem(0));
        QTest::keyClick(t, Qt::Key_Right); // open 北海道地方
        QTest::keyClick(t, Qt::Key_Down);  // 道北
        QTest::keyClick(t, Qt::Key_Right); // open 道北
        QTest::keyClick(t, Qt::Key_Down);  // 稚内
        EXPECT_EQ(t->currentItem()->text(0), QStringLiteral("稚内"));
        QTest::keyClick(t, Qt::Key_Space);
        EXPECT_TRUE(dialog.Changed());
        QTest::keyClick(t, Qt::Key_Return); // Enter presses OK
        if (dialog.isVisible())
            dialog.done(QDialog::Rejected);
    });
    EXPECT_TRUE(dialog.ShowSettingManager());
    EXPECT_EQ(Reread()->CityID(), QStringLiteral("1"));
}

TEST_F(frmGeneralSettingTest, UnloadableAreaListLeavesAnEmptyTreeAndTheDownloadButton)
{
    for (const char *fixture : std::array<const char *, 2>{"broken.xml", nullptr}) {
        m_boxes.Clear();
        if (fixture)
            UseAreaList(QString::fromLatin1(fixture));
        else
            QFile::remove(m_areaPath);
        WriteIni("CityID=063\r\n");
        Open();
        EXPECT_EQ(tree()->topLevelItemCount(), 0);
        EXPECT_TRUE(page()->cmdGetCities()->isEnabled());
        ASSERT_FALSE(m_boxes.Shown().empty());
        EXPECT_EQ(m_boxes.Shown()[0].title, QStringLiteral("地域の解析"));
        EXPECT_TRUE(m_boxes.Shown()[0].prompt.contains(m_areaPath));
        EXPECT_FALSE(page()->SaveCheck().isEmpty());
    }
}

TEST_F(frmGeneralSettingTest, CollidingKeysKeepTheFirstNodeAndEverythingIsShown)
{
    UseAreaList(QStringLiteral("forecastmap_collide.xml"));
    WriteIni("CityID=136\r\n");
    Open();
    ASSERT_EQ(tree()->topLevelItemCount(), 2);
    QTreeWidgetItem *okinawaArea = tree()->topLevelItem(0);
    EXPECT_EQ(node("ID:沖縄"), okinawaArea);
    EXPECT_EQ(okinawaArea->child(0)->child(0)->text(0), QStringLiteral("那覇"));
    EXPECT_EQ(node("ID:大東島"), okinawaArea->child(1)); // the prefecture came before the area
    EXPECT_EQ(tree()->topLevelItem(1)->child(0)->childCount(), 1);
    EXPECT_EQ(node("ID:136"), okinawaArea->child(0)->child(0));
    EXPECT_EQ(CountMarked(tree()), 1);
    EXPECT_TRUE(frmGeneralSetting::IsMarked(node("ID:136")));
}

TEST_F(frmGeneralSettingTest, DownloadingANewListKeepsTheMarkedCityAndWritesTheListPath)
{
    AreaListServer server(testsupport::readAll(testsupport::dataPath(QStringLiteral("dialogs/forecastmap_new.xml"))));
    WriteIni("CityID=063\r\nForecastmapURL=" + server.Url() + "\r\n");
    Open();
    const QByteArray before = IniBytes();

    // No (the default) asks nothing of the server.
    page()->cmdGetCities()->click();
    ASSERT_EQ(m_boxes.Shown().size(), 1U);
    EXPECT_EQ(m_boxes.Shown()[0].prompt,
              QStringLiteral("天気予報情報サイトから最新の地域情報を取得しますか？\r情報の取得には暫くかかります。"));
    EXPECT_EQ(m_boxes.Shown()[0].title, QStringLiteral("ネットワークアクセス"));
    EXPECT_EQ(m_boxes.Shown()[0].style, vbYesNo | vbQuestion | vbDefaultButton2);
    EXPECT_EQ(server.Hits(), 0);
    EXPECT_EQ(IniBytes(), before);

    m_boxes.Answer(vbYes);
    page()->cmdGetCities()->click();
    EXPECT_EQ(server.Hits(), 1);
    EXPECT_EQ(m_boxes.Shown().size(), 2U); // nothing but the question
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    ASSERT_EQ(tree()->topLevelItemCount(), 2);
    EXPECT_EQ(tree()->topLevelItem(1)->text(0), QStringLiteral("沖縄地方"));
    EXPECT_EQ(CountMarked(tree()), 1);
    EXPECT_TRUE(frmGeneralSetting::IsMarked(node("ID:063")));
    EXPECT_EQ(tree()->currentItem(), node("ID:063"));
    EXPECT_FALSE(m_dialog->Changed());
    EXPECT_EQ(testsupport::readAll(m_areaPath),
              testsupport::readAll(testsupport::dataPath(QStringLiteral("dialogs/forecastmap_new.xml"))));

    // Cancelled afterwards: the list path stays written.
    QTest::keyClick(m_dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(m_dialog->isVisible());
    EXPECT_EQ(Reread()->ForecastmapPath(), m_areaPath);
    EXPECT_TRUE(QString::fromUtf8(IniBytes()).contains(QStringLiteral("ForecastmapPath=") + m_areaPath));
}

TEST_F(frmGeneralSettingTest, ADownloadedListWithoutTheMarkedCityMarksNothing)
{
    AreaListServer server(testsupport::readAll(testsupport::dataPath(QStringLiteral("dialogs/forecastmap_new.xml"))));
    WriteIni("CityID=64\r\nForecastmapURL=" + server.Url() + "\r\n");
    Open();
    ASSERT_TRUE(frmGeneralSetting::IsMarked(node("ID:64")));
    m_boxes.Answer(vbYes);
    page()->cmdGetCities()->click();
    EXPECT_EQ(m_boxes.Shown().size(), 1U);
    EXPECT_EQ(node("ID:64"), nullptr);
    EXPECT_EQ(CountMarked(tree()), 0);
    EXPECT_EQ(page()->SaveCheck(), QStringLiteral("表示する地域が選択されていません"));
}

TEST_F(frmGeneralSettingTest, AFailedDownloadLeavesTheTreeAndRestoresTheCursor)
{
    AreaListServer server("<html>busy</html>", 503);
    WriteIni("CityID=063\r\nForecastmapURL=" + server.Url() + "\r\n");
    Open();
    const QByteArray listBefore = testsupport::readAll(m_areaPath);
    m_boxes.Answer(vbYes);
    page()->cmdGetCities()->click();
    EXPECT_EQ(server.Hits(), 1);
    ASSERT_EQ(m_boxes.Shown().size(), 2U);
    EXPECT_EQ(m_boxes.Shown()[1].title, QStringLiteral("取得失敗"));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(tree()->topLevelItemCount(), 2);
    EXPECT_TRUE(frmGeneralSetting::IsMarked(node("ID:063")));
    EXPECT_EQ(testsupport::readAll(m_areaPath), listBefore);
}
