#include "roLabelPaint.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <vector>

namespace roLabelPaint {
namespace {

// Widths beyond this cannot show more on any surface and would overflow the line arithmetic.
constexpr int kMaxBorderingWidth = 100000;
// The reference ring draws (2w+1)² copies; it is only meant for small widths.
constexpr int kMaxRingWidth = 64;

QFontDatabase::WritingSystem writingSystemOf(int charset)
{
    switch (charset) {
    case 0:   // ANSI
    case 162: // Turkish
    case 186: // Baltic
    case 238: // Central European
        return QFontDatabase::Latin;
    case 128: return QFontDatabase::Japanese;
    case 129:
    case 130: return QFontDatabase::Korean;
    case 134: return QFontDatabase::SimplifiedChinese;
    case 136: return QFontDatabase::TraditionalChinese;
    case 161: return QFontDatabase::Greek;
    case 163: return QFontDatabase::Vietnamese;
    case 177: return QFontDatabase::Hebrew;
    case 178: return QFontDatabase::Arabic;
    case 204: return QFontDatabase::Cyrillic;
    case 222: return QFontDatabase::Thai;
    default: // 1 default, 2 symbol, 255 OEM: no preference
        return QFontDatabase::Any;
    }
}

QTransform lineTransform(int x, int y, int escapement)
{
    QTransform t;
    t.translate(x, y);
    // Escapement turns counter-clockwise on the screen; QTransform turns clockwise with y pointing down.
    t.rotate(-escapement / 10.0);
    return t;
}

void drawLine(QPainter &painter, const QFontMetrics &fm, int x, int y, int escapement, const QString &line)
{
    painter.setTransform(lineTransform(x, y, escapement));
    painter.drawText(QPointF(0, fm.ascent()), line);
}

inline int mul255(int a, int b)
{
    const int t = a * b + 128;
    return (t + (t >> 8)) >> 8;
}

inline uint blendChannel(uint dst, uint src, uint a)
{
    return static_cast<uint>(mul255(static_cast<int>(dst), 255 - static_cast<int>(a)) +
                             mul255(static_cast<int>(src), static_cast<int>(a)));
}

inline QRgb blend(QRgb dst, QRgb src, uint a)
{
    if (a == 0)
        return dst;
    if (a == 255)
        return src;
    return qRgb(static_cast<int>(blendChannel(qRed(dst), qRed(src), a)),
                static_cast<int>(blendChannel(qGreen(dst), qGreen(src), a)),
                static_cast<int>(blendChannel(qBlue(dst), qBlue(src), a)));
}

// The coverage is the alpha channel of the text drawn alone (premultiplied ARGB: Qt's fast text path).
// Stacking (2r+1)² copies of the text at every offset of a square gives the coverage 1 - Π(1 - a);
// the product over a square splits into a row pass and a column pass. Each finished row is blended at once:
// the ring colour under the spread coverage, the fore colour under the text's own coverage.
void drawOutlined(QImage &surface, const QImage &coverage, int radius, QRgb ringColor, QRgb foreColor)
{
    const int w = coverage.width();
    const int h = coverage.height();
    // Π(1 - a) within the radius along each row, kept as 255 - coverage. Most pixels carry no ink, so each
    // inked pixel is spread onto its neighbours instead of every pixel gathering from all of them.
    std::vector<uchar> rows(static_cast<size_t>(w) * h, 255);
    int left = w;
    int right = -1;
    int top = h;
    int bottom = -1;
    for (int y = 0; y < h; ++y) {
        const auto *src = reinterpret_cast<const QRgb *>(coverage.constScanLine(y));
        uchar *dst = rows.data() + static_cast<size_t>(y) * w;
        bool inked = false;
        for (int k = 0; k < w; ++k) {
            const int a = qAlpha(src[k]);
            if (!a)
                continue;
            const int t = 255 - a;
            const int x0 = std::max(0, k - radius);
            const int x1 = std::min(w - 1, k + radius);
            for (int x = x0; x <= x1; ++x)
                dst[x] = static_cast<uchar>(mul255(dst[x], t));
            left = std::min(left, x0);
            right = std::max(right, x1);
            inked = true;
        }
        if (inked) {
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (bottom < 0)
        return;
    // the same down the columns
    std::vector<uchar> keep(static_cast<size_t>(w) * h, 255);
    for (int k = top; k <= bottom; ++k) {
        const uchar *row = rows.data() + static_cast<size_t>(k) * w;
        const int y0 = std::max(0, k - radius);
        const int y1 = std::min(h - 1, k + radius);
        for (int x = left; x <= right; ++x) {
            const int t = row[x];
            if (t == 255)
                continue;
            for (int y = y0; y <= y1; ++y) {
                uchar &cell = keep[static_cast<size_t>(y) * w + x];
                cell = static_cast<uchar>(mul255(cell, t));
            }
        }
    }
    for (int y = std::max(0, top - radius); y <= std::min(h - 1, bottom + radius); ++y) {
        auto *dst = reinterpret_cast<QRgb *>(surface.scanLine(y));
        const auto *text = reinterpret_cast<const QRgb *>(coverage.constScanLine(y));
        const uchar *spread = keep.data() + static_cast<size_t>(y) * w;
        for (int x = left; x <= right; ++x) {
            if (spread[x] == 255)
                continue; // no ink nearby (and none here: the ring covers the text)
            QRgb px = blend(dst[x], ringColor, 255u - spread[x]);
            if (const uint a = qAlpha(text[x]))
                px = blend(px, foreColor, a);
            dst[x] = px;
        }
    }
}

} // namespace

int RoundHalfEven(double value)
{
    double whole = std::floor(value);
    const double frac = value - whole;
    if (frac > 0.5 || (frac == 0.5 && std::fmod(whole, 2.0) != 0.0))
        whole += 1.0;
    return static_cast<int>(std::clamp(whole, -2147483648.0, 2147483647.0));
}

QStringList SplitLines(const QString &caption)
{
    QString text = caption;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\r"));
    text.replace(QLatin1Char('\n'), QLatin1Char('\r'));
    return text.split(QLatin1Char('\r'));
}

QFont BuildFontRecord(const QFont &font, int charset, int dpiY)
{
    QFont record(font);
    int pixels = font.pixelSize();
    if (font.pointSizeF() > 0)
        pixels = RoundHalfEven(RoundHalfEven(font.pointSizeF()) * dpiY / 72.0);
    record.setPixelSize(std::max(1, pixels));
    record.setWeight(font.bold() ? QFont::Bold : QFont::Normal);
    record.setStyleStrategy(QFont::PreferAntialias);

    const QFontDatabase::WritingSystem script = writingSystemOf(charset);
    if (script != QFontDatabase::Any) {
        const QString resolved = QFontInfo(record).family();
        if (!QFontDatabase::writingSystems(resolved).contains(script)) {
            // Like the Windows font mapper, the character set outweighs the face name.
            const QStringList candidates = QFontDatabase::families(script);
            auto preferred = std::find_if(candidates.begin(), candidates.end(), [](const QString &name) {
                return name.contains(QLatin1String("Gothic")) || name.contains(QLatin1String("Sans"));
            });
            if (preferred != candidates.end())
                record.setFamily(*preferred);
            else if (!candidates.isEmpty())
                record.setFamily(candidates.first());
        }
    }
    return record;
}

Result Paint(QImage &surface, const Look &look)
{
    Result result;
    const bool canDraw = !surface.isNull();
    if (canDraw && surface.format() != QImage::Format_ARGB32_Premultiplied &&
        surface.format() != QImage::Format_RGB32 && surface.format() != QImage::Format_ARGB32)
        surface.convertTo(QImage::Format_ARGB32_Premultiplied);

    const qreal dpr = surface.devicePixelRatio();
    const QSizeF logical = surface.deviceIndependentSize();
    const int W = RoundHalfEven(logical.width());
    const int H = RoundHalfEven(logical.height());
    const QColor back = roColor::toQColor(look.BackColor);
    const QColor fore = roColor::toQColor(look.ForeColor);

    // 1. clear to the back colour
    if (canDraw)
        surface.fill(back);

    const QFont font = BuildFontRecord(look.Font, look.Charset, look.DpiY);
    const QFontMetrics fm(font);
    const int heightA = fm.height();
    const int width = std::clamp(look.BorderingWidth, -kMaxBorderingWidth, kMaxBorderingWidth);
    const QStringList parts = SplitLines(look.Caption);
    const int lines = static_cast<int>(parts.size());
    int maxw = 0;

    if (!look.Caption.isEmpty()) {
        // 4. line step; 5. escapement and start point
        int step = heightA + (look.Bordering ? 2 * width : 0);
        const int b = look.Bordering ? width : 0;
        const bool vertical = look.Orientation == roVertical;
        int escapement = 0;
        int x = b;
        int y = b;
        if (!vertical && look.UpsideDown) {
            escapement = 1800;
            x = W - b;
            y = H - b;
            step = -step;
        } else if (vertical && !look.UpsideDown) {
            escapement = 2700;
            x = W - b;
            step = -step;
        } else if (vertical) {
            escapement = 900;
            y = H - b;
        }
        result.Step = step;

        const bool outline = look.Bordering && width > 0;
        const bool viaCoverage = outline && look.Method == OutlineMethod::Coverage;
        QImage coverage;
        QPainter painter;
        if (!canDraw) {
            // nothing to draw on: only the measurements
        } else if (viaCoverage) {
            // drawn where text drawing is fastest, read as its alpha channel
            coverage = QImage(surface.size(), QImage::Format_ARGB32_Premultiplied);
            coverage.setDevicePixelRatio(dpr);
            coverage.fill(0);
            painter.begin(&coverage);
            painter.setPen(QColor(0, 0, 0, 255));
        } else {
            painter.begin(&surface);
        }
        if (painter.isActive())
            painter.setFont(font);
        const QColor ring = roColor::toQColor(look.BorderingColor);
        const int ringWidth = std::min(width, kMaxRingWidth);

        // 7. one line after the other
        for (const QString &line : parts) {
            const int w = fm.horizontalAdvance(line);
            const int span = vertical ? H : W;
            int placed = vertical ? y : x;
            if (look.Alignment == roAlignBottom)
                placed = look.UpsideDown ? w : span - w;
            else if (look.Alignment == roAlignCenter)
                placed = look.UpsideDown ? RoundHalfEven(span - (span - w) / 2.0) : RoundHalfEven((span - w) / 2.0);
            (vertical ? y : x) = placed;
            maxw = std::max(maxw, w);
            result.Origins.append(QPoint(x, y));
            result.Widths.append(w);

            if (!canDraw) {
            } else if (viaCoverage) {
                drawLine(painter, fm, x, y, escapement, line);
            } else {
                if (outline) {
                    painter.setPen(ring);
                    for (int dx = -ringWidth; dx <= ringWidth; ++dx) {
                        for (int dy = -ringWidth; dy <= ringWidth; ++dy)
                            drawLine(painter, fm, x + dx, y + dy, escapement, line);
                    }
                }
                painter.setPen(fore);
                drawLine(painter, fm, x, y, escapement, line);
            }
            (vertical ? x : y) += step;
        }
        if (painter.isActive())
            painter.end();

        if (canDraw && viaCoverage) {
            const int maxRadius = std::max(surface.width(), surface.height());
            const int radius = std::clamp(static_cast<int>(std::lround(width * dpr)), 1, maxRadius);
            drawOutlined(surface, coverage, radius, ring.rgb(), fore.rgb());
        }
    }
    result.MaxWidth = maxw;
    result.LastLine = lines - 1;

    // 9. the size the text needs
    if (look.AutoSize) {
        int mw = maxw;
        if (mw < 1)
            mw = fm.horizontalAdvance(look.Caption.isEmpty() ? QStringLiteral("A") : look.Caption);
        else if (look.Bordering)
            mw += 2 * width;
        if (look.Font.italic())
            mw += RoundHalfEven(heightA / 3.7314745);
        const int count = look.Caption.isEmpty() ? 1 : lines;
        const int total = look.Bordering ? RoundHalfEven(static_cast<double>(heightA + 2 * width) * count)
                                         : RoundHalfEven(static_cast<double>(heightA) * count);
        result.AutoSizeResult = look.Orientation == roVertical ? QSize(total, mw) : QSize(mw, total);
    }
    return result;
}

} // namespace roLabelPaint
