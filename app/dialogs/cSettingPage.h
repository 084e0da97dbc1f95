#pragma once

#include <QFont>
#include <QList>
#include <QString>
#include <QWidget>

/// What the settings dialog asks of each of its pages: the page window (its
/// caption names the tab), the page contract, its controls' tab order and a
/// signal for every user edit.
class cSettingPage : public QWidget {
    Q_OBJECT
public:
    /// A borderless page window; the dialog inserts it into its tab control.
    explicit cSettingPage(QWidget *parent = nullptr)
        : QWidget(parent)
    {
        setFont(QFont(QStringLiteral("MS UI Gothic"), 9));
    }

    /// Copies the current settings into the page's controls.
    virtual void GetProperty() = 0;
    /// Empty when the page's input is valid, else the message to show.
    virtual QString SaveCheck() const = 0;
    /// Writes the page's controls to the settings.
    virtual void LetProperty() = 0;
    /// The page's controls in their tab order.
    virtual QList<QWidget *> TabChain() const = 0;

signals:
    /// The user edited the page (the dialog enables its OK button).
    void Changed();

protected:
    /// Raises Changed; every user edit calls it.
    void MarkChanged() { emit Changed(); }
};
