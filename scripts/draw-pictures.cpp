// Draws the program's own pictures: the icon groups "AAA" (sun with a cloud) and "BBB" (the same with a red
// failure mark) at 16, 22, 32 and 48 pixels, the failure picture Res/CloudPaneX.bmp and the pop-up's close
// button Res/Close.bmp. Usage: QT_QPA_PLATFORM=offscreen draw-pictures SOURCE_DIR
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cmath>
#include <cstdio>

namespace {

QPainterPath cloudPath(const QRectF &r)
{
    // Three bumps over a flat base, in the rectangle r.
    const double w = r.width(), h = r.height();
    QPainterPath p;
    p.setFillRule(Qt::WindingFill);
    p.addRoundedRect(QRectF(r.left(), r.top() + h * 0.45, w, h * 0.55), h * 0.27, h * 0.27);
    p.addEllipse(QRectF(r.left() + w * 0.10, r.top() + h * 0.28, w * 0.38, h * 0.55));
    p.addEllipse(QRectF(r.left() + w * 0.32, r.top(), w * 0.48, h * 0.78));
    p.addEllipse(QRectF(r.left() + w * 0.62, r.top() + h * 0.30, w * 0.34, h * 0.52));
    return p.simplified();
}

void drawSun(QPainter &p, QPointF c, double radius, double rayLen, double line)
{
    p.setPen(QPen(QColor(235, 130, 0), line, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 8; ++i) {
        const double a = i * M_PI / 4;
        const QPointF d(std::cos(a), std::sin(a));
        p.drawLine(c + d * (radius + line * 0.9), c + d * (radius + line * 0.9 + rayLen));
    }
    QRadialGradient g(c - QPointF(radius / 3, radius / 3), radius * 1.3);
    g.setColorAt(0, QColor(255, 236, 110));
    g.setColorAt(1, QColor(250, 176, 20));
    p.setBrush(g);
    p.setPen(QPen(QColor(220, 120, 0), line * 0.8));
    p.drawEllipse(c, radius, radius);
}

void drawCloud(QPainter &p, const QRectF &r, double line, QColor fill)
{
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, fill);
    g.setColorAt(1, fill.darker(112));
    p.setBrush(g);
    p.setPen(QPen(QColor(90, 105, 125), line, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(cloudPath(r));
}

void drawFailureMark(QPainter &p, const QRectF &r, double line)
{
    p.setBrush(QColor(215, 25, 25));
    if (r.width() < 12) // small sizes: no white ring, it would swallow the red
        p.setPen(Qt::NoPen);
    else
        p.setPen(QPen(Qt::white, std::max(1.0, line * 0.8)));
    p.drawEllipse(r);
    const double inset = r.width() < 12 ? 0.27 : 0.3;
    const QRectF x = r.adjusted(r.width() * inset, r.height() * inset, -r.width() * inset, -r.height() * inset);
    p.setPen(QPen(Qt::white, r.width() < 12 ? 1.1 : r.width() / 6, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(x.topLeft(), x.bottomRight());
    p.drawLine(x.topRight(), x.bottomLeft());
}

QImage drawIcon(int size, bool failure)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    const double line = std::max(1.0, s / 22);
    drawSun(p, QPointF(s * 0.36, s * 0.34), s * 0.17, s * 0.09, line);
    drawCloud(p, QRectF(s * 0.18, s * 0.40, s * 0.78, s * 0.50), line, QColor(252, 253, 255));
    if (failure) {
        const double m = s <= 16 ? 9.0 : s * 0.46;
        drawFailureMark(p, QRectF(s - m - 0.5, s - m - 0.5, m, m), line);
    }
    return img;
}

// Flattens onto a key colour with hard edges: anti-aliased fringes would show the key colour's tint
// around the picture once the key is cut out.
QImage onKeyColour(const QImage &art, QColor key)
{
    QImage out(art.size(), QImage::Format_RGB32);
    for (int y = 0; y < art.height(); ++y)
        for (int x = 0; x < art.width(); ++x) {
            const QColor c = QColor::fromRgba(art.pixel(x, y));
            if (c.alpha() < 110) {
                out.setPixelColor(x, y, key);
            } else {
                QColor opaque(c.red(), c.green(), c.blue());
                if (opaque == key) // the key colour must only be background
                    opaque = QColor(key.red() ^ 4, key.green() ^ 4, key.blue() ^ 4);
                out.setPixelColor(x, y, opaque);
            }
        }
    return out;
}

QImage drawCloudPaneX()
{
    // Same size as the service's forecast pictures; white is the background (the pop-up keys on white,
    // the widget on the top-left pixel).
    QImage art(50, 31, QImage::Format_ARGB32);
    art.fill(Qt::transparent);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);
    drawCloud(p, QRectF(4, 3, 42, 26), 1.4, QColor(226, 230, 238));
    p.setPen(QPen(QColor(215, 25, 25), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 10), QPointF(31, 22));
    p.drawLine(QPointF(31, 10), QPointF(19, 22));
    p.end();
    return onKeyColour(art, Qt::white);
}

QImage drawClose()
{
    // The pop-up's close button (16 x 13); black is the transparent colour.
    QImage art(16, 13, QImage::Format_ARGB32);
    art.fill(Qt::transparent);
    QPainter p(&art);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(105, 112, 121), 1));
    p.setBrush(QColor(245, 248, 253));
    p.drawRoundedRect(QRectF(1.5, 0.5, 13, 12), 2.5, 2.5);
    p.setPen(QPen(QColor(105, 112, 121), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, 3.5), QPointF(11, 9.5));
    p.drawLine(QPointF(11, 3.5), QPointF(5, 9.5));
    p.end();
    return onKeyColour(art, Qt::black);
}

bool save(const QImage &img, const QString &path, const char *format)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    const bool ok = img.save(path, format);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: draw-pictures SOURCE_DIR\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    bool ok = true;
    for (int size : {16, 22, 32, 48}) {
        ok &= save(drawIcon(size, false), root.filePath(QStringLiteral("app/platform/icons/AAA-%1.png").arg(size)),
                   "PNG");
        ok &=
            save(drawIcon(size, true), root.filePath(QStringLiteral("app/platform/icons/BBB-%1.png").arg(size)), "PNG");
    }
    ok &= save(drawCloudPaneX(), root.filePath(QStringLiteral("res/Res/CloudPaneX.bmp")), "BMP");
    ok &= save(drawClose(), root.filePath(QStringLiteral("res/Res/Close.bmp")), "BMP");
    return ok ? 0 : 1;
}
