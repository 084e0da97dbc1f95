#pragma once

#include <QPointer>
#include <QString>
#include <QWidget>

class frmSetting;

/// What the settings dialog asks of each of its pages: the page window (its
/// caption names the tab) plus the four members of the page contract.
class cSettingPage : public QWidget {
    Q_OBJECT
public:
    /// A borderless page window; the dialog inserts it into its tab control.
    explicit cSettingPage(QWidget *parent = nullptr);
    ~cSettingPage() override;

    /// The dialog this page marks changed; set by the dialog right after creating the page.
    frmSetting *objParent() const;
    /// Sets the dialog this page reports to.
    void setObjParent(frmSetting *vData);

    /// Copies the current settings into the page's controls.
    virtual void GetProperty() = 0;
    /// Empty when the page's input is valid, else the message to show.
    virtual QString SaveCheck() const = 0;
    /// Writes the page's controls to the settings.
    virtual void LetProperty() = 0;

protected:
    /// Marks the dialog changed (enables its OK button); every user edit calls it.
    void MarkChanged();

private:
    QPointer<frmSetting> m_objParent;
};
