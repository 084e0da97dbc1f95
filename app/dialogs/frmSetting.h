#pragma once

#include <QDialog>

class QPushButton;
class QTabWidget;
class frmCommSetting;
class frmGeneralSetting;

/// The modal settings dialog "設定画面" with the tabs "基本設定" and "接続設定".
/// Create one for each showing, call ShowSettingManager, then destroy it.
class frmSetting : public QDialog {
    Q_OBJECT
public:
    /// Loads the dialog: skin, tab icons and both pages.
    explicit frmSetting(QWidget *parent = nullptr);
    ~frmSetting() override;

    /// Positions (centred on the screen, or over `owner`), fills both pages, runs the
    /// dialog modally and returns whether the user's settings were saved.
    bool ShowSettingManager(QWidget *owner = nullptr);

    /// Whether there are unsaved changes: the enabled state of the OK button.
    bool Changed() const;
    /// Sets whether there are unsaved changes (enables or disables OK).
    void setChanged(bool vData);

    /// Validates both pages (the first refusal is shown and its tab selected),
    /// then writes them and the shadow settings; true when saved.
    bool SaveSettings();

    /// The general page (tab 0).
    frmGeneralSetting *GeneralPage() const { return m_general; }
    /// The connection page (tab 1).
    frmCommSetting *CommPage() const { return m_comm; }
    /// The tab strip holding the pages.
    QTabWidget *TabControl() const { return m_tabControl; }
    /// The OK button.
    QPushButton *cmdOK() const { return m_cmdOK; }
    /// The "キャンセル" button.
    QPushButton *cmdCancel() const { return m_cmdCancel; }

public slots:
    /// Escape and other rejections take the Cancel button's path.
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void LoadSkin();
    void cmdOK_Click();
    void cmdCancel_Click();
    void HideDialog();

    QTabWidget *m_tabControl = nullptr;
    QPushButton *m_cmdOK = nullptr;
    QPushButton *m_cmdCancel = nullptr;
    frmGeneralSetting *m_general = nullptr;
    frmCommSetting *m_comm = nullptr;
};
