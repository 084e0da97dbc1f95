#include "Twips.h"

#include <QGuiApplication>
#include <QPoint>
#include <QScreen>
#include <QtMath>

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
    // A screen reporting no DPI (headless corner cases) counts as the usual 96.
    return kTwipsPerInch / (dpi > 0.0 ? dpi : kDefaultDpi);
}

} // namespace

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
    return {qRound(pixels.x() * f), qRound(pixels.y() * f)};
}

QPoint TwipsToPixels(const QPoint &twipsPoint, const QScreen *screen)
{
    const double f = TwipsPerPixelX(screen);
    return {qRound(twipsPoint.x() / f), qRound(twipsPoint.y() / f)};
}

} // namespace twips
