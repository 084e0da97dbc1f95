#include "roWeather.h"

#include "roWeatherParser.h"

#include <QPainter>
#include <QPainterPath>

namespace {
constexpr int kFaceSize = 32;
}

roWeather::roWeather(QWidget *parent)
    : QWidget(parent)
{
    // Whatever the host asks for, the control stays a 32 × 32 square.
    setFixedSize(kFaceSize, kFaceSize);
    setObjectName(QStringLiteral("roWeather"));
}

roWeather::~roWeather() = default;

bool roWeather::GetWeather(const QString &XmlFileName, std::shared_ptr<cWeather> &Weather)
{
    return roWeatherParser::GetWeather(XmlFileName, Weather);
}

bool roWeather::GetArea(const QString &XmlFileName, std::shared_ptr<cAreas> &Areas)
{
    return roWeatherParser::GetArea(XmlFileName, Areas);
}

QSize roWeather::sizeHint() const
{
    return {kFaceSize, kFaceSize};
}

void roWeather::paintEvent(QPaintEvent *)
{
    // The face: a sun behind a cloud, on a light sky tile.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), QColor(0xdd, 0xee, 0xff));
    p.setPen(QPen(QColor(0x88, 0x99, 0xaa), 1));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xaa, 0x22));
    p.drawEllipse(QPointF(12, 12), 7, 7);
    QPainterPath cloud;
    cloud.addEllipse(QPointF(14, 22), 6, 5);
    cloud.addEllipse(QPointF(20, 19), 7, 6);
    cloud.addEllipse(QPointF(25, 23), 5, 4);
    cloud.addRect(QRectF(14, 22, 11, 5));
    p.setBrush(Qt::white);
    p.setPen(QPen(QColor(0x77, 0x88, 0x99), 1));
    p.drawPath(cloud.simplified());
}
