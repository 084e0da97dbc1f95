// The window's close box (a real window manager's close request) takes the Cancel path.
#include "DialogFixture.h"
#include "frmGeneralSetting.h"
#include "frmSetting.h"

#include <QCheckBox>
#include <QProcess>
#include <QTimer>

using namespace ro;

namespace {

// The close box as the window manager works it: wmctrl asks openbox to close the window
// (_NET_CLOSE_WINDOW) and openbox asks the window politely (WM_DELETE_WINDOW). A key press (Alt+F4)
// would depend on where the window manager has put the input focus by then.
bool PressCloseBox(const QWidget &window)
{
    const QString id = QStringLiteral("0x%1").arg(static_cast<qulonglong>(window.winId()), 0, 16);
    return QProcess::execute(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-c"), id}) == 0;
}

} // namespace

using frmSettingCloseBoxTest = DialogFixture;

TEST_F(frmSettingCloseBoxTest, CloseBoxAsksWhenChangedAndIsRefusedOnCancel)
{
    WriteIni("CityID=063\r\n");
    const QByteArray before = IniBytes();
    frmSetting dialog;
    bool stayedOpen = false;
    QTimer::singleShot(0, &dialog, [&] {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        QTest::mouseClick(dialog.GeneralPage()->chkShowTopMost(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
        m_boxes.Answer(vbCancel);
        ASSERT_TRUE(PressCloseBox(dialog));
        EXPECT_TRUE(QTest::qWaitFor([&] { return m_boxes.Shown().size() == 1; }, 5000));
        QTest::qWait(200);
        stayedOpen = dialog.isVisible();
        m_boxes.Answer(vbNo);
        ASSERT_TRUE(PressCloseBox(dialog));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 5000));
        if (dialog.isVisible())
            dialog.done(QDialog::Rejected);
    });
    EXPECT_FALSE(dialog.ShowSettingManager());
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(m_boxes.Shown().size(), 2U);
    EXPECT_EQ(m_boxes.Shown()[0].prompt, QStringLiteral("変更を保存して終了しますか？"));
    EXPECT_EQ(IniBytes(), before);
}

TEST_F(frmSettingCloseBoxTest, CloseBoxWithoutChangesClosesAtOnce)
{
    frmSetting dialog;
    QTimer::singleShot(0, &dialog, [&] {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        ASSERT_TRUE(PressCloseBox(dialog));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !dialog.isVisible(); }, 5000));
        if (dialog.isVisible())
            dialog.done(QDialog::Rejected);
    });
    EXPECT_FALSE(dialog.ShowSettingManager());
    // The area list is there, so the only box would be the question, and none came.
    EXPECT_TRUE(m_boxes.Shown().empty());
}
