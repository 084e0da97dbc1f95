#include "frmGeneralSetting.h"

#include "AppSettings.h"
#include "DialogLayout.h"
#include "Twips.h"
#include "cAreas.h"
#include "cCities.h"
#include "cInet.h"
#include "cPrefs.h"
#include "cWeatherIni.h"
#include "modInternetProc.h"
#include "roMessageBox.h"
#include "roWeather.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

namespace {

constexpr int kKeyRole = Qt::UserRole;
constexpr int kTagRole = Qt::UserRole + 1;
constexpr int kMarkedRole = Qt::UserRole + 2;

const QString kKeyPrefix = QStringLiteral("ID:");

void setMarked(QTreeWidgetItem *node, bool marked)
{
    QFont font = node->font(0);
    font.setBold(marked);
    node->setFont(0, font);
    node->setForeground(0, QBrush(marked ? QColor(0, 0, 255) : QColor(0, 0, 0)));
    node->setData(0, kMarkedRole, marked);
}

// Keeps the hourglass up for as long as the download runs, whatever happens in it.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

} // namespace

frmGeneralSetting::frmGeneralSetting(QWidget *parent)
    : cSettingPage(parent)
    , m_Inet1(std::make_unique<cInet>())
{
    setWindowTitle(QStringLiteral("基本設定"));
    setAccessibleName(QStringLiteral("基本設定"));
    setFixedSize(twips::TwipsToPixels(QRect(0, 0, 6360, 3990), screen()).size());

    m_label1 = new QLabel(QStringLiteral("表示する地域(&A):"), this);
    dialogs::PlaceInTwips(m_label1, 180, 90, 1500, 195);

    m_treeView1 = new QTreeWidget(this);
    m_treeView1->setHeaderHidden(true);
    m_treeView1->setColumnCount(1);
    m_treeView1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_treeView1->setAccessibleName(QStringLiteral("表示する地域"));
    m_treeView1->setAccessibleDescription(QStringLiteral("スペースキーで地域を選択します"));
    m_treeView1->installEventFilter(this);
    dialogs::PlaceInTwips(m_treeView1, 180, 315, 4830, 2805);
    m_label1->setBuddy(m_treeView1);

    m_chkShowDeskTop = new QCheckBox(QStringLiteral("デスクトップに天気の表示を行う"), this);
    m_chkShowDeskTop->setAccessibleName(QStringLiteral("デスクトップに天気の表示を行う"));
    dialogs::PlaceInTwips(m_chkShowDeskTop, 180, 3240, 2715, 195);

    m_chkShowTopMost = new QCheckBox(QStringLiteral("最前面に表示を行う"), this);
    m_chkShowTopMost->setAccessibleName(QStringLiteral("最前面に表示を行う"));
    dialogs::PlaceInTwips(m_chkShowTopMost, 180, 3510, 2715, 195);

    m_chkNotifyWarnings = new QCheckBox(QStringLiteral("警報・注意報を通知する"), this);
    m_chkNotifyWarnings->setAccessibleName(QStringLiteral("警報・注意報を通知する"));
    dialogs::PlaceInTwips(m_chkNotifyWarnings, 180, 3780, 2715, 195);

    m_cmdGetCities = new QPushButton(QStringLiteral("最新の地域情報をサーバーから取得する"), this);
    m_cmdGetCities->setAccessibleName(QStringLiteral("最新の地域情報をサーバーから取得する"));
    dialogs::PlaceInTwips(m_cmdGetCities, 3240, 3600, 3030, 330);

    // The forecast library's control has no visible part here.
    m_roWeather = new roWeather(this);
    m_roWeather->hide();

    setTabOrder(m_treeView1, m_chkShowDeskTop);
    setTabOrder(m_chkShowDeskTop, m_chkShowTopMost);
    setTabOrder(m_chkShowTopMost, m_chkNotifyWarnings);
    setTabOrder(m_chkNotifyWarnings, m_cmdGetCities);

    connect(m_treeView1, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem *node, int) { TreeView1_NodeClick(node); });
    connect(m_chkShowDeskTop, &QCheckBox::clicked, this, [this] { MarkChanged(); });
    connect(m_chkShowTopMost, &QCheckBox::clicked, this, [this] { MarkChanged(); });
    connect(m_chkNotifyWarnings, &QCheckBox::clicked, this, [this] { MarkChanged(); });
    connect(m_cmdGetCities, &QPushButton::clicked, this, &frmGeneralSetting::cmdGetCities_Click);

    FillAreaTree(AreaList(), m_treeView1);
}

frmGeneralSetting::~frmGeneralSetting() = default;

void frmGeneralSetting::GetProperty()
{
    const cWeatherIni &settings = AppSettings();
    const QString cityId = settings.CityID();
    if (!cityId.isEmpty()) {
        if (QTreeWidgetItem *node = FindNode(kKeyPrefix + cityId)) {
            MarkNode(node);
            ShowNode(node);
        }
    }
    m_chkShowDeskTop->setChecked(settings.ShowDeskTop());
    m_chkShowTopMost->setChecked(settings.ShowTopMost());
    m_chkNotifyWarnings->setChecked(settings.NotifyWarnings());
}

QString frmGeneralSetting::SaveCheck() const
{
    if (MarkedNode())
        return {};
    return QStringLiteral("表示する地域が選択されていません");
}

