#include "Twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace twips {
namespace {

constexpr double kTwipsPerInch = 1440.0;
constexpr double kDefaultDpi = 96.0;

const QScreen *screenOrPrimary(const QScreen *screen)
{
    return screen ? screen : QGuiApplication::primaryScreen();
}

double factor(double dpi)
{
    return kTwipsPerInch / (dpi > 0.0 ? dpi : kDefaultDpi);
}

int toPixels(int twipsValue, double twipsPerPixel)
{
    return static_cast<int>(RoundHalfEven(twipsValue / twipsPerPixel));
}

} // namespace

double RoundHalfEven(double value)
{
    // The default floating-point rounding mode rounds halves to the even neighbour.
    return std::nearbyint(value);
}

double TwipsPerPixelX(const QScreen *screen)
{
    const QScreen *s = screenOrPrimary(screen);
    return factor(s ? s->logicalDotsPerInchX() : kDefaultDpi);
}

double TwipsPerPixelY(const QScreen *screen)
{
    const QScreen *s = screenOrPrimary(screen);
    return factor(s ? s->logicalDotsPerInchY() : kDefaultDpi);
}

QPoint PixelsToTwips(const QPoint &pixels, const QScreen *screen)
{
    const double f = TwipsPerPixelX(screen);
    return {static_cast<int>(RoundHalfEven(pixels.x() * f)), static_cast<int>(RoundHalfEven(pixels.y() * f))};
}

QPoint TwipsToPixels(const QPoint &twipsPoint, const QScreen *screen)
{
    const double f = TwipsPerPixelX(screen);
    return {toPixels(twipsPoint.x(), f), toPixels(twipsPoint.y(), f)};
}

QRect TwipsToPixels(const QRect &twipsRect, const QScreen *screen)
{
    const double tx = TwipsPerPixelX(screen);
    const double ty = TwipsPerPixelY(screen);
    return {toPixels(twipsRect.x(), tx), toPixels(twipsRect.y(), ty), toPixels(twipsRect.width(), tx),
            toPixels(twipsRect.height(), ty)};
}

} // namespace twips
