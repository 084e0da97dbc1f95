#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace dialogs {
namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr int kMinStretch = 76;

const QScreen *screenOf(const QWidget *widget)
{
    const QScreen *screen = widget ? widget->screen() : nullptr;
    return screen ? screen : QGuiApplication::primaryScreen();
}

double perPixel(double dpi)
{
    return dpi > 0.0 ? kTwipsPerInch / dpi : 15.0;
}

int toPixels(double twips, double twipsPerPixel)
{
    return static_cast<int>(RoundHalfEven(twips / twipsPerPixel));
}

} // namespace

double TwipsPerPixelX(const QWidget *widget)
{
    const QScreen *screen = screenOf(widget);
    return perPixel(screen ? screen->logicalDotsPerInchX() : 96.0);
}

double TwipsPerPixelY(const QWidget *widget)
{
    const QScreen *screen = screenOf(widget);
    return perPixel(screen ? screen->logicalDotsPerInchY() : 96.0);
}

QRect TwipsToPixels(const QWidget *widget, int left, int top, int width, int height)
{
    const double tx = TwipsPerPixelX(widget);
    const double ty = TwipsPerPixelY(widget);
    return {toPixels(left, tx), toPixels(top, ty), toPixels(width, tx), toPixels(height, ty)};
}

QSize TwipsToPixels(const QWidget *widget, int width, int height)
{
    return {toPixels(width, TwipsPerPixelX(widget)), toPixels(height, TwipsPerPixelY(widget))};
}

void PlaceInTwips(QWidget *child, int left, int top, int width, int height)
{
    QRect rect = TwipsToPixels(child, left, top, width, height);
    const int needed = child->sizeHint().height();
    if (needed > rect.height()) {
        const int grow = needed - rect.height();
        rect.adjust(0, -(grow / 2), 0, grow - grow / 2);
    }
    // The layout was designed for a font whose kana are narrower than those of the
    // usual substitutes: narrow the text of a control that would be cut instead.
    const bool captioned = child->inherits("QAbstractButton") || child->inherits("QLabel");
    if (captioned && child->sizeHint().width() > rect.width()) {
        QFont font = child->font();
        for (int stretch = 97; stretch >= kMinStretch && child->sizeHint().width() > rect.width(); stretch -= 3) {
            font.setStretch(stretch);
            child->setFont(font);
        }
    }
    child->setGeometry(rect);
}

long long RoundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double diff = value - floor;
    auto result = static_cast<long long>(floor);
    if (diff > 0.5 || (diff == 0.5 && (result % 2 != 0)))
        ++result;
    return result;
}

QPoint CentredPosition(const QSizeF &screenSize, const QSizeF &dialogSize, const QRectF *ownerArea)
{
    double left = 0.0;
    double top = 0.0;
    if (!ownerArea) {
        left = (screenSize.width() - dialogSize.width()) / 2.0;
        top = (screenSize.height() - dialogSize.height()) / 2.0;
    } else {
        left = ownerArea->left() + (ownerArea->width() - dialogSize.width()) / 2.0;
        top = ownerArea->top() + (ownerArea->height() - dialogSize.height()) / 2.0;
        if (left + dialogSize.width() > screenSize.width())
            left = screenSize.width() - dialogSize.width();
        if (top + dialogSize.height() > screenSize.height())
            top = screenSize.height() - dialogSize.height();
        // A dialog whose caption lies off the screen cannot be moved back by the user.
        left = std::max(left, 0.0);
        top = std::max(top, 0.0);
    }
    return {static_cast<int>(RoundHalfEven(left)), static_cast<int>(RoundHalfEven(top))};
}

} // namespace dialogs
