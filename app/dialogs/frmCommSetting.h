#pragma once

#include "cSettingPage.h"

#include <array>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class cPortEdit;

/// The connection page "接続設定": system Internet settings or a proxy server,
/// optionally with user name and password (the Communication settings).
class frmCommSetting : public cSettingPage {
    Q_OBJECT
public:
    /// Builds the page's controls; they are filled by GetProperty.
    explicit frmCommSetting(QWidget *parent = nullptr);
    ~frmCommSetting() override;

    /// Method, proxy server, port, authentication, user and password into the controls.
    void GetProperty() override;
    /// The first missing proxy entry as a message, or empty (always empty with optMethod(0)).
    QString SaveCheck() const override;
    /// Writes the six Communication settings, trimmed.
    void LetProperty() override;
    /// The option buttons, then the proxy boxes in reading order.
    QList<QWidget *> TabChain() const override;

    /// Option button `index` (0 system settings, 1 proxy).
    QRadioButton *optMethod(int index) const { return m_optMethod.at(static_cast<std::size_t>(index)); }
    /// The proxy server text box.
    QLineEdit *txtProxyServer() const { return m_txtProxyServer; }
    /// The port text box (digits only).
    cPortEdit *txtProxyPort() const { return m_txtProxyPort; }
    /// The "server requires authentication" check box.
    QCheckBox *chkProxyAuthentication() const { return m_chkProxyAuthentication; }
    /// The proxy user text box.
    QLineEdit *txtProxyUser() const { return m_txtProxyUser; }
    /// The proxy password text box (masked).
    QLineEdit *txtProxyPassword() const { return m_txtProxyPassword; }
    /// Label2(index): 0 server, 1 port, 2 password, 3 user.
    QLabel *Label2(int index) const { return m_label2.at(static_cast<std::size_t>(index)); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void optMethod_Click(int index);
    void chkProxyAuthentication_Click();
    void ApplyAuthenticationState();

    std::array<QRadioButton *, 2> m_optMethod{};
    std::array<QLabel *, 4> m_label2{};
    QButtonGroup *m_methodGroup = nullptr;
    QLabel *m_label1 = nullptr;
    QLineEdit *m_txtProxyServer = nullptr;
    cPortEdit *m_txtProxyPort = nullptr;
    QCheckBox *m_chkProxyAuthentication = nullptr;
    QLineEdit *m_txtProxyUser = nullptr;
    QLineEdit *m_txtProxyPassword = nullptr;
};
