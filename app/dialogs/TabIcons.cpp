#include "TabIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace dialogs {
namespace {

// Both icons are drawn on a 16-unit grid and rendered at the usual tab sizes.
template <typename Draw>
QIcon render(Draw draw)
{
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace

QIcon GeneralTabIcon()
{
    return render([](QPainter &p) {
        p.setPen(QPen(QColor(230, 150, 0), 1.0));
        p.setBrush(QColor(255, 200, 40));
        p.drawEllipse(QPointF(6.0, 6.0), 4.0, 4.0);
        QPainterPath cloud;
        cloud.addEllipse(QRectF(5.0, 8.0, 6.0, 6.0));
        cloud.addEllipse(QRectF(9.0, 7.0, 6.0, 6.0));
        cloud.addRoundedRect(QRectF(4.0, 11.0, 11.5, 4.0), 2.0, 2.0);
        p.setPen(QPen(QColor(110, 120, 140), 0.8));
        p.setBrush(QColor(245, 247, 250));
        p.drawPath(cloud.simplified());
    });
}

QIcon ConnectionTabIcon()
{
    return render([](QPainter &p) {
        p.setPen(QPen(QColor(40, 60, 110), 0.8));
        p.setBrush(QColor(120, 170, 230));
        p.drawRect(QRectF(0.5, 1.5, 7.0, 5.0));
        p.drawRect(QRectF(8.5, 9.5, 7.0, 5.0));
        p.setPen(QPen(QColor(40, 60, 110), 1.4));
        p.drawLine(QPointF(4.0, 7.0), QPointF(4.0, 12.0));
        p.drawLine(QPointF(4.0, 12.0), QPointF(8.5, 12.0));
        p.drawLine(QPointF(12.0, 9.0), QPointF(12.0, 4.0));
        p.drawLine(QPointF(12.0, 4.0), QPointF(7.5, 4.0));
    });
}

} // namespace dialogs
