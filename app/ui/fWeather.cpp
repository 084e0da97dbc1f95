#include "fWeather.h"

#include "PlatformStartup.h"
#include "Twips.h"
#include "cUniqTTT.h"
#include "roLabel.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

#include <cmath>
#include <limits>
#include <utility>

namespace {

bool fitsInt(double v)
{
    return std::isfinite(v) && v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
}

} // namespace

fWeather::fWeather(QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint)
    , m_picImage(new QLabel(this))
    , m_telop(new roLabel(this))
    , m_toolTips(std::make_unique<cUniqTTT>())
{
    setWindowTitle(QStringLiteral("Cloud Pane"));
    setObjectName(QStringLiteral("fWeather"));
    // Hourly redraws must not take the keyboard from what the user is doing.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The widget is never activated, and Qt only shows tool tips of the active window unless told otherwise.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    // A Wayland compositor ignores window shapes: the key colour is cut away by per-pixel alpha there.
    if (platform::IsWaylandSession())
        setAttribute(Qt::WA_TranslucentBackground);
    else
        setAutoFillBackground(true);

    m_picImage->setObjectName(QStringLiteral("picImage"));
    m_picImage->setScaledContents(true);

    // Stored design settings of the label.
    m_telop->setObjectName(QStringLiteral("Telop"));
    QFont font(QStringLiteral("MS UI Gothic"));
    font.setPointSize(9);
    font.setWeight(QFont::Normal);
    m_telop->setFont(font);
    m_telop->setFontCharset(128);
    m_telop->setBackStyle(roTransparent);
    m_telop->setBordering(true);
    m_telop->setBorderingColor(0xFEFFFFu);
    m_telop->setAlignment(roAlignCenter);
    m_telop->setAutoSize(true);

    m_picImage->installEventFilter(this);
    m_telop->installEventFilter(this);

    m_toolTips->AddToolTip(m_picImage, QStringLiteral("Sky Caster"), QStringLiteral("待機中です..."), false,
                           cUniqTTT::TTI_INFO);

    // With no stored position the first Draw centres on GetCenter: let that be the middle of the screen, not
    // the corner a new window starts in (which leaves half of the widget above the screen's edge).
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

fWeather::~fWeather() = default;

fWeather::Layout fWeather::ComputeLayout(int lX, int lY, QSize telop, QSize picture)
{
    const double width = twips::RoundHalfEven(std::max(telop.width(), picture.width()));
    const double height = twips::RoundHalfEven(telop.height() * 2.0 / 3.0 + picture.height());
    const double left = twips::RoundHalfEven(lX - width / 2);
    const double top = twips::RoundHalfEven(lY - height / 2);
    Layout layout;
    if (fitsInt(left) && fitsInt(top))
        layout.window =
            QRect(static_cast<int>(left), static_cast<int>(top), static_cast<int>(width), static_cast<int>(height));
    else
        layout.window = QRect(lX, lY, static_cast<int>(width), static_cast<int>(height));
    layout.picture = QPoint(static_cast<int>(twips::RoundHalfEven((width - picture.width()) / 2)), 0);
    layout.telop = QPoint(0, static_cast<int>(height) - telop.height());
    return layout;
}

void fWeather::Draw(int lX, int lY, const QString &Area, const QString &Weather, const QString &TempMin,
                    const QString &TempMax, const QString &ImageFile, bool bTopmost)
{
    m_telop->raise();
    m_telop->setCaption(Area + QLatin1Char(' ') + Weather + QLatin1Char('\r') + TempMin + QLatin1Char('/') + TempMax +
                        QStringLiteral("℃"));
    m_telop->Refresh();

    // A picture that cannot be read leaves the previous one in place.
    QImage picture;
    if (!ImageFile.isEmpty() && picture.load(ImageFile) && !picture.isNull()) {
        m_picture = picture.convertToFormat(QImage::Format_RGB32);
        m_picImage->resize(m_picture.size());
    }
    // The mark goes on what is shown, so the shape below takes it in; the key stays the plain picture's.
    if (!m_picture.isNull()) {
        const QImage shown = warningmark::Stamped(m_picture, m_mark, m_picture.pixelColor(0, 0));
        m_picImage->setPixmap(QPixmap::fromImage(platform::IsWaylandSession() ? KeyedOut(shown) : shown));
    }

    const Layout layout = ComputeLayout(lX, lY, m_telop->size(), m_picImage->size());
    m_picImage->move(layout.picture);
    m_telop->move(layout.telop);
    SetTopmost(bTopmost);
    if (m_requested.isNull() || layout.window.topLeft() != m_requested.topLeft())
        m_placed = isVisible() && geometry().topLeft() == layout.window.topLeft();
    m_requested = layout.window;
    if (platform::IsWaylandSession()) { // a compositor tiles (fills the screen with) a toplevel it may resize
        setFixedSize(layout.window.size());
        NotePlacementRefused();
    }
    setGeometry(layout.window);

    m_colorKey = m_picture.isNull() ? palette().color(QPalette::Window) : m_picture.pixelColor(0, 0);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, m_colorKey);
    setPalette(pal);

    // The window manager may apply the new size later than this call: the shape follows the layout.
    UpdateMask(layout.window.size());
    setWindowOpacity(kOpacity / 255.0);
    show();
    raise();
}

