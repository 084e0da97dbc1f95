#pragma once

class QPoint;
class QScreen;

/// Conversions between pixels and twips (1440 per logical inch) of a screen.
namespace twips {

/// Twips per pixel along x of the screen (the primary screen when none is given).
double TwipsPerPixelX(const QScreen *screen = nullptr);

/// Twips per pixel along y of the screen (the primary screen when none is given).
double TwipsPerPixelY(const QScreen *screen = nullptr);

/// A point in screen pixels converted to twips with the horizontal factor, as the menus' callers do.
QPoint PixelsToTwips(const QPoint &pixels, const QScreen *screen = nullptr);

/// A point in twips converted back to screen pixels with the horizontal factor.
QPoint TwipsToPixels(const QPoint &twipsPoint, const QScreen *screen = nullptr);

} // namespace twips
