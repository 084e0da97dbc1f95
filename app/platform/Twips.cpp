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
    return RoundHalfEven(twipsValue / twipsPerPixel);
}

} // namespace

int RoundHalfEven(double value)
{
    // The default floating-point rounding mode rounds halves to the even neighbour.
    return static_cast<int>(std::nearbyint(value));
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
    return {RoundHalfEven(pixels.x() * f), RoundHalfEven(pixels.y() * f)};
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

QSize TwipsToPixels(const QSize &twipsSize, const QScreen *screen)
{
    return TwipsToPixels(QRect(QPoint(), twipsSize), screen).size();
}

} // namespace twips
