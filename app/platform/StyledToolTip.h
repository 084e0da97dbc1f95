#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace platform {

/// A small tool-tip window of our own for one target window: light blue, optional title with an icon,
/// rectangular with a border or a balloon, never wider than 250 pixels. It appears when the pointer rests
/// on the target and disappears when the pointer leaves or presses a button there.
class StyledToolTip : public QWidget {
    Q_OBJECT
public:
    /// Widest tip in pixels; longer texts wrap.
    static constexpr int kMaxWidth = 250;

    /// Makes the tip for `target` (watched, not owned); `iconCode` 0 none, 1 information, 2 warning, 3 error.
    /// Its size is known once it is polished (ensurePolished(), or shown).
    StyledToolTip(QWidget *target, const QString &title, const QString &text, bool balloon, int iconCode);

    /// Background colour, RGB(219, 233, 251).
    QColor BackgroundColor() const;
    /// Red for the error icon, else black.
    QColor TextColor() const;
    /// Whether a title (and its icon) is shown: only when the title is not blank.
    bool HasTitle() const;
    /// Balloon shape without border (true) or rectangle with a border (false).
    bool IsBalloon() const { return m_balloon; }
    /// The window the tip belongs to (null once it is gone).
    QWidget *Target() const { return m_target; }
    /// Shows the tip for a pointer at `globalPos`, kept inside the screen.
    void ShowAt(const QPoint &globalPos);

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void Relayout();
    QRect BodyRect() const;

    QPointer<QWidget> m_target;
    QString m_title;
    QString m_text;
    bool m_balloon;
    int m_iconCode;
    QRect m_titleRect;
    QRect m_textRect;
};

} // namespace platform
