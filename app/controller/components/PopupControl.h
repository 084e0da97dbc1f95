#pragma once

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>
#include <optional>
#include <vector>

class QPropertyAnimation;
class QTimer;

/// One item of the pop-up window: a rectangle with optional caption, colours, text style, picture and identifier.
class PopupControlItem {
public:
    /// Text-format flags of the caption, as DrawText takes them.
    enum TextFormat : int {
        DtCenter = 1,     ///< centred horizontally
        DtRight = 2,      ///< right-aligned
        DtVCenter = 4,    ///< centred vertically (single line only)
        DtBottom = 8,     ///< at the bottom (single line only)
        DtWordBreak = 16, ///< wrapped at word boundaries
        DtSingleLine = 32 ///< one line
    };
    /// Item states a picture serves.
    enum ItemState : int {
        StateNormal = 1,
        StateHot = 2,
        StatePressed = 4
    };

    /// An item over left, top, right, bottom (right and bottom exclusive) with its caption and colours.
    PopupControlItem(int Left, int Top, int Right, int Bottom, QString Caption, std::optional<QColor> BackColor,
                     std::optional<QColor> BorderColor);

    /// Left edge in pixels from the pop-up's left side.
    int Left() const { return m_left; }
    /// Top edge in pixels from the pop-up's top side.
    int Top() const { return m_top; }
    /// Right edge (exclusive).
    int Right() const { return m_right; }
    /// Bottom edge (exclusive).
    int Bottom() const { return m_bottom; }
    /// The item's rectangle as a QRect.
    QRect Rect() const { return {m_left, m_top, m_right - m_left, m_bottom - m_top}; }
    /// The caption.
    const QString &Caption() const { return m_caption; }
    /// Background colour, when one was given.
    const std::optional<QColor> &BackColor() const { return m_backColor; }
    /// Border colour, when one was given.
    const std::optional<QColor> &BorderColor() const { return m_borderColor; }

    /// Text-format flags (36 line, 34 right line, 16 wrapped); default 36.
    int TextAlignment() const { return m_textAlignment; }
    /// Sets the text-format flags.
    void setTextAlignment(int v) { m_textAlignment = v; }
    /// Caption colour, when one was set (black is drawn for plain text, the link colour for links).
    const std::optional<QColor> &TextColor() const { return m_textColor; }
    /// Sets the caption colour.
    void setTextColor(const QColor &v) { m_textColor = v; }
    /// True for a bold caption.
    bool Bold() const { return m_bold; }
    /// Sets the bold flag.
    void setBold(bool v) { m_bold = v; }
    /// Font size in points; 0 means the pop-up's default size.
    double FontSize() const { return m_fontSize; }
    /// Sets the font size in points.
    void setFontSize(double v) { m_fontSize = v; }
    /// True when the caption is a link: underlined, clickable, hand cursor.
    bool Hyperlink() const { return m_hyperlink; }
    /// Makes the caption a link.
    void setHyperlink(bool v) { m_hyperlink = v; }
    /// Identifier reported with the item-click event; 0 = none.
    int Id() const { return m_id; }
    /// Sets the identifier.
    void setId(int v) { m_id = v; }

    /// Sets the picture: drawn at the item's top-left, pixels of the transparent colour left out, in the given
    /// states (bit set of ItemState). A null image removes the picture.
    void SetImage(const QImage &Bitmap, const QColor &TransparentColor, int States);
    /// Removes the picture.
    void ClearImage();
    /// The picture as given (null when none).
    const QImage &Image() const { return m_image; }
    /// The picture with its transparent colour removed, as drawn.
    const QPixmap &Picture() const { return m_picture; }
    /// The colour that is transparent in the picture.
    const QColor &ImageTransparentColor() const { return m_transparent; }
    /// The states the picture is drawn in.
    int ImageStates() const { return m_imageStates; }

    /// True when a click on the item is reported: links, and pictures that carry an identifier (buttons).
    bool Clickable() const { return m_hyperlink || (!m_image.isNull() && m_id != 0); }

