#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;

/// Pixels and twips (1440 per logical inch of a screen; a screen reporting no DPI counts as 96). Every
/// conversion rounds to the nearest integer, halves to the even neighbour.
namespace twips {

/// Rounds to the nearest integer, halves to the even neighbour.
int RoundHalfEven(double value);

/// Twips per pixel along x of the screen (the primary screen when none is given).
double TwipsPerPixelX(const QScreen *screen = nullptr);
/// Twips per pixel along y of the screen (the primary screen when none is given).
double TwipsPerPixelY(const QScreen *screen = nullptr);

/// A point in screen pixels converted to twips with the horizontal factor, as the menus' callers do.
QPoint PixelsToTwips(const QPoint &pixels, const QScreen *screen = nullptr);
/// A point in twips converted back to screen pixels with the horizontal factor.
QPoint TwipsToPixels(const QPoint &twipsPoint, const QScreen *screen = nullptr);

/// A form layout's rectangle in twips, in pixels: each axis with its own factor.
QRect TwipsToPixels(const QRect &twipsRect, const QScreen *screen = nullptr);
/// A form layout's size in twips, in pixels: each axis with its own factor.
QSize TwipsToPixels(const QSize &twipsSize, const QScreen *screen = nullptr);

} // namespace twips
