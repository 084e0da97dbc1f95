#pragma once

#include <QPoint>
#include <QRectF>
#include <QSizeF>

class QWidget;

/// Layout helpers of the settings dialogs, whose sizes are written in twips.
namespace dialogs {

/// Puts `child` at a rectangle given in twips (grown about its middle when the
/// platform's font needs more height than the design gave it; its text narrowed
/// when the font is wider than the design's).
void PlaceInTwips(QWidget *child, int left, int top, int width, int height);

/// Where a dialog of `dialogSize` goes, everything in twips: centred on the
/// screen without an owner area, else centred over `ownerArea` and pushed back
/// inside the screen's right/bottom and left/top edges.
QPoint CentredPosition(const QSizeF &screenSize, const QSizeF &dialogSize, const QRectF *ownerArea);

} // namespace dialogs
