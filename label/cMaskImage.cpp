#include "cMaskImage.h"

#include "roLabelConstants.h"

#include <algorithm>
#include <cmath>

void roCanvas::Resize(int width, int height)
{
    Image = QImage(std::max(0, width), std::max(0, height), QImage::Format_RGB32);
    Cls();
}

void roCanvas::Cls()
{
    if (!Image.isNull())
        Image.fill(BackColor);
}

bool cMaskImage::CreateMaskImage(const QImage &hdcSrc, int W, int H, roCanvas &hdcDest, QRgb lTransparentColor) const
{
    if (W < 1 || H < 1 || hdcSrc.isNull() || hdcDest.Image.isNull())
        return true;
    const QImage src = (hdcSrc.format() == QImage::Format_RGB32 || hdcSrc.format() == QImage::Format_ARGB32 ||
                        hdcSrc.format() == QImage::Format_ARGB32_Premultiplied)
                           ? hdcSrc
                           : hdcSrc.convertToFormat(QImage::Format_RGB32);
    QImage &dest = hdcDest.Image;
    if (dest.format() != QImage::Format_RGB32 && dest.format() != QImage::Format_ARGB32 &&
        dest.format() != QImage::Format_ARGB32_Premultiplied)
        dest.convertTo(QImage::Format_RGB32);

    const qreal dpr = src.devicePixelRatio();
    const QRgb key = lTransparentColor & 0xFFFFFFu;
    const QRgb back = hdcDest.BackColor.rgb();
    const QRgb fore = hdcDest.ForeColor.rgb();
    const int w = std::min(W, dest.width());
    const int h = std::min(H, dest.height());
    for (int y = 0; y < h; ++y) {
        const int sy0 = static_cast<int>(std::floor(y * dpr));
        const int sy1 = std::min(src.height(), std::max(sy0 + 1, static_cast<int>(std::ceil((y + 1) * dpr))));
        auto *out = reinterpret_cast<QRgb *>(dest.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const int sx0 = static_cast<int>(std::floor(x * dpr));
            const int sx1 = std::min(src.width(), std::max(sx0 + 1, static_cast<int>(std::ceil((x + 1) * dpr))));
            // Outside the source counts as transparent: there is nothing to show.
            bool transparent = true;
            for (int sy = sy0; sy < sy1 && transparent; ++sy) {
                const auto *in = reinterpret_cast<const QRgb *>(src.constScanLine(sy));
                for (int sx = sx0; sx < sx1; ++sx) {
                    if ((in[sx] & 0xFFFFFFu) != key) {
                        transparent = false;
                        break;
                    }
                }
            }
            out[x] = transparent ? back : fore;
        }
    }
    return true;
}

bool cMaskImage::CreateMaskImage2(const roCanvas &picFrom, roCanvas &picTo, int lTransparentColor) const
{
    const QSize size = picFrom.Image.deviceIndependentSize().toSize();
    picTo.Resize(size.width(), size.height());
    const QColor keyColor = lTransparentColor == -1 ? picFrom.BackColor : roColor::toQColor(lTransparentColor);
    return CreateMaskImage(picFrom.Image, size.width(), size.height(), picTo, keyColor.rgb());
}
