#include "frmCommSetting.h"

#include "AppSettings.h"
#include "DialogLayout.h"
#include "Twips.h"
#include "cPortEdit.h"
#include "cWeatherIni.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace {

// Blanks as the Japanese desktop trims them: half-width and ideographic spaces.
QString trimBlanks(const QString &text)
{
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QChar(0x3000); };
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

frmCommSetting::frmCommSetting(QWidget *parent)
    : cSettingPage(parent)
{
    setWindowTitle(QStringLiteral("接続設定"));
    setAccessibleName(QStringLiteral("接続設定"));
    setFixedSize(twips::TwipsToPixels(QSize(6360, 3435), screen()));

    m_label1 = new QLabel(QStringLiteral("接続方法"), this);
    dialogs::PlaceInTwips(m_label1, 225, 180, 1590, 195);

    m_methodGroup = new QButtonGroup(this);
    m_optMethod[0] = new QRadioButton(QStringLiteral("インターネットオプションを利用する(&I)"), this);
    m_optMethod[0]->setAccessibleName(QStringLiteral("インターネットオプションを利用する"));
    dialogs::PlaceInTwips(m_optMethod[0], 450, 540, 4740, 195);
    m_optMethod[1] = new QRadioButton(QStringLiteral("プロキシサーバーを利用する(&X)"), this);
    m_optMethod[1]->setAccessibleName(QStringLiteral("プロキシサーバーを利用する"));
    dialogs::PlaceInTwips(m_optMethod[1], 450, 855, 4740, 195);
    m_methodGroup->addButton(m_optMethod[0], 0);
    m_methodGroup->addButton(m_optMethod[1], 1);

    m_label2[0] = new QLabel(QStringLiteral("プロキシサーバー(&Y):"), this);
    dialogs::PlaceInTwips(m_label2[0], 450, 1305, 1590, 195);
    m_txtProxyServer = new QLineEdit(this);
    m_txtProxyServer->setAccessibleName(QStringLiteral("プロキシサーバー"));
    dialogs::PlaceInTwips(m_txtProxyServer, 2115, 1260, 3075, 270);

    m_label2[1] = new QLabel(QStringLiteral("ポート(&P):"), this);
    dialogs::PlaceInTwips(m_label2[1], 450, 1575, 1590, 195);
    m_txtProxyPort = new cPortEdit(this);
    m_txtProxyPort->setAccessibleName(QStringLiteral("ポート"));
    dialogs::PlaceInTwips(m_txtProxyPort, 2115, 1530, 960, 270);

    m_chkProxyAuthentication = new QCheckBox(QStringLiteral("このサーバーは、認証が必要"), this);
    m_chkProxyAuthentication->setAccessibleName(QStringLiteral("このサーバーは、認証が必要"));
    dialogs::PlaceInTwips(m_chkProxyAuthentication, 900, 1935, 2670, 195);

    m_label2[3] = new QLabel(QStringLiteral("ユーザー(&U):"), this);
    dialogs::PlaceInTwips(m_label2[3], 450, 2295, 1590, 195);
    m_txtProxyUser = new QLineEdit(this);
    m_txtProxyUser->setAccessibleName(QStringLiteral("ユーザー"));
    dialogs::PlaceInTwips(m_txtProxyUser, 2115, 2250, 3075, 270);

    m_label2[2] = new QLabel(QStringLiteral("パスワード(&W):"), this);
    dialogs::PlaceInTwips(m_label2[2], 450, 2565, 1590, 195);
    m_txtProxyPassword = new QLineEdit(this);
    m_txtProxyPassword->setAccessibleName(QStringLiteral("パスワード"));
    m_txtProxyPassword->setEchoMode(QLineEdit::Password);
    // One "*" per character, whatever the style's own mask character is.
    m_txtProxyPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    dialogs::PlaceInTwips(m_txtProxyPassword, 2115, 2520, 960, 270);

    m_label2[0]->setBuddy(m_txtProxyServer);
    m_label2[1]->setBuddy(m_txtProxyPort);
    m_label2[3]->setBuddy(m_txtProxyUser);
    m_label2[2]->setBuddy(m_txtProxyPassword);

    setTabOrder(m_optMethod[0], m_optMethod[1]);
    setTabOrder(m_optMethod[1], m_txtProxyServer);
    setTabOrder(m_txtProxyServer, m_txtProxyPort);
    setTabOrder(m_txtProxyPort, m_chkProxyAuthentication);
    setTabOrder(m_chkProxyAuthentication, m_txtProxyUser);
    setTabOrder(m_txtProxyUser, m_txtProxyPassword);

    connect(m_methodGroup, &QButtonGroup::idClicked, this, &frmCommSetting::optMethod_Click);
    connect(m_chkProxyAuthentication, &QCheckBox::clicked, this, &frmCommSetting::chkProxyAuthentication_Click);
    for (QLineEdit *box :
         {m_txtProxyServer, static_cast<QLineEdit *>(m_txtProxyPort), m_txtProxyUser, m_txtProxyPassword}) {
        connect(box, &QLineEdit::textChanged, this, [this] { MarkChanged(); });
        box->installEventFilter(this);
    }
    connect(m_txtProxyPort, &cPortEdit::Rejected, this, [] { QApplication::beep(); });
}