QImage fWeather::KeyedOut(const QImage &picture)
{
    QImage out = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = out.isNull() ? 0 : out.pixel(0, 0) | 0xFF000000u;
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x)
            if ((line[x] | 0xFF000000u) == key)
                line[x] = 0;
    }
    return out;
}

void fWeather::NotePlacementRefused()
{
    if (std::exchange(m_placementNoted, true))
        return;
    qInfo("widget: the window system places the widget itself; the stored position is kept as it is");
}

void fWeather::UpdateMask(QSize windowSize)
{
    // The key is judged on what the window shows (picture and text alike), in logical pixels, so the
    // shape is the same at any device pixel ratio. The children are rendered one by one at their places:
    // the window itself may still have its old size.
    QImage shown(windowSize, QImage::Format_RGB32);
    shown.fill(m_colorKey);
    m_picImage->render(&shown, m_picImage->pos(), QRegion(), QWidget::DrawChildren);
    m_telop->render(&shown, m_telop->pos(), QRegion(), QWidget::DrawChildren);
    const QRgb key = m_colorKey.rgb() | 0xFF000000u;
    QRegion region;
    for (int y = 0; y < shown.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(shown.constScanLine(y));
        int x = 0;
        while (x < shown.width()) {
            while (x < shown.width() && (line[x] | 0xFF000000u) == key)
                ++x;
            const int start = x;
            while (x < shown.width() && (line[x] | 0xFF000000u) != key)
                ++x;
            if (x > start)
                region += QRect(start, y, x - start, 1);
        }
    }
    if (region.isEmpty()) // an empty mask would mean "no mask": keep one pixel so the window stays invisible
        region = QRect(0, 0, 1, 1);
    setMask(region);
}

bool fWeather::Topmost() const
{
    return windowFlags().testFlag(Qt::WindowStaysOnTopHint);
}

void fWeather::SetTopmost(bool topmost)
{
    if (Topmost() == topmost)
        return;
    const Qt::WindowFlags flags = windowFlags().setFlag(Qt::WindowStaysOnTopHint, topmost);
    if (QWindow *window = windowHandle()) {
        // Tell the window system directly: setWindowFlags would re-create and hide the window.
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
}

void fWeather::moveEvent(QMoveEvent *event)
{
    // Only the window system's report counts: Qt reports the asked-for place at once on its own.
    if (event->spontaneous() && event->pos() == m_requested.topLeft())
        m_placed = true;
    QWidget::moveEvent(event);
}

void fWeather::GetCenter(int &lX, int &lY) const
{
    const QRect r =
        m_requested.isNull() || m_placed ? frameGeometry() : QRect(m_requested.topLeft(), frameGeometry().size());
    lX = static_cast<int>(twips::RoundHalfEven(r.width() / 2.0 + r.x()));
    lY = static_cast<int>(twips::RoundHalfEven(r.height() / 2.0 + r.y()));
}

void fWeather::SetToolTipText(const QString &strTitle, const QString &strToolTips, int iconNode)
{
    m_toolTips->RemoveAll();
    m_toolTips->AddToolTip(m_picImage, strTitle, strToolTips, false, iconNode);
}

bool fWeather::HandleMouse(QObject *source, QMouseEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (event->button() != Qt::LeftButton)
            return false;
        m_dragging = false;
        m_placed = true; // the user moves it on from where it is
        if (QWindow *window = windowHandle(); window && window->startSystemMove())
            return true;
        // No window manager (or one that refuses): move the window ourselves.
        m_dragging = true;
        m_dragOffset = event->globalPosition().toPoint() - pos();
        return true;
    case QEvent::MouseMove:
        if (m_dragging && (event->buttons() & Qt::LeftButton)) {
            move(event->globalPosition().toPoint() - m_dragOffset);
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (event->button() == Qt::LeftButton && m_dragging) {
            m_dragging = false;
            return true;
        }
        // The label passes on its button-down only, so a right click on the text opens nothing.
        if (event->button() == Qt::RightButton && source != m_telop) {
            const QPoint at = event->globalPosition().toPoint();
            emit PopUpMenuRequested(at.x(), at.y());
            return true;
        }
        return false;
    default: return false;
    }
}

bool fWeather::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_picImage || watched == m_telop) &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseMove ||
         event->type() == QEvent::MouseButtonRelease))
        return HandleMouse(watched, static_cast<QMouseEvent *>(event));
    return QWidget::eventFilter(watched, event);
}

void fWeather::mousePressEvent(QMouseEvent *event)
{
    if (!HandleMouse(this, event))
        QWidget::mousePressEvent(event);
}

void fWeather::mouseMoveEvent(QMouseEvent *event)
{
    if (!HandleMouse(this, event))
        QWidget::mouseMoveEvent(event);
}

void fWeather::mouseReleaseEvent(QMouseEvent *event)
{
    if (!HandleMouse(this, event))
        QWidget::mouseReleaseEvent(event);
}
