#pragma once

#include <QImage>
#include <QPixmap>

#include <memory>

/// Copies surfaces into bitmaps and wraps bitmaps into pictures.
/// Handles become values: a device is the QImage it draws into, a bitmap a QImage the caller owns
/// (a null QImage stands for no bitmap), a picture a shared QPixmap that owns its pixels.
class cPictureUtil {
public:
    /// A picture owning the bitmap (its pixels are moved in), or nullptr for a null bitmap.
    std::shared_ptr<const QPixmap> BitmapToPicture(QImage hBmp) const;

    /// A new bitmap holding a copy of the picture's pixels, of the same size; null for no picture.
    QImage HBitmapFromPicture(const std::shared_ptr<const QPixmap> &picThis) const;

    /// A new full-colour bitmap of lWidth × lHeight pixels holding a copy of the device's area at (0, 0);
    /// parts outside the device are black.
    QImage HBitmapFromDC(const QImage &lhDC, int lWidth, int lHeight) const;
};