frmCommSetting::~frmCommSetting() = default;

void frmCommSetting::GetProperty()
{
    const cWeatherIni &settings = AppSettings();
    const int method = settings.Method() != 0 ? 1 : 0;
    m_optMethod[static_cast<std::size_t>(method)]->setChecked(true);
    m_txtProxyServer->setText(settings.ProxyServer());
    m_txtProxyPort->setText(QString::number(settings.ProxyPort()));
    m_chkProxyAuthentication->setChecked(settings.ProxyAuthentication());
    m_txtProxyUser->setText(settings.ProxyUser());
    m_txtProxyPassword->setText(settings.ProxyPassword());
    optMethod_Click(method);
}

QString frmCommSetting::SaveCheck() const
{
    if (!m_optMethod[1]->isChecked())
        return {};
    if (m_txtProxyServer->text().isEmpty())
        return QStringLiteral("プロキシサーバーが入力されていません");
    if (m_txtProxyPort->text().isEmpty())
        return QStringLiteral("プロキシサーバーのポート番号が入力されていません");
    if (m_chkProxyAuthentication->isChecked()) {
        if (m_txtProxyUser->text().isEmpty())
            return QStringLiteral("プロキシサーバーユーザーが入力されていません");
        if (m_txtProxyPassword->text().isEmpty())
            return QStringLiteral("プロキシサーバーパスワードが入力されていません");
    }
    return {};
}

void frmCommSetting::LetProperty()
{
    cWeatherIni &settings = AppSettings();
    settings.setMethod(m_optMethod[0]->isChecked() ? 0 : 1);
    settings.setProxyServer(trimBlanks(m_txtProxyServer->text()));
    // A box left empty (possible while the system settings are chosen) keeps the stored port.
    bool ok = false;
    const int port = m_txtProxyPort->text().toInt(&ok);
    if (ok)
        settings.setProxyPort(port);
    settings.setProxyAuthentication(m_chkProxyAuthentication->isChecked());
    settings.setProxyUser(trimBlanks(m_txtProxyUser->text()));
    settings.setProxyPassword(trimBlanks(m_txtProxyPassword->text()));
}

bool frmCommSetting::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn) {
        if (auto *box = qobject_cast<QLineEdit *>(watched))
            box->selectAll();
    }
    return cSettingPage::eventFilter(watched, event);
}

void frmCommSetting::optMethod_Click(int index)
{
    const bool proxy = index == 1;
    m_txtProxyServer->setEnabled(proxy);
    m_txtProxyPort->setEnabled(proxy);
    m_chkProxyAuthentication->setEnabled(proxy);
    m_label2[0]->setEnabled(proxy);
    m_label2[1]->setEnabled(proxy);
    if (proxy) {
        ApplyAuthenticationState();
    } else {
        m_txtProxyUser->setEnabled(false);
        m_txtProxyPassword->setEnabled(false);
        m_label2[2]->setEnabled(false);
        m_label2[3]->setEnabled(false);
    }
    MarkChanged();
}

void frmCommSetting::chkProxyAuthentication_Click()
{
    MarkChanged();
    ApplyAuthenticationState();
}

void frmCommSetting::ApplyAuthenticationState()
{
    const bool ticked = m_chkProxyAuthentication->isChecked();
    m_txtProxyUser->setEnabled(ticked);
    m_txtProxyPassword->setEnabled(ticked);
    m_label2[2]->setEnabled(ticked);
    m_label2[3]->setEnabled(ticked);
}
