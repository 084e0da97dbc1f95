#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

/// Layout helpers of the settings dialogs: their sizes are written in twips
/// (1/1440 inch) and turned into pixels with the screen's logical DPI.
namespace dialogs {

/// Twips per pixel of the screen showing `widget` (primary screen when null).
double TwipsPerPixelX(const QWidget *widget);
/// Twips per pixel, vertically.
double TwipsPerPixelY(const QWidget *widget);

/// A rectangle given in twips, in pixels of the screen showing `widget`.
QRect TwipsToPixels(const QWidget *widget, int left, int top, int width, int height);
/// A size given in twips, in pixels of the screen showing `widget`.
QSize TwipsToPixels(const QWidget *widget, int width, int height);

/// Puts `child` at a rectangle given in twips (grown about its middle when the
/// platform's font needs more height than the design gave it; its text narrowed
/// when the font is wider than the design's).
void PlaceInTwips(QWidget *child, int left, int top, int width, int height);

/// Rounds to the nearest integer, halves to the even neighbour.
long long RoundHalfEven(double value);

/// Where a dialog of `dialogSize` goes, everything in twips: centred on the
/// screen without an owner area, else centred over `ownerArea` and pushed back
/// inside the screen's right/bottom and left/top edges.
QPoint CentredPosition(const QSizeF &screenSize, const QSizeF &dialogSize, const QRectF *ownerArea);

} // namespace dialogs
