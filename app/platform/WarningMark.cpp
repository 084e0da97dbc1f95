#include "WarningMark.h"

#include <QPainter>

#include <algorithm>

namespace warningmark {

namespace {

// A filled disc with a white ring, drawn without smoothing so every pixel is one of two exact colours.
QImage markLayer(QSize size, QRect disc, WarningLevel level)
{
    QImage layer(size, QImage::Format_ARGB32);
    layer.fill(Qt::transparent);
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Colour(level));
    p.drawEllipse(disc.adjusted(0, 0, -1, -1));
    return layer;
}

// The layer over the picture; a layer pixel of the key colour is moved off it by one step of blue.
QImage compose(const QImage &picture, const QImage &layer, QColor key)
{
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb keyRgb = key.rgb() & 0xFFFFFFu;
    for (int y = 0; y < out.height(); ++y) {
        const auto *from = reinterpret_cast<const QRgb *>(layer.constScanLine(y));
        auto *to = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (qAlpha(from[x]) == 0)
                continue;
            QRgb c = from[x] | 0xFF000000u;
            if (key.isValid() && (c & 0xFFFFFFu) == keyRgb)
                c ^= 1u;
            to[x] = c;
        }
    }
    return out.convertToFormat(picture.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

} // namespace

QColor Colour(WarningLevel level)
{
    switch (level) {
    case WarningLevel::Advisory: return QColor(242, 231, 0);
    case WarningLevel::Warning: return QColor(255, 40, 0);
    case WarningLevel::Danger: return QColor(170, 0, 170);
    case WarningLevel::Emergency: return QColor(12, 0, 12);
    case WarningLevel::None: break;
    }
    return {};
}

QImage Stamped(const QImage &picture, WarningLevel level, QColor key)
{
    if (level == WarningLevel::None || picture.width() < 2 || picture.height() < 1)
        return picture;
    const int side = std::min(std::max(std::min(picture.width(), picture.height()) / 3, 7), picture.width() - 1);
    const QRect disc(picture.width() - side, 0, side, side);
    return compose(picture, markLayer(picture.size(), disc, level), key);
}

QIcon Marked(const QIcon &icon, WarningLevel level)
{
    if (level == WarningLevel::None || icon.isNull())
        return icon;
    QIcon marked;
    for (const QSize &size : icon.availableSizes()) {
        const QImage image = icon.pixmap(size).toImage();
        const int side = std::max(7, image.width() / 2);
        const QRect disc(image.width() - side, image.height() - side, side, side);
        marked.addPixmap(QPixmap::fromImage(compose(image, markLayer(image.size(), disc, level), QColor())));
    }
    return marked;
}

} // namespace warningmark
