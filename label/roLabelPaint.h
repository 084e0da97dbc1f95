#pragma once

#include "roLabelConstants.h"

#include <QFont>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

class QImage;

/// The label's drawing routine over a QImage, apart from the widget so it can be checked pixel by pixel.
namespace roLabelPaint {

/// How the outline ring is drawn.
enum class OutlineMethod {
    Coverage, ///< the text once into a coverage mask, spread by the ring width, tinted underneath (fast)
    Ring,     ///< the line drawn (2w+1)² times at every offset of the ring (reference)
};

/// Everything one paint needs, colours already translated (RGB with red in the low byte, -1 = untranslatable).
struct Look {
    QString Caption;                                   ///< the text, lines separated by CR LF, LF or CR
    roAlignmentConstants Alignment = roAlignTop;       ///< placement of each line along the reading direction
    roOrientationConstants Orientation = roHorizontal; ///< reading direction
    bool UpsideDown = false;                           ///< turns the text by half a turn
    bool Bordering = false;                            ///< draws the outline ring
    int BorderingColor = 0xFFFFFF;                     ///< colour of the ring
    int BorderingWidth = 1;                            ///< thickness of the ring in pixels
    bool AutoSize = false;                             ///< computes the size the text needs
    int BackColor = 0xFFFFFF;                          ///< colour of the cleared surface
    int ForeColor = 0;                                 ///< colour of the text
    QFont Font;                                        ///< the requested font (point size)
    int Charset = 1;                                   ///< character set of the font (1 = default)
    int DpiY = 96;                                     ///< vertical pixels per logical inch of the surface
    OutlineMethod Method = OutlineMethod::Coverage;    ///< how the ring is drawn
};

/// What a paint found out about the text.
struct Result {
    int MaxWidth = 0;      ///< widest line in pixels (before the AutoSize adjustments)
    int LastLine = 0;      ///< index of the last line
    int Step = 0;          ///< line advance in pixels (signed as applied)
    QList<QPoint> Origins; ///< reference point of each line (top-left of its cell before rotation)
    QList<int> Widths;     ///< width of each line in pixels
    QSize AutoSizeResult;  ///< the size the control takes when AutoSize is on (invalid otherwise)
};

/// Rounds to the nearest integer, halves to the even one.
int RoundHalfEven(double value);

/// Splits a caption into lines: CR LF, then lone LF, then CR end a line.
QStringList SplitLines(const QString &caption);

/// The font a paint draws with: pixel height from the rounded point size and dpiY, weight 400/700, anti-aliased;
/// a family that lacks the character set's script falls back to one that has it.
QFont BuildFontRecord(const QFont &font, int charset, int dpiY);

/// Paints the label into the image (its logical size is the control's size; any device pixel ratio).
Result Paint(QImage &surface, const Look &look);

} // namespace roLabelPaint
