#include "PopupControl.h"

#include "WindowHints.h"

#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScreen>
#include <QTimer>

#include <stdexcept>
#include <utility>

namespace {

constexpr double kDefaultPointSize = 9.0;
constexpr int kDefaultWidth = 300;
constexpr int kDefaultHeight = 180;

QPixmap pictureWithout(const QImage &bitmap, const QColor &transparent)
{
    QImage img = bitmap.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb() & 0x00ffffffu;
    for (int y = 0; y < img.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((line[x] & 0x00ffffffu) == key)
                line[x] = 0;
    }
    return QPixmap::fromImage(img);
}

} // namespace

PopupControlItem::PopupControlItem(int Left, int Top, int Right, int Bottom, QString Caption,
                                   std::optional<QColor> BackColor, std::optional<QColor> BorderColor)
    : m_left(Left)
    , m_top(Top)
    , m_right(Right)
    , m_bottom(Bottom)
    , m_caption(std::move(Caption))
    , m_backColor(std::move(BackColor))
    , m_borderColor(std::move(BorderColor))
{
}

void PopupControlItem::SetImage(const QImage &Bitmap, const QColor &TransparentColor, int States)
{
    if (Bitmap.isNull()) {
        ClearImage();
        return;
    }
    m_image = Bitmap;
    m_transparent = TransparentColor;
    m_imageStates = States;
    m_picture = pictureWithout(Bitmap, TransparentColor);
}

void PopupControlItem::ClearImage()
{
    m_image = QImage();
    m_picture = QPixmap();
    m_transparent = QColor();
    m_imageStates = 0;
}

int PopupControlItem::QtTextFlags(int f)
{
    int q = 0;
    if (f & DtRight)
        q |= Qt::AlignRight;
    else if (f & DtCenter)
        q |= Qt::AlignHCenter;
    else
        q |= Qt::AlignLeft;

    if (f & DtSingleLine) {
        // Vertical placement only means something for a single line, as with DrawText.
        if (f & DtVCenter)
            q |= Qt::AlignVCenter;
        else if (f & DtBottom)
            q |= Qt::AlignBottom;
        else
            q |= Qt::AlignTop;
        q |= Qt::TextSingleLine;
    } else {
        q |= Qt::AlignTop;
        if (f & DtWordBreak)
            q |= Qt::TextWordWrap;
    }
    return q;
}

PopupControl::PopupControl(QWidget *parent)
    // An ordinary window, not a tool window: window managers hide tool windows while their program is not the
    // active one (KWin keeps them iconic), and this program's windows are never activated by showing them.
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , m_fade(new QPropertyAnimation(this, "windowOpacity", this))
    , m_autoClose(new QTimer(this))
{
    m_autoClose->setSingleShot(true);
    connect(m_autoClose, &QTimer::timeout, this, &PopupControl::autoCloseDue);
    // Showing it takes the keyboard from nobody; a click on it gives it the keyboard (Escape, and the
    // menus it opens then hold the keyboard too, so that they close on Escape and on a click elsewhere).
    // A window that refuses the keyboard altogether is kept iconic by some window managers.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMouseTracking(true);
    setFont(QFont(QStringLiteral("MS UI Gothic"), static_cast<int>(kDefaultPointSize)));
    SetSize(kDefaultWidth, kDefaultHeight);
    platform::KeepOutOfTaskbar(*this);
    connect(m_fade, &QPropertyAnimation::finished, this, &PopupControl::onFadeFinished);
}

PopupControl::~PopupControl() = default;

void PopupControl::RemoveAllItems()
{
    m_items.clear();
    m_hot = -1;
    m_pressed = -1;
    unsetCursor();
    update();
}

void PopupControl::RemoveAllImages()
{
    for (auto &item : m_items)
        item->ClearImage();
    update();
}

PopupControlItem &PopupControl::AddItem(int Left, int Top, int Right, int Bottom, const QString &Caption,
                                        std::optional<QColor> BackColor, std::optional<QColor> BorderColor)
{
    m_items.push_back(std::make_unique<PopupControlItem>(Left, Top, Right, Bottom, Caption, std::move(BackColor),
                                                         std::move(BorderColor)));
    update();
    return *m_items.back();
}

PopupControlItem &PopupControl::Item(int Index)
{
    if (Index < 1 || Index > ItemCount())
        throw std::out_of_range("PopupControl::Item: position out of range");
    return *m_items[static_cast<size_t>(Index - 1)];
}

PopupControlItem *PopupControl::FindItem(int Id)
{
    for (auto &item : m_items)
        if (item->Id() == Id)
            return item.get();
    return nullptr;
}

void PopupControl::SetSize(int Width, int Height)
{
    // A tiling window manager (sway, natively or on Xwayland) tiles a window it may resize; one of a fixed
    // size floats.
    setFixedSize(Width, Height);
}

QRect PopupControl::Placement(const QRect &Available, const QSize &Size)
{
    // Flush with the bottom right corner; a window larger than the area keeps its top left on screen.
    const int x = std::max(Available.left(), Available.right() + 1 - Size.width());
    const int y = std::max(Available.top(), Available.bottom() + 1 - Size.height());
    return {QPoint(x, y), Size};
}

