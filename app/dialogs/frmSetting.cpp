#include "frmSetting.h"

#include "AppSettings.h"
#include "DialogLayout.h"
#include "TabIcons.h"
#include "Twips.h"
#include "cPortEdit.h"
#include "cWeatherIni.h"
#include "frmCommSetting.h"
#include "frmGeneralSetting.h"
#include "roMessageBox.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWindow>

namespace {

// A style sheet is a few kilobytes; anything far larger is not one.
constexpr qint64 kMaxSkinBytes = 1024 * 1024;

} // namespace

frmSetting::frmSetting(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint)
{
    setWindowTitle(QStringLiteral("設定画面"));
    setAccessibleName(QStringLiteral("設定画面"));
    setFont(QFont(QStringLiteral("MS UI Gothic"), 9));
    setFixedSize(twips::TwipsToPixels(QSize(6630, 5010), screen()));
    setSizeGripEnabled(false);

    LoadSkin();

    m_tabControl = new QTabWidget(this);
    m_tabControl->setAccessibleName(QStringLiteral("設定の種類"));
    m_tabControl->setUsesScrollButtons(false);
    dialogs::PlaceInTwips(m_tabControl, 45, 90, 6540, 4425);

    m_general = new frmGeneralSetting(m_tabControl);
    m_general->setObjParent(this);
    m_tabControl->insertTab(0, m_general, dialogs::GeneralTabIcon(), m_general->windowTitle());

    m_comm = new frmCommSetting(m_tabControl);
    m_comm->setObjParent(this);
    m_tabControl->insertTab(1, m_comm, dialogs::ConnectionTabIcon(), m_comm->windowTitle());

    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setAccessibleName(QStringLiteral("OK"));
    m_cmdOK->setDefault(true);
    dialogs::PlaceInTwips(m_cmdOK, 3600, 4545, 1455, 330);

    m_cmdCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    m_cmdCancel->setAccessibleName(QStringLiteral("キャンセル"));
    dialogs::PlaceInTwips(m_cmdCancel, 5130, 4545, 1455, 330);

    // Tab strip, the controls of the shown page, then OK and Cancel.
    QWidget *chain[] = {m_tabControl->tabBar(),
                        m_general->TreeView1(),
                        m_general->chkShowDeskTop(),
                        m_general->chkShowTopMost(),
                        m_general->cmdGetCities(),
                        m_comm->optMethod(0),
                        m_comm->optMethod(1),
                        m_comm->txtProxyServer(),
                        m_comm->txtProxyPort(),
                        m_comm->chkProxyAuthentication(),
                        m_comm->txtProxyUser(),
                        m_comm->txtProxyPassword(),
                        m_cmdOK,
                        m_cmdCancel};
    for (std::size_t i = 1; i < std::size(chain); ++i)
        setTabOrder(chain[i - 1], chain[i]);

    connect(m_cmdOK, &QPushButton::clicked, this, &frmSetting::cmdOK_Click);
    connect(m_cmdCancel, &QPushButton::clicked, this, &frmSetting::cmdCancel_Click);

    setChanged(false);
}

frmSetting::~frmSetting() = default;

bool frmSetting::ShowSettingManager(QWidget *owner)
{
    const QScreen *screen = owner && owner->screen() ? owner->screen() : this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        const double tx = twips::TwipsPerPixelX(this->screen());
        const double ty = twips::TwipsPerPixelY(this->screen());
        const QRect screenRect = screen->geometry();
        const QSizeF screenSize(screenRect.width() * tx, screenRect.height() * ty);
        const QSizeF dialogSize(frameGeometry().width() * tx, frameGeometry().height() * ty);
        QPoint pos;
        if (owner) {
            const QPoint origin = owner->mapToGlobal(QPoint(0, 0)) - screenRect.topLeft();
            const QRectF area(origin.x() * tx, origin.y() * ty, owner->width() * tx, owner->height() * ty);
            pos = dialogs::CentredPosition(screenSize, dialogSize, &area);
        } else {
            pos = dialogs::CentredPosition(screenSize, dialogSize, nullptr);
        }
        move(screenRect.topLeft() + QPoint(twips::RoundHalfEven(pos.x() / tx), twips::RoundHalfEven(pos.y() / ty)));
    }

    m_general->GetProperty();
    m_comm->GetProperty();
    // Filling the controls fired their change handlers.
    setChanged(false);

    if (owner) {
        winId();
        QWindow *ownerWindow = owner->window()->windowHandle();
        if (windowHandle() && ownerWindow)
            windowHandle()->setTransientParent(ownerWindow);
    }
    exec();
    return Changed();
}

bool frmSetting::Changed() const
{
    return m_cmdOK->isEnabled();
}

void frmSetting::setChanged(bool vData)
{
    m_cmdOK->setEnabled(vData);
}

bool frmSetting::SaveSettings()
{
    const QString generalMessage = m_general->SaveCheck();
    if (!generalMessage.isEmpty()) {
        m_tabControl->setCurrentIndex(0);
        ro::MsgBox(generalMessage, ro::vbExclamation, QStringLiteral("入力値不正"));
        return false;
    }
    const QString commMessage = m_comm->SaveCheck();
    if (!commMessage.isEmpty()) {
        m_tabControl->setCurrentIndex(1);
        ro::MsgBox(commMessage, ro::vbExclamation, QStringLiteral("入力値不正"));
        return false;
    }
    m_general->LetProperty();
    m_comm->LetProperty();
    AppSettings().SaveShadowSetting();
    return true;
}

void frmSetting::reject()
{
    cmdCancel_Click();
}

void frmSetting::closeEvent(QCloseEvent *event)
{
    if (!isVisible()) {
        event->accept();
        return;
    }
    if (event->spontaneous()) {
        // The close box: asked like the Cancel button, never closed behind the user's back.
        event->ignore();
        cmdCancel_Click();
        return;
    }
    // Closed by the program (shutting down): nothing was saved, so report no save.
    setChanged(false);
    QDialog::done(QDialog::Rejected);
    event->accept();
}

void frmSetting::LoadSkin()
{
    QFile file(AppSettings().SkinFile());
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxSkinBytes)
        return;
    const QByteArray sheet = file.read(kMaxSkinBytes);
    if (!sheet.isEmpty())
        setStyleSheet(QString::fromUtf8(sheet));
}

void frmSetting::cmdOK_Click()
{
    if (Changed() && !SaveSettings())
        return;
    HideDialog();
}

void frmSetting::cmdCancel_Click()
{
    if (!Changed()) {
        HideDialog();
        return;
    }
    const int answer = ro::MsgBox(QStringLiteral("変更を保存して終了しますか？"), ro::vbYesNoCancel | ro::vbQuestion,
                                  QStringLiteral("設定の保存"));
    if (answer == ro::vbYes) {
        cmdOK_Click();
    } else if (answer == ro::vbNo) {
        setChanged(false);
        HideDialog();
    }
}

void frmSetting::HideDialog()
{
    QDialog::done(Changed() ? QDialog::Accepted : QDialog::Rejected);
}
