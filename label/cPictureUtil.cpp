#include "cPictureUtil.h"

#include <QPainter>

std::shared_ptr<const QPixmap> cPictureUtil::BitmapToPicture(QImage hBmp) const
{
    if (hBmp.isNull())
        return nullptr;
    return std::make_shared<const QPixmap>(QPixmap::fromImage(std::move(hBmp)));
}

QImage cPictureUtil::HBitmapFromPicture(const std::shared_ptr<const QPixmap> &picThis) const
{
    if (!picThis || picThis->isNull())
        return {};
    return picThis->toImage().convertToFormat(QImage::Format_RGB32);
}

QImage cPictureUtil::HBitmapFromDC(const QImage &lhDC, int lWidth, int lHeight) const
{
    if (lWidth < 1 || lHeight < 1)
        return {};
    QImage bitmap(lWidth, lHeight, QImage::Format_RGB32);
    bitmap.fill(Qt::black);
    if (!lhDC.isNull()) {
        // Device pixels, as a device copy would take them.
        const QImage area = lhDC.copy(0, 0, std::min(lWidth, lhDC.width()), std::min(lHeight, lhDC.height()));
        QPainter painter(&bitmap);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        QImage plain = area;
        plain.setDevicePixelRatio(1.0);
        painter.drawImage(0, 0, plain);
    }
    return bitmap;
}
