#pragma once

#include <QLineEdit>

/// Text box for a port number: typed keys other than the digits 0-9 and
/// backspace are swallowed, and pasted or composed text keeps only its
/// digits; both report Rejected() (the page sounds the beep).
class cPortEdit : public QLineEdit {
    Q_OBJECT
public:
    /// An empty box taking at most five digits.
    explicit cPortEdit(QWidget *parent = nullptr);

signals:
    /// Input was refused or filtered.
    void Rejected();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};
