#include "ForecastIcons.h"

#include "ForecastBuilder.h"
#include "WeatherCodes.h"

#include <QBuffer>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace forecastd {

namespace {

enum class Sky {
    Sun,
    Cloud,
    Rain,
    Snow,
    RainStorm,
    SnowStorm
};
enum class Link {
    None,
    Sometimes,
    Later
};

struct Design {
    Sky first;
    Link link;
    Sky second;
};

/// JMA's day icon numbers: first digit the main weather, the rest what comes with it.
Design designOf(const QString &name)
{
    static const QHash<QString, Design> table = {
        {QStringLiteral("100"), {Sky::Sun, Link::None, Sky::Sun}},
        {QStringLiteral("101"), {Sky::Sun, Link::Sometimes, Sky::Cloud}},
        {QStringLiteral("102"), {Sky::Sun, Link::Sometimes, Sky::Rain}},
        {QStringLiteral("104"), {Sky::Sun, Link::Sometimes, Sky::Snow}},
        {QStringLiteral("110"), {Sky::Sun, Link::Later, Sky::Cloud}},
        {QStringLiteral("112"), {Sky::Sun, Link::Later, Sky::Rain}},
        {QStringLiteral("115"), {Sky::Sun, Link::Later, Sky::Snow}},
        {QStringLiteral("200"), {Sky::Cloud, Link::None, Sky::Cloud}},
        {QStringLiteral("201"), {Sky::Cloud, Link::Sometimes, Sky::Sun}},
        {QStringLiteral("202"), {Sky::Cloud, Link::Sometimes, Sky::Rain}},
        {QStringLiteral("204"), {Sky::Cloud, Link::Sometimes, Sky::Snow}},
        {QStringLiteral("210"), {Sky::Cloud, Link::Later, Sky::Sun}},
        {QStringLiteral("212"), {Sky::Cloud, Link::Later, Sky::Rain}},
        {QStringLiteral("215"), {Sky::Cloud, Link::Later, Sky::Snow}},
        {QStringLiteral("300"), {Sky::Rain, Link::None, Sky::Rain}},
        {QStringLiteral("301"), {Sky::Rain, Link::Sometimes, Sky::Sun}},
        {QStringLiteral("302"), {Sky::Rain, Link::Sometimes, Sky::Cloud}},
        {QStringLiteral("303"), {Sky::Rain, Link::Sometimes, Sky::Snow}},
        {QStringLiteral("308"), {Sky::RainStorm, Link::None, Sky::RainStorm}},
        {QStringLiteral("311"), {Sky::Rain, Link::Later, Sky::Sun}},
        {QStringLiteral("313"), {Sky::Rain, Link::Later, Sky::Cloud}},
        {QStringLiteral("314"), {Sky::Rain, Link::Later, Sky::Snow}},
        {QStringLiteral("400"), {Sky::Snow, Link::None, Sky::Snow}},
        {QStringLiteral("401"), {Sky::Snow, Link::Sometimes, Sky::Sun}},
        {QStringLiteral("402"), {Sky::Snow, Link::Sometimes, Sky::Cloud}},
        {QStringLiteral("403"), {Sky::Snow, Link::Sometimes, Sky::Rain}},
        {QStringLiteral("406"), {Sky::SnowStorm, Link::None, Sky::SnowStorm}},
        {QStringLiteral("411"), {Sky::Snow, Link::Later, Sky::Sun}},
        {QStringLiteral("413"), {Sky::Snow, Link::Later, Sky::Cloud}},
        {QStringLiteral("414"), {Sky::Snow, Link::Later, Sky::Rain}},
    };
    if (const auto it = table.constFind(name); it != table.constEnd())
        return *it;
    const QChar first = name.isEmpty() ? u'2' : name.at(0);
    const Sky group = first == u'1' ? Sky::Sun : first == u'3' ? Sky::Rain : first == u'4' ? Sky::Snow : Sky::Cloud;
    return {group, Link::None, group};
}

void drawSun(QPainter &p, QPointF c, qreal r)
{
    p.setPen(QPen(QColor(0xF0, 0x8A, 0x10), qMax(1.0, r / 5)));
    for (int i = 0; i < 8; ++i) {
        const qreal a = i * M_PI / 4;
        p.drawLine(c + QPointF(qCos(a), qSin(a)) * r * 1.25, c + QPointF(qCos(a), qSin(a)) * r * 1.65);
    }
    p.setPen(QPen(QColor(0xE0, 0x50, 0x10), 1));
    p.setBrush(QColor(0xFF, 0x70, 0x20));
    p.drawEllipse(c, r, r);
}

void drawCloud(QPainter &p, QPointF c, qreal r, QColor fill)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    path.addEllipse(c + QPointF(-r * 0.75, r * 0.15), r * 0.6, r * 0.55);
    path.addEllipse(c + QPointF(0, -r * 0.2), r * 0.75, r * 0.7);
    path.addEllipse(c + QPointF(r * 0.8, r * 0.15), r * 0.55, r * 0.5);
    path.addRoundedRect(QRectF(c.x() - r * 1.3, c.y() + r * 0.05, r * 2.6, r * 0.65), r * 0.3, r * 0.3);
    p.setPen(QPen(fill.darker(140), 1));
    p.setBrush(fill);
    p.drawPath(path.simplified());
}

