#pragma once

#include "WarningMark.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>

#include <memory>

class QLabel;
class QMouseEvent;
class QMoveEvent;
class cUniqTTT;
class roLabel;

/// The desktop widget: the forecast picture with two lines of outlined text below it, in a frameless window
/// whose background (the picture's top-left colour) is cut away and whose rest is slightly translucent.
/// Dragged with the left button; a right-button release asks the owner for its menu.
class fWeather : public QWidget {
    Q_OBJECT
public:
    /// Opacity of everything that is not cut away (out of 255).
    static constexpr int kOpacity = 220;

    /// Where Draw puts the window and its two children.
    struct Layout {
        QRect window;   ///< window rectangle on the screen
        QPoint picture; ///< picImage inside the window
        QPoint telop;   ///< Telop inside the window
        bool operator==(const Layout &) const = default;
    };

    /// Builds the widget (hidden) with its initial tool tip.
    explicit fWeather(QWidget *parent = nullptr);
    ~fWeather() override;

    /// Shows the widget centred at (lX, lY) with the text and the picture file; topmost or not.
    void Draw(int lX, int lY, const QString &Area, const QString &Weather, const QString &TempMin,
              const QString &TempMax, const QString &ImageFile, bool bTopmost);
    /// Centre of the window rectangle in screen pixels (halves rounded to even). Where the window system put the
    /// window elsewhere than Draw asked (a compositor that places windows itself), the centre asked for: the
    /// user's stored position is not replaced by the compositor's choice.
    void GetCenter(int &lX, int &lY) const;
    /// Replaces the picture's tool tip: title, text, icon (0 none, 1 information, 2 warning, 3 error).
    void SetToolTipText(const QString &strTitle, const QString &strToolTips, int iconNode);
    /// The warning mark the picture carries from the next Draw on (None: no mark).
    void SetWarningMark(WarningLevel level) { m_mark = level; }

    /// The window geometry for a centre, the label's size and the picture's size.
    static Layout ComputeLayout(int lX, int lY, QSize telop, QSize picture);
    /// The picture with its key colour (the top-left pixel's) made fully transparent.
    static QImage KeyedOut(const QImage &picture);

    /// The picture box.
    QLabel *picImage() const { return m_picImage; }
    /// The outlined text.
    roLabel *Telop() const { return m_telop; }
    /// The tool-tip holder of the picture.
    const cUniqTTT &ToolTipHolder() const { return *m_toolTips; }
    /// The colour cut away (the picture's top-left pixel at the last Draw).
    QColor ColorKey() const { return m_colorKey; }
    /// Whether the window stays above others.
    bool Topmost() const;

signals:
    /// The user released the right button over the widget: the owner opens its menu at (x, y), screen pixels.
    void PopUpMenuRequested(int x, int y);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void moveEvent(QMoveEvent *event) override;

private:
    bool HandleMouse(QObject *source, QMouseEvent *event);
    void SetTopmost(bool topmost);
    void UpdateMask(QSize windowSize);
    void NotePlacementRefused();

    QLabel *m_picImage;
    roLabel *m_telop;
    std::unique_ptr<cUniqTTT> m_toolTips;
    QImage m_picture;
    QColor m_colorKey;
    WarningLevel m_mark = WarningLevel::None;
    bool m_dragging = false;
    QRect m_requested;             ///< the window rectangle Draw last asked for (null before the first Draw)
    bool m_placed = false;         ///< the window is where Draw last asked, or the user has moved it since
    bool m_placementNoted = false; ///< the log has said once that the window system places the widget
    QPoint m_dragOffset;
};
