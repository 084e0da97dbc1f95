// The connection page: enabled states, the port box, validation order, what is written.
#include "frmCommSetting.h"
#include "DialogFixture.h"
#include "cPortEdit.h"
#include "frmSetting.h"

#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>

#include <vector>

namespace {

class frmCommSettingTest : public DialogFixture {
protected:
    // The dialog as ShowSettingManager leaves it, without the modal loop.
    void Open()
    {
        m_dialog = std::make_unique<frmSetting>();
        m_dialog->TabControl()->setCurrentIndex(1);
        m_dialog->show();
        m_dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_dialog.get()));
        page()->GetProperty();
        m_dialog->setChanged(false);
    }
    frmCommSetting *page() const { return m_dialog->CommPage(); }
    void Click(QAbstractButton *button)
    {
        QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, QPoint(6, button->height() / 2));
    }
    // Enabled state of: server, port, auth box, labels 0 and 1 | user, password, labels 2 and 3.
    std::vector<bool> EnabledStates() const
    {
        const frmCommSetting *p = page();
        return {p->txtProxyServer()->isEnabled(),
                p->txtProxyPort()->isEnabled(),
                p->chkProxyAuthentication()->isEnabled(),
                p->Label2(0)->isEnabled(),
                p->Label2(1)->isEnabled(),
                p->txtProxyUser()->isEnabled(),
                p->txtProxyPassword()->isEnabled(),
                p->Label2(2)->isEnabled(),
                p->Label2(3)->isEnabled()};
    }

    std::unique_ptr<frmSetting> m_dialog;
};

const std::vector<bool> kAllOff(9, false);
const std::vector<bool> kProxyOnly{true, true, true, true, true, false, false, false, false};
const std::vector<bool> kAllOn(9, true);

} // namespace

TEST_F(frmCommSettingTest, FreshSettingsShowSystemMethodPortZeroAndEverythingDisabled)
{
    Open();
    EXPECT_TRUE(page()->optMethod(0)->isChecked());
    EXPECT_FALSE(page()->optMethod(1)->isChecked());
    EXPECT_EQ(page()->txtProxyPort()->text(), QStringLiteral("0"));
    EXPECT_EQ(EnabledStates(), kAllOff);
    EXPECT_FALSE(m_dialog->Changed());
}

TEST_F(frmCommSettingTest, EnabledStatesFollowMethodAndAuthenticationBox)
{
    Open();
    Click(page()->optMethod(1));
    EXPECT_EQ(EnabledStates(), kProxyOnly);
    EXPECT_TRUE(m_dialog->Changed());
    Click(page()->chkProxyAuthentication());
    EXPECT_EQ(EnabledStates(), kAllOn);
    Click(page()->chkProxyAuthentication());
    EXPECT_EQ(EnabledStates(), kProxyOnly);
    Click(page()->chkProxyAuthentication());
    Click(page()->optMethod(0));
    EXPECT_EQ(EnabledStates(), kAllOff);
    Click(page()->optMethod(1)); // the ticked box comes back with its fields
    EXPECT_EQ(EnabledStates(), kAllOn);

    // Stored proxy settings with authentication open with everything enabled.
    WriteIni(QByteArray(), "Method=1\r\nProxyAuthentication=True\r\n");
    Open();
    EXPECT_TRUE(page()->optMethod(1)->isChecked());
    EXPECT_EQ(EnabledStates(), kAllOn);
}

