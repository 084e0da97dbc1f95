#pragma once

#include <QtGlobal>

class QColor;
class QPalette;

/// Where each line sits along the reading direction (stored values, fixed).
enum roAlignmentConstants : int {
    roAlignTop = 0,    ///< each line starts at the start edge
    roAlignBottom = 1, ///< each line ends at the end edge
    roAlignCenter = 2, ///< each line is centred
};

/// Reading direction of the caption (stored values, fixed).
enum roOrientationConstants : int {
    roHorizontal = 0, ///< lines run left to right and stack downwards
    roVertical = 1,   ///< lines run top to bottom and stack from right to left
};

/// Whether the control covers its whole area (stored values, fixed).
enum roBackStyleConstants : int {
    roTransparent = 0, ///< only pixels that differ from the back colour are shown
    roOpaque = 1,      ///< the whole control area is painted
};

/// An OLE colour: top bit set = system colour by the index in the low byte, else RGB with red in the low byte.
using roOleColor = quint32;

namespace roColor {

/// The OLE colour as RGB (red in the low byte), system colours taken from the palette; -1 when untranslatable.
int TranslateColor(roOleColor color, const QPalette &palette);

/// The RGB value (red in the low byte) as a QColor; -1 draws as black.
QColor toQColor(int rgb);

/// The QColor as an RGB value with red in the low byte.
int fromQColor(const QColor &color);

} // namespace roColor