void PopupControl::Show(const QPoint &ScreenPoint)
{
    QScreen *screen = QGuiApplication::screenAt(ScreenPoint);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        setGeometry(Placement(screen->availableGeometry(), size()));

    switch (m_state) {
    case StateClosed:
        setWindowOpacity(0.0);
        show(); // a new window goes on top; asking to raise it as well makes some window managers flag it
        setState(StateOpening);
        fadeTo(1.0);
        break;
    case StateClosing:
        setState(StateOpening);
        fadeTo(1.0);
        break;
    default:
        raise();
        update();
        restartAutoClose();
        break;
    }
}

void PopupControl::Show()
{
    Show(QCursor::pos());
}

void PopupControl::Close()
{
    if (m_state == StateClosed || m_state == StateClosing)
        return;
    m_autoClose->stop();
    setState(StateClosing);
    fadeTo(0.0);
}

void PopupControl::setAutoCloseDelay(int ms)
{
    m_autoCloseMs = std::max(0, ms);
    if (m_autoClose->isActive() || m_autoCloseMs == 0)
        restartAutoClose();
}

bool PopupControl::AutoCloseRunning() const
{
    return m_autoClose->isActive();
}

void PopupControl::restartAutoClose()
{
    // The refresh timer skips its ticks while the pop-up is open: a pop-up left alone must go by itself.
    m_autoClose->stop();
    if (m_state == StateShown && m_autoCloseMs > 0 && !rect().contains(mapFromGlobal(QCursor::pos())))
        m_autoClose->start(m_autoCloseMs);
}

void PopupControl::autoCloseDue()
{
    if (rect().contains(mapFromGlobal(QCursor::pos())))
        return; // the pointer rests on it; leaving starts the countdown again
    Close();
}

void PopupControl::fadeTo(double opacity)
{
    m_fade->stop();
    m_fade->setDuration(m_duration);
    m_fade->setStartValue(windowOpacity());
    m_fade->setEndValue(opacity);
    m_fade->start();
}

void PopupControl::onFadeFinished()
{
    if (m_state == StateOpening) {
        setState(StateShown);
        restartAutoClose();
    } else if (m_state == StateClosing) {
        hide();
        setHot(-1);
        m_pressed = -1;
        setState(StateClosed);
    }
}

void PopupControl::setState(int state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit StateChanged(state);
}

int PopupControl::indexAt(const QPoint &pos) const
{
    // Later items lie on top of earlier ones.
    for (int i = static_cast<int>(m_items.size()) - 1; i >= 0; --i) {
        const auto &item = *m_items[static_cast<size_t>(i)];
        if (item.Clickable() && item.Rect().contains(pos))
            return i;
    }
    return -1;
}

PopupControlItem *PopupControl::ClickableItemAt(const QPoint &pos)
{
    const int i = indexAt(pos);
    return i < 0 ? nullptr : m_items[static_cast<size_t>(i)].get();
}

void PopupControl::setHot(int index)
{
    if (m_hot == index)
        return;
    m_hot = index;
    if (index >= 0)
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    update();
}

void PopupControl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    for (size_t i = 0; i < m_items.size(); ++i) {
        const PopupControlItem &item = *m_items[i];
        const QRect r = item.Rect();
        if (item.BackColor())
            p.fillRect(r, *item.BackColor());
        if (item.BorderColor()) {
            p.setPen(*item.BorderColor());
            p.setBrush(Qt::NoBrush);
            p.drawRect(r.adjusted(0, 0, -1, -1));
        }

        const int index = static_cast<int>(i);
        int state = PopupControlItem::StateNormal;
        if (index == m_hot)
            state = index == m_pressed ? PopupControlItem::StatePressed : PopupControlItem::StateHot;
        if (!item.Picture().isNull() && (item.ImageStates() & state)) {
            p.save();
            p.setClipRect(r);
            p.drawPixmap(r.topLeft(), item.Picture());
            p.restore();
        }

        if (!item.Caption().isEmpty()) {
            QFont f = font();
            if (item.FontSize() > 0)
                f.setPointSizeF(item.FontSize());
            f.setBold(item.Bold());
            f.setUnderline(item.Hyperlink());
            p.setFont(f);
            p.setPen(item.TextColor().value_or(item.Hyperlink() ? palette().color(QPalette::Link) : QColor(Qt::black)));
            p.save();
            p.setClipRect(r);
            p.drawText(r, PopupControlItem::QtTextFlags(item.TextAlignment()), item.Caption());
            p.restore();
        }
    }
}

void PopupControl::mouseMoveEvent(QMouseEvent *event)
{
    setHot(indexAt(event->position().toPoint()));
}

void PopupControl::mousePressEvent(QMouseEvent *event)
{
    // The keyboard follows the click (a window manager that focuses on click does so already).
    activateWindow();
    if (event->button() != Qt::LeftButton)
        return;
    m_pressed = indexAt(event->position().toPoint());
    setHot(m_pressed);
    update();
}

void PopupControl::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return;
    const int pressed = std::exchange(m_pressed, -1);
    const int released = indexAt(event->position().toPoint());
    update();
    if (pressed >= 0 && pressed == released)
        emit ItemClick(m_items[static_cast<size_t>(pressed)].get()); // handlers may refill: nothing after this
}

void PopupControl::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        Close();
    else
        QWidget::keyPressEvent(event);
}

void PopupControl::enterEvent(QEnterEvent *)
{
    m_autoClose->stop();
}

void PopupControl::leaveEvent(QEvent *)
{
    setHot(-1);
    restartAutoClose();
}

void PopupControl::closeEvent(QCloseEvent *event)
{
    // A close asked for by the window system fades out like the close item.
    event->ignore();
    Close();
}