TEST_F(frmCommSettingTest, PortBoxTakesDigitsAndBackspaceOnlyAndFiltersPastedText)
{
    Open();
    Click(page()->optMethod(1));
    cPortEdit *port = page()->txtProxyPort();
    port->setFocus();
    port->clear();
    QSignalSpy refused(port, &cPortEdit::Rejected);
    QTest::keyClicks(port, QStringLiteral("8a0-"));
    EXPECT_EQ(port->text(), QStringLiteral("80"));
    EXPECT_EQ(refused.count(), 2);
    QTest::keyClick(port, Qt::Key_Backspace);
    EXPECT_EQ(port->text(), QStringLiteral("8"));
    EXPECT_EQ(refused.count(), 2);
    QTest::keyClicks(port, QStringLiteral("123456"));
    EXPECT_EQ(port->text(), QStringLiteral("81234")); // five characters at most

    port->clear();
    refused.clear();
    QGuiApplication::clipboard()->setText(QStringLiteral(" 31a28\n"));
    QTest::keyClick(port, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(port->text(), QStringLiteral("3128"));
    EXPECT_GE(refused.count(), 1);
    // Full-width digits from an input method are not digits to the proxy either.
    port->clear();
    port->insert(QStringLiteral("８０"));
    EXPECT_TRUE(port->text().isEmpty());
}

TEST_F(frmCommSettingTest, SaveCheckReportsTheFirstMissingEntryInOrder)
{
    struct Case {
        const char *server, *port;
        bool auth;
        const char *user, *password;
        QString expected;
    };
    const Case cases[] = {
        {"", "", false, "", "", QStringLiteral("プロキシサーバーが入力されていません")},
        {"", "", true, "", "", QStringLiteral("プロキシサーバーが入力されていません")},
        {"p", "", true, "", "", QStringLiteral("プロキシサーバーのポート番号が入力されていません")},
        {"p", "8", true, "", "", QStringLiteral("プロキシサーバーユーザーが入力されていません")},
        {"p", "8", true, "u", "", QStringLiteral("プロキシサーバーパスワードが入力されていません")},
        {"p", "8", true, "u", "w", QString()},
        {"p", "8", false, "", "", QString()},
        {"  ", "8", false, "", "", QString()}, // blanks count as entered
    };
    Open();
    Click(page()->optMethod(1));
    for (const Case &c : cases) {
        page()->txtProxyServer()->setText(QString::fromUtf8(c.server));
        page()->txtProxyPort()->setText(QString::fromUtf8(c.port));
        page()->chkProxyAuthentication()->setChecked(c.auth);
        page()->txtProxyUser()->setText(QString::fromUtf8(c.user));
        page()->txtProxyPassword()->setText(QString::fromUtf8(c.password));
        EXPECT_EQ(page()->SaveCheck(), c.expected) << c.server << "|" << c.port << "|" << c.auth;
    }
    // The system settings need nothing of the proxy fields.
    page()->txtProxyServer()->clear();
    Click(page()->optMethod(0));
    EXPECT_TRUE(page()->SaveCheck().isEmpty());
}

TEST_F(frmCommSettingTest, LetPropertyWritesAllSixTrimmedWhateverTheMethod)
{
    WriteIni(QByteArray(), "Method=1\r\nProxyPort=3128\r\n");
    Open();
    page()->txtProxyServer()->setText(QStringLiteral("  "));
    page()->chkProxyAuthentication()->setChecked(true);
    page()->txtProxyUser()->setText(QStringLiteral("\u3000hanako "));
    page()->txtProxyPassword()->setText(QStringLiteral(" pass word "));
    Click(page()->optMethod(0));
    page()->LetProperty();
    auto after = Reread();
    EXPECT_EQ(after->Method(), 0);
    EXPECT_EQ(after->ProxyServer(), QString());
    EXPECT_EQ(after->ProxyPort(), 3128);
    EXPECT_TRUE(after->ProxyAuthentication());
    EXPECT_EQ(after->ProxyUser(), QStringLiteral("hanako"));
    EXPECT_EQ(after->ProxyPassword(), QStringLiteral("pass word"));
    EXPECT_TRUE(QString::fromUtf8(IniBytes()).contains(QStringLiteral("ProxyServer=\r\n")) ||
                QString::fromUtf8(IniBytes()).contains(QStringLiteral("ProxyServer=\n")));

    // An empty port (not validated with the system settings) keeps the stored port,
    // and the settings after it are still written.
    page()->txtProxyPort()->clear();
    page()->txtProxyUser()->setText(QStringLiteral("jiro"));
    page()->LetProperty();
    after = Reread();
    EXPECT_EQ(after->ProxyPort(), 3128);
    EXPECT_EQ(after->ProxyUser(), QStringLiteral("jiro"));
    page()->txtProxyPort()->setText(QStringLiteral("08080"));
    page()->LetProperty();
    EXPECT_EQ(Reread()->ProxyPort(), 8080);
}

TEST_F(frmCommSettingTest, EditsMarkTheDialogChangedAndFocusSelectsTheWholeText)
{
    WriteIni(QByteArray(), "Method=1\r\nProxyServer=proxy.example\r\nProxyAuthentication=True\r\n");
    Open();
    EXPECT_FALSE(m_dialog->Changed());
    QTest::keyClicks(page()->txtProxyPassword(), QStringLiteral("s"));
    EXPECT_TRUE(m_dialog->Changed());
    EXPECT_EQ(page()->txtProxyPassword()->displayText(), QStringLiteral("*"));

    page()->txtProxyUser()->setFocus(Qt::OtherFocusReason);
    page()->txtProxyServer()->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(page()->txtProxyServer()->selectedText(), QStringLiteral("proxy.example"));
}
