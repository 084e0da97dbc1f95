#pragma once

#include "cSettingPage.h"

#include <QHash>

#include <memory>

class QCheckBox;
class QLabel;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;
class cAreas;
class cInet;
class roWeather;

/// The general page "基本設定": the city tree built from the area list, the
/// two desktop-widget switches and the button that downloads a new area list.
class frmGeneralSetting : public cSettingPage {
    Q_OBJECT
public:
    /// Builds the controls and fills the tree from the stored area list.
    explicit frmGeneralSetting(QWidget *parent = nullptr);
    ~frmGeneralSetting() override;

    /// Marks and shows the city of CityID; fills the check boxes.
    void GetProperty() override;
    /// Empty when a city is marked, else "表示する地域が選択されていません".
    QString SaveCheck() const override;
    /// Writes CityID (when a city is marked), ShowDeskTop, ShowTopMost and NotifyWarnings.
    void LetProperty() override;
    /// The tree, the two check boxes, the button.
    QList<QWidget *> TabChain() const override;

    /// The tree of areas, prefectures and cities.
    QTreeWidget *TreeView1() const { return m_treeView1; }
    /// "デスクトップに天気の表示を行う".
    QCheckBox *chkShowDeskTop() const { return m_chkShowDeskTop; }
    /// "最前面に表示を行う".
    QCheckBox *chkShowTopMost() const { return m_chkShowTopMost; }
    /// "警報・注意報を通知する".
    QCheckBox *chkNotifyWarnings() const { return m_chkNotifyWarnings; }
    /// "最新の地域情報をサーバーから取得する".
    QPushButton *cmdGetCities() const { return m_cmdGetCities; }

    /// The node with this key ("ID:" + title or city ID), or null.
    QTreeWidgetItem *FindNode(const QString &key) const;
    /// The key of a node.
    static QString NodeKey(const QTreeWidgetItem *node);
    /// The tag of a node ("Area:" + source, "Pref:", "City:" + source).
    static QString NodeTag(const QTreeWidgetItem *node);
    /// Whether a node is the chosen city (bold, blue).
    static bool IsMarked(const QTreeWidgetItem *node);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::shared_ptr<cAreas> AreaList();
    void FillAreaTree(const std::shared_ptr<cAreas> &Areas, QTreeWidget *tree);
    QTreeWidgetItem *AddNode(QTreeWidgetItem *parent, const QString &key, const QString &text, const QString &tag);
    QTreeWidgetItem *MarkedNode() const;
    void MarkNode(QTreeWidgetItem *node);
    void ShowNode(QTreeWidgetItem *node);
    void TreeView1_NodeClick(QTreeWidgetItem *node);
    void cmdGetCities_Click();

    QLabel *m_label1 = nullptr;
    QTreeWidget *m_treeView1 = nullptr;
    QCheckBox *m_chkShowDeskTop = nullptr;
    QCheckBox *m_chkShowTopMost = nullptr;
    QCheckBox *m_chkNotifyWarnings = nullptr;
    QPushButton *m_cmdGetCities = nullptr;
    roWeather *m_roWeather = nullptr;
    std::unique_ptr<cInet> m_Inet1;
    std::shared_ptr<cAreas> m_areaList;
    QHash<QString, QTreeWidgetItem *> m_nodesByKey;
};