    /// Qt alignment and text flags for DrawText-style flags.
    static int QtTextFlags(int drawTextFlags);

private:
    int m_left, m_top, m_right, m_bottom;
    QString m_caption;
    std::optional<QColor> m_backColor;
    std::optional<QColor> m_borderColor;
    int m_textAlignment = DtSingleLine | DtVCenter;
    std::optional<QColor> m_textColor;
    bool m_bold = false;
    double m_fontSize = 0.0;
    bool m_hyperlink = false;
    int m_id = 0;
    QImage m_image;
    QPixmap m_picture;
    QColor m_transparent;
    int m_imageStates = 0;
};

/// The pop-up window component: a frameless window at the bottom right of the screen that fades in and out and
/// draws a list of items.
class PopupControl : public QWidget {
    Q_OBJECT
public:
    /// Window states reported by State().
    enum PopupState : int {
        StateClosed = 0,
        StateOpening = 1,
        StateShown = 2,
        StateClosing = 3
    };

    /// A closed, empty pop-up of 300 x 180 pixels. Give it no parent where the parent is never shown: window
    /// managers treat a window that belongs to a hidden one as hidden too.
    explicit PopupControl(QWidget *parent = nullptr);
    ~PopupControl() override;

    /// Removes every item.
    void RemoveAllItems();
    /// Removes every item's picture.
    void RemoveAllImages();
    /// Appends an item (drawn over the earlier ones) and returns it; the pop-up keeps ownership.
    PopupControlItem &AddItem(int Left, int Top, int Right, int Bottom, const QString &Caption,
                              std::optional<QColor> BackColor = std::nullopt,
                              std::optional<QColor> BorderColor = std::nullopt);
    /// Number of items.
    int ItemCount() const { return static_cast<int>(m_items.size()); }
    /// The item at a 1-based position; throws std::out_of_range outside 1..ItemCount.
    PopupControlItem &Item(int Index);
    /// The first item with that identifier, or nullptr.
    PopupControlItem *FindItem(int Id);

    /// Display option of the component (kept for the callers; 4 = the program's own drawing).
    int DisplayOption() const { return m_displayOption; }
    /// Sets the display option.
    void setDisplayOption(int v) { m_displayOption = v; }
    /// Sets the window size in pixels.
    void SetSize(int Width, int Height);
    /// Length of the fade in and out.
    int AnimationDuration() const { return m_duration; }
    /// Sets the length of the fade in and out in milliseconds.
    void setAnimationDuration(int ms) { m_duration = ms; }

    /// How long the fully shown pop-up stays while the pointer is elsewhere before it closes itself.
    static constexpr int kDefaultAutoCloseMs = 12000;
    /// The time the shown pop-up waits, with the pointer away from it, before it closes; 0 never closes it.
    int AutoCloseDelay() const { return m_autoCloseMs; }
    /// Sets that time in milliseconds.
    void setAutoCloseDelay(int ms);
    /// True while the self-closing countdown runs (shown, pointer not over it).
    bool AutoCloseRunning() const;

    /// Shows the pop-up at the bottom right of the available area of the screen that holds the point
    /// (screen pixels; the tray icon's or widget's position), fading in.
    void Show(const QPoint &ScreenPoint);
    /// Shows the pop-up on the screen under the mouse cursor.
    void Show();
    /// Fades the pop-up out and hides it.
    void Close();
    /// 0 closed, 1 fading in, 2 fully shown, 3 fading out.
    int State() const { return m_state; }

    /// Where a window of that size goes inside an available screen area: its bottom right corner.
    static QRect Placement(const QRect &Available, const QSize &Size);

    /// The item under a point of the window that a click would report, or nullptr.
    PopupControlItem *ClickableItemAt(const QPoint &pos);

signals:
    /// A clickable item was clicked (pressed and released on it).
    void ItemClick(PopupControlItem *Item);
    /// The state changed (see State()).
    void StateChanged(int State);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    int indexAt(const QPoint &pos) const;
    void setState(int state);
    void fadeTo(double opacity);
    void onFadeFinished();
    void setHot(int index);
    void restartAutoClose();
    void autoCloseDue();

    std::vector<std::unique_ptr<PopupControlItem>> m_items;
    QPropertyAnimation *m_fade; // child of this
    QTimer *m_autoClose;        // child of this
    int m_autoCloseMs = kDefaultAutoCloseMs;
    int m_state = StateClosed;
    int m_displayOption = 0;
    int m_duration = 200;
    int m_hot = -1;
    int m_pressed = -1;
};