void drawUmbrella(QPainter &p, QPointF c, qreal r)
{
    // Canopy, handle and a few drops.
    QPainterPath canopy;
    canopy.moveTo(c + QPointF(-r, 0));
    canopy.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 180, -180);
    canopy.closeSubpath();
    p.setPen(QPen(QColor(0x10, 0x40, 0xA0), 1));
    p.setBrush(QColor(0x30, 0x70, 0xE0));
    p.drawPath(canopy);
    p.setPen(QPen(QColor(0x20, 0x20, 0x40), qMax(1.0, r / 7)));
    p.setBrush(Qt::NoBrush);
    p.drawLine(c, c + QPointF(0, r * 0.9));
    p.drawArc(QRectF(c.x(), c.y() + r * 0.65, r * 0.4, r * 0.4), 180 * 16, 180 * 16);
}

void drawSnowman(QPainter &p, QPointF c, qreal r)
{
    p.setPen(QPen(QColor(0x70, 0x90, 0xB0), 1));
    p.setBrush(QColor(0xF4, 0xF8, 0xFF));
    p.drawEllipse(c + QPointF(0, r * 0.45), r * 0.62, r * 0.55);
    p.drawEllipse(c + QPointF(0, -r * 0.45), r * 0.42, r * 0.4);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x20, 0x20, 0x20));
    const qreal e = qMax(0.8, r * 0.07);
    p.drawEllipse(c + QPointF(-r * 0.15, -r * 0.5), e, e);
    p.drawEllipse(c + QPointF(r * 0.15, -r * 0.5), e, e);
    p.setBrush(QColor(0xD0, 0x30, 0x30));
    p.drawRect(QRectF(c.x() - r * 0.35, c.y() - r * 1.0, r * 0.7, r * 0.2));
}

void drawWind(QPainter &p, QPointF c, qreal r)
{
    p.setPen(QPen(QColor(0x50, 0x50, 0x60), qMax(1.0, r / 8)));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        const qreal y = c.y() - r * 0.6 + i * r * 0.6;
        p.drawLine(QPointF(c.x() - r * 1.4, y), QPointF(c.x() + r * 0.9, y));
        p.drawArc(QRectF(c.x() + r * 0.6, y - r * 0.5, r * 0.6, r * 0.5), -90 * 16, 270 * 16);
    }
}

void drawSky(QPainter &p, Sky sky, QPointF c, qreal r)
{
    switch (sky) {
    case Sky::Sun: drawSun(p, c, r * 0.6); break;
    case Sky::Cloud: drawCloud(p, c, r * 0.8, QColor(0xB4, 0xB8, 0xC0)); break;
    case Sky::Rain: drawUmbrella(p, c + QPointF(0, -r * 0.2), r * 0.85); break;
    case Sky::Snow: drawSnowman(p, c, r * 0.9); break;
    case Sky::RainStorm:
        drawUmbrella(p, c + QPointF(-r * 0.55, -r * 0.2), r * 0.75);
        drawWind(p, c + QPointF(r * 0.95, 0), r * 0.45);
        break;
    case Sky::SnowStorm:
        drawSnowman(p, c + QPointF(-r * 0.55, 0), r * 0.8);
        drawWind(p, c + QPointF(r * 0.95, 0), r * 0.45);
        break;
    }
}

} // namespace

QImage ForecastIcons::Draw(const QString &name)
{
    QImage img(kIconWidth, kIconHeight, QImage::Format_ARGB32_Premultiplied);
    // Opaque white: the program keeps the picture as a bitmap, which has no alpha.
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const Design d = designOf(name);
    const qreal h = kIconHeight;
    const qreal w = kIconWidth;
    if (d.link == Link::None) {
        drawSky(p, d.first, QPointF(w / 2, h / 2), h * 0.45);
    } else {
        drawSky(p, d.first, QPointF(w * 0.28, h * 0.48), h * 0.4);
        drawSky(p, d.second, QPointF(w * 0.8, h * 0.62), h * 0.27);
        p.setPen(QPen(QColor(0x40, 0x40, 0x40), 1.5));
        p.setBrush(QColor(0x40, 0x40, 0x40));
        if (d.link == Link::Sometimes) {
            // 時々 / 一時: a slash between the two.
            p.drawLine(QPointF(w * 0.62, h * 0.85), QPointF(w * 0.7, h * 0.2));
        } else {
            // 後: an arrow from the first to the second.
            p.drawLine(QPointF(w * 0.54, h * 0.5), QPointF(w * 0.64, h * 0.5));
            QPolygonF head;
            head << QPointF(w * 0.68, h * 0.5) << QPointF(w * 0.62, h * 0.36) << QPointF(w * 0.62, h * 0.64);
            p.drawPolygon(head);
        }
    }
    p.end();
    return img.convertToFormat(QImage::Format_RGB32);
}

ForecastIcons::ForecastIcons()
{
    for (const QString &name : WeatherCodes::IconNames()) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        Draw(name).save(&buffer, "PNG");
        m_png.insert(name, bytes);
    }
}

QByteArray ForecastIcons::Png(const QString &name) const
{
    return m_png.value(name);
}

QStringList ForecastIcons::Names() const
{
    QStringList names = m_png.keys();
    names.sort();
    return names;
}

} // namespace forecastd
