#include "StyledToolTip.h"

#include <QEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

namespace platform {

namespace {

constexpr int kPad = 5;
constexpr int kIcon = 16;
constexpr int kTail = 10; // height of the balloon's pointer
constexpr int kRadius = 7;

void drawTitleIcon(QPainter &p, const QRect &r, int code)
{
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(r.height() - 4);
    p.setFont(f);
    switch (code) {
    case 1:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 100, 200));
        p.drawEllipse(r.adjusted(0, 0, -1, -1));
        p.setPen(Qt::white);
        p.drawText(r, Qt::AlignCenter, QStringLiteral("i"));
        break;
    case 2: {
        QPolygonF tri;
        tri << QPointF(r.center().x() + 0.5, r.top()) << QPointF(r.right() + 0.5, r.bottom() + 0.5)
            << QPointF(r.left(), r.bottom() + 0.5);
        p.setPen(QColor(150, 110, 0));
        p.setBrush(QColor(250, 200, 30));
        p.drawPolygon(tri);
        p.setPen(Qt::black);
        p.drawText(r.adjusted(0, 2, 0, 0), Qt::AlignCenter, QStringLiteral("!"));
        break;
    }
    case 3:
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(210, 30, 30));
        p.drawEllipse(r.adjusted(0, 0, -1, -1));
        p.setPen(QPen(Qt::white, 2));
        p.drawLine(r.topLeft() + QPoint(5, 5), r.bottomRight() - QPoint(5, 5));
        p.drawLine(QPoint(r.right() - 5, r.top() + 5), QPoint(r.left() + 5, r.bottom() - 5));
        break;
    default: break;
    }
    p.restore();
}

// Texts come with Windows line ends and bare CRs (a failure tip is "sentence CR description"): all break lines.
QString withLineBreaks(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

} // namespace

StyledToolTip::StyledToolTip(QWidget *target, const QString &title, const QString &text, bool balloon, int iconCode)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
    , m_target(target)
    , m_title(title)
    , m_text(withLineBreaks(text))
    , m_balloon(balloon)
    , m_iconCode(iconCode)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setObjectName(QStringLiteral("StyledToolTip"));
    if (target) {
        target->setAttribute(Qt::WA_Hover); // the pointer resting on it produces the tool-tip event
        target->installEventFilter(this);
        connect(target, &QObject::destroyed, this, &QWidget::hide);
    }
    // Laid out when first polished (shown, or asked with ensurePolished()): most tips are replaced unseen,
    // and measuring loads the fonts.
}

bool StyledToolTip::event(QEvent *event)
{
    if (event->type() == QEvent::Polish)
        Relayout();
    return QWidget::event(event);
}

QColor StyledToolTip::BackgroundColor() const
{
    return QColor(219, 233, 251);
}

QColor StyledToolTip::TextColor() const
{
    return m_iconCode == 3 ? QColor(255, 0, 0) : QColor(0, 0, 0);
}

bool StyledToolTip::HasTitle() const
{
    return !m_title.trimmed().isEmpty();
}

QRect StyledToolTip::BodyRect() const
{
    return m_balloon ? rect().adjusted(0, kTail, 0, 0) : rect();
}