void frmGeneralSetting::LetProperty()
{
    cWeatherIni &settings = AppSettings();
    if (const QTreeWidgetItem *node = MarkedNode())
        settings.setCityID(NodeKey(node).remove(kKeyPrefix));
    settings.setShowDeskTop(m_chkShowDeskTop->isChecked());
    settings.setShowTopMost(m_chkShowTopMost->isChecked());
    settings.setNotifyWarnings(m_chkNotifyWarnings->isChecked());
}

QList<QWidget *> frmGeneralSetting::TabChain() const
{
    return {m_treeView1, m_chkShowDeskTop, m_chkShowTopMost, m_cmdGetCities};
}

QTreeWidgetItem *frmGeneralSetting::FindNode(const QString &key) const
{
    return m_nodesByKey.value(key, nullptr);
}

QString frmGeneralSetting::NodeKey(const QTreeWidgetItem *node)
{
    return node ? node->data(0, kKeyRole).toString() : QString();
}

QString frmGeneralSetting::NodeTag(const QTreeWidgetItem *node)
{
    return node ? node->data(0, kTagRole).toString() : QString();
}

bool frmGeneralSetting::IsMarked(const QTreeWidgetItem *node)
{
    return node && node->data(0, kMarkedRole).toBool();
}

bool frmGeneralSetting::eventFilter(QObject *watched, QEvent *event)
{
    // Space chooses the current node, as a click does; Enter stays with the OK button.
    if (watched == m_treeView1 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier) {
            if (QTreeWidgetItem *node = m_treeView1->currentItem())
                TreeView1_NodeClick(node);
            return true;
        }
    }
    return cSettingPage::eventFilter(watched, event);
}

std::shared_ptr<cAreas> frmGeneralSetting::AreaList()
{
    if (!m_areaList) {
        std::shared_ptr<cAreas> areas;
        if (m_roWeather->GetArea(AppSettings().ForecastmapPath(), areas))
            m_areaList = areas;
    }
    return m_areaList;
}

void frmGeneralSetting::FillAreaTree(const std::shared_ptr<cAreas> &Areas, QTreeWidget *tree)
{
    tree->clear();
    m_nodesByKey.clear();
    if (!Areas)
        return;
    for (const auto &area : *Areas) {
        QTreeWidgetItem *areaNode =
            AddNode(nullptr, kKeyPrefix + area->Title(), area->Title(), QStringLiteral("Area:") + area->Source());
        for (const auto &pref : *area->Prefs()) {
            QTreeWidgetItem *prefNode =
                AddNode(areaNode, kKeyPrefix + pref->Title(), pref->Title(), QStringLiteral("Pref:"));
            for (const auto &city : *pref->Cities())
                AddNode(prefNode, kKeyPrefix + city->ID(), city->Title(), QStringLiteral("City:") + city->Source());
        }
    }
}

QTreeWidgetItem *frmGeneralSetting::AddNode(QTreeWidgetItem *parent, const QString &key, const QString &text,
                                            const QString &tag)
{
    auto *node = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_treeView1);
    node->setText(0, text);
    node->setData(0, kKeyRole, key);
    node->setData(0, kTagRole, tag);
    setMarked(node, false);
    // Keys must be unique: a later node with a taken key (an area and a prefecture
    // of the same title, a city listed twice) is shown but lookups find the first.
    if (!m_nodesByKey.contains(key))
        m_nodesByKey.insert(key, node);
    return node;
}

QTreeWidgetItem *frmGeneralSetting::MarkedNode() const
{
    for (QTreeWidgetItemIterator it(m_treeView1); *it; ++it) {
        if (IsMarked(*it))
            return *it;
    }
    return nullptr;
}

void frmGeneralSetting::MarkNode(QTreeWidgetItem *node)
{
    for (QTreeWidgetItemIterator it(m_treeView1); *it; ++it) {
        if (IsMarked(*it))
            setMarked(*it, false);
    }
    setMarked(node, true);
}

void frmGeneralSetting::ShowNode(QTreeWidgetItem *node)
{
    for (QTreeWidgetItem *parent = node->parent(); parent; parent = parent->parent())
        parent->setExpanded(true);
    m_treeView1->setCurrentItem(node);
    m_treeView1->scrollToItem(node);
}

void frmGeneralSetting::TreeView1_NodeClick(QTreeWidgetItem *node)
{
    if (!node || node->childCount() > 0 || IsMarked(node))
        return;
    MarkNode(node);
    MarkChanged();
}

void frmGeneralSetting::cmdGetCities_Click()
{
    const int answer =
        ro::MsgBox(QStringLiteral("天気予報情報サイトから最新の地域情報を取得しますか？") + QChar(u'\r') +
                       QStringLiteral("情報の取得には暫くかかります。"),
                   ro::vbYesNo | ro::vbQuestion | ro::vbDefaultButton2, QStringLiteral("ネットワークアクセス"));
    if (answer != ro::vbYes)
        return;

    BusyCursor busy;
    const QString markedKey = NodeKey(MarkedNode());
    const QString fileName = modInternetProc::DownloadAreaFile(*m_Inet1, AppSettings());
    if (fileName.isEmpty() || !QFileInfo::exists(fileName))
        return;

    AppSettings().setForecastmapPath(fileName);
    m_areaList.reset();
    FillAreaTree(AreaList(), m_treeView1);
    if (!markedKey.isEmpty()) {
        if (QTreeWidgetItem *node = FindNode(markedKey)) {
            MarkNode(node);
            ShowNode(node);
        }
    }
}
