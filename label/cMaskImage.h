#pragma once

#include <QColor>
#include <QImage>
#include <QRgb>

/// A drawing surface with its own back and fore colour: what a picture box is to the mask routines.
/// Its image is in logical pixels (device pixel ratio 1).
struct roCanvas {
    QImage Image;                             ///< the pixels
    QColor BackColor = QColor(255, 255, 255); ///< colour of Cls and of the mask's transparent part
    QColor ForeColor = QColor(0, 0, 0);       ///< colour of the mask's visible part

    /// Gives the canvas a size (pixels) and clears it to the back colour.
    void Resize(int width, int height);
    /// Clears the whole canvas to the back colour.
    void Cls();
};

/// Turns an image into a two-colour mask of the pixels that have one colour.
/// Devices are QImages here; a source with a device pixel ratio above 1 is judged per logical pixel,
/// which counts as transparent only when all its device pixels have the transparent colour.
class cMaskImage {
public:
    /// Writes into hdcDest at (0, 0) the mask of the source's W × H (logical) area: the destination's back colour
    /// where the source has lTransparentColor, its fore colour elsewhere. Nothing is written when W or H is
    /// below 1. Returns true.
    bool CreateMaskImage(const QImage &hdcSrc, int W, int H, roCanvas &hdcDest, QRgb lTransparentColor) const;

    /// Gives picTo the size of picFrom, clears it and writes the mask of picFrom's image into it;
    /// lTransparentColor is an RGB value with red in the low byte, or -1 for picFrom's back colour.
    bool CreateMaskImage2(const roCanvas &picFrom, roCanvas &picTo, int lTransparentColor = -1) const;
};