void StyledToolTip::Relayout()
{
    const QFontMetrics fm(font());
    const int maxInner = kMaxWidth - 2 * kPad;
    int width = 0;
    int y = kPad + (m_balloon ? kTail : 0);
    m_titleRect = QRect();
    if (HasTitle()) {
        QFont bold = font();
        bold.setBold(true);
        const QFontMetrics bfm(bold);
        const int iconW = (m_iconCode >= 1 && m_iconCode <= 3) ? kIcon + 4 : 0;
        const int titleW = std::min(maxInner, iconW + bfm.horizontalAdvance(m_title.trimmed()) + 1);
        const int titleH = std::max(bfm.height(), iconW ? kIcon : 0);
        m_titleRect = QRect(kPad, y, titleW, titleH);
        width = titleW;
        y += titleH + 3;
    }
    QRect textBounds = fm.boundingRect(QRect(0, 0, maxInner, 100000), Qt::TextWordWrap, m_text);
    if (textBounds.width() > maxInner) // a word longer than a line: break inside it
        textBounds = fm.boundingRect(QRect(0, 0, maxInner, 100000), Qt::TextWrapAnywhere, m_text);
    m_textRect = QRect(kPad, y, std::min(maxInner, textBounds.width()), textBounds.height());
    width = std::max(width, m_textRect.width());
    m_textRect.setWidth(width);
    if (m_titleRect.isValid())
        m_titleRect.setWidth(width);
    y += textBounds.height() + kPad;
    resize(std::min(kMaxWidth, width + 2 * kPad), y);

    if (m_balloon) {
        QPainterPath path;
        path.addRoundedRect(QRectF(BodyRect()), kRadius, kRadius);
        QPolygonF tail;
        tail << QPointF(12, kTail + 1) << QPointF(14, 0) << QPointF(26, kTail + 1);
        path.addPolygon(tail);
        path = path.simplified();
        setMask(QRegion(path.toFillPolygon().toPolygon()));
    } else {
        clearMask();
    }
}

void StyledToolTip::ShowAt(const QPoint &globalPos)
{
    ensurePolished();
    QPoint pos = globalPos + (m_balloon ? QPoint(-14, 4) : QPoint(0, 20));
    if (const QScreen *screen = QGuiApplication::screenAt(globalPos)) {
        const QRect avail = screen->availableGeometry();
        pos.setX(std::clamp(pos.x(), avail.left(), std::max(avail.left(), avail.right() - width() + 1)));
        if (pos.y() + height() > avail.bottom() + 1)
            pos.setY(globalPos.y() - height() - 4);
        pos.setY(std::max(pos.y(), avail.top()));
    }
    move(pos);
    show();
    raise();
}

bool StyledToolTip::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_target) {
        switch (event->type()) {
        case QEvent::ToolTip:
            ShowAt(static_cast<QHelpEvent *>(event)->globalPos());
            return true; // no default tip on top of ours
        case QEvent::Leave:
        case QEvent::MouseButtonPress:
        case QEvent::Hide:
        case QEvent::WindowDeactivate: hide(); break;
        default: break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void StyledToolTip::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRect body = BodyRect();
    if (m_balloon) {
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(body), kRadius, kRadius);
        QPolygonF tail;
        tail << QPointF(12, kTail + 1) << QPointF(14, 0) << QPointF(26, kTail + 1);
        path.addPolygon(tail);
        p.fillPath(path.simplified(), BackgroundColor());
        p.setRenderHint(QPainter::Antialiasing, false);
    } else {
        p.fillRect(body, BackgroundColor());
        p.setPen(QColor(118, 118, 118));
        p.drawRect(body.adjusted(0, 0, -1, -1));
    }

    if (HasTitle()) {
        QRect r = m_titleRect;
        if (m_iconCode >= 1 && m_iconCode <= 3) {
            drawTitleIcon(p, QRect(r.left(), r.top() + (r.height() - kIcon) / 2, kIcon, kIcon), m_iconCode);
            r.setLeft(r.left() + kIcon + 4);
        }
        QFont bold = font();
        bold.setBold(true);
        p.setFont(bold);
        p.setPen(TextColor());
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(bold).elidedText(m_title.trimmed(), Qt::ElideRight, r.width()));
        p.setFont(font());
    }
    p.setPen(TextColor());
    QFontMetrics fm(font());
    const int flags = fm.boundingRect(QRect(0, 0, kMaxWidth - 2 * kPad, 100000), Qt::TextWordWrap, m_text).width() >
                              kMaxWidth - 2 * kPad
                          ? Qt::TextWrapAnywhere
                          : Qt::TextWordWrap;
    p.drawText(m_textRect, Qt::AlignLeft | Qt::AlignTop | flags, m_text);
}

} // namespace platform
