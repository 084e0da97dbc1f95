#include "roLabel.h"

#include "cPictureUtil.h"
#include "roLabelPaint.h"
#include "roPropertyBag.h"

#include <QApplication>
#include <QBitmap>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QRegion>

#include <cmath>

namespace {

constexpr roOleColor kDefaultBorderingColor = 0x80000014u; // 3-D highlight
constexpr roOleColor kDefaultBackColor = 0x8000000Fu;      // button face
constexpr roOleColor kDefaultForeColor = 0x80000012u;      // button text
const QString kDefaultCaption = QStringLiteral("0");
constexpr int kDefaultCharset = 1; // DEFAULT_CHARSET: no preference

qint16 buttonCode(Qt::MouseButtons buttons)
{
    qint16 code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

qint16 shiftCode(Qt::KeyboardModifiers modifiers)
{
    qint16 code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

// Windows virtual-key codes, which the key events carry.
qint16 keyCode(int key)
{
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<qint16>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return static_cast<qint16>(0x70 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 0x0D;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: return 0x12;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Escape: return 0x1B;
    case Qt::Key_Space: return 0x20;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    default: return 0;
    }
}

roOleColor toOleColor(const QVariant &value, roOleColor fallback)
{
    bool ok = false;
    const qlonglong number = value.toLongLong(&ok);
    return ok ? static_cast<roOleColor>(static_cast<quint64>(number) & 0xFFFFFFFFu) : fallback;
}

int toInt(const QVariant &value, int fallback)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok ? number : fallback;
}

// The region of the pixels whose colour is not the mask colour.
QRegion regionOf(const QImage &maskImage, QRgb maskColor)
{
    QImage bits(maskImage.size(), QImage::Format_MonoLSB);
    bits.setColor(0, QColor(Qt::white).rgb());
    bits.setColor(1, QColor(Qt::black).rgb());
    bits.fill(0);
    const QImage rgb = maskImage.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        uchar *out = bits.scanLine(y);
        for (int x = 0; x < rgb.width(); ++x) {
            if ((in[x] & 0xFFFFFFu) != (maskColor & 0xFFFFFFu))
                out[x >> 3] |= static_cast<uchar>(1u << (x & 7));
        }
    }
    return QRegion(QBitmap::fromImage(bits));
}

} // namespace

roLabel::roLabel(QWidget *parent, const QString &name)
    : QWidget(parent)
{
    setObjectName(name);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    InitProperties();
}

roLabel::~roLabel() = default;

QFont roLabel::AmbientFont() const
{
    return parentWidget() ? parentWidget()->font() : QApplication::font();
}

int roLabel::TranslateColor(roOleColor color) const
{
    return roColor::TranslateColor(color, palette());
}

void roLabel::InitProperties()
{
    m_upsideDown = false;
    m_font = AmbientFont();
    m_charset = kDefaultCharset;
    m_caption = objectName();
    m_orientation = roHorizontal;
    m_bordering = false;
    m_borderingColor = kDefaultBorderingColor;
    m_borderingWidth = 1;
    m_alignment = roAlignTop;
    m_autoSize = false;
}

QVariantMap roLabel::FontToBag(const QFont &font, int charset)
{
    return QVariantMap{
        {QStringLiteral("Name"), font.family()},
        {QStringLiteral("Size"), font.pointSizeF() > 0 ? font.pointSizeF() : 9.0},
        {QStringLiteral("Bold"), font.bold()},
        {QStringLiteral("Italic"), font.italic()},
        {QStringLiteral("Underline"), font.underline()},
        {QStringLiteral("Strikethrough"), font.strikeOut()},
        {QStringLiteral("Charset"), charset},
    };
}

void roLabel::ReadProperties(const roPropertyBag &bag)
{
    m_backColor = toOleColor(bag.ReadProperty(QStringLiteral("BackColor")), kDefaultBackColor);
    m_foreColor = toOleColor(bag.ReadProperty(QStringLiteral("ForeColor")), kDefaultForeColor);
    QWidget::setEnabled(bag.ReadProperty(QStringLiteral("Enabled"), true).toBool());

    m_font = AmbientFont();
    m_charset = kDefaultCharset;
    const QVariantMap font = bag.ReadProperty(QStringLiteral("Font")).toMap();
    if (!font.isEmpty()) {
        const QString name = font.value(QStringLiteral("Name")).toString();
        if (!name.isEmpty())
            m_font.setFamily(name);
        bool ok = false;
        const double size = font.value(QStringLiteral("Size")).toDouble(&ok);
        if (ok && size > 0 && size < 2048)
            m_font.setPointSizeF(size);
        m_font.setBold(font.value(QStringLiteral("Bold"), m_font.bold()).toBool());
        m_font.setItalic(font.value(QStringLiteral("Italic"), m_font.italic()).toBool());
        m_font.setUnderline(font.value(QStringLiteral("Underline"), m_font.underline()).toBool());
        m_font.setStrikeOut(font.value(QStringLiteral("Strikethrough"), m_font.strikeOut()).toBool());
        m_charset = toInt(font.value(QStringLiteral("Charset")), kDefaultCharset);
    }

    m_backStyle = static_cast<qint16>(toInt(bag.ReadProperty(QStringLiteral("BackStyle")), roOpaque));
    m_caption = bag.ReadProperty(QStringLiteral("Caption"), kDefaultCaption).toString();
    m_upsideDown = bag.ReadProperty(QStringLiteral("UpsideDown"), false).toBool();
    m_orientation =
        static_cast<roOrientationConstants>(toInt(bag.ReadProperty(QStringLiteral("Orientation")), roHorizontal));
    m_bordering = bag.ReadProperty(QStringLiteral("Bordering"), false).toBool();
    m_borderingColor = toOleColor(bag.ReadProperty(QStringLiteral("BorderingColor")), kDefaultBorderingColor);
    m_borderingWidth = toInt(bag.ReadProperty(QStringLiteral("BorderingWidth")), 1);
    m_alignment = static_cast<roAlignmentConstants>(toInt(bag.ReadProperty(QStringLiteral("Alignment")), roAlignTop));
    m_autoSize = bag.ReadProperty(QStringLiteral("AutoSize"), false).toBool();

    if (isVisible())
        Refresh();
}

void roLabel::WriteProperties(roPropertyBag &bag) const
{
    const auto color = [](roOleColor c) { return QVariant(static_cast<qlonglong>(c)); };
    bag.WriteProperty(QStringLiteral("BackColor"), color(m_backColor), color(kDefaultBackColor));
    bag.WriteProperty(QStringLiteral("ForeColor"), color(m_foreColor), color(kDefaultForeColor));
    bag.WriteProperty(QStringLiteral("Enabled"), isEnabled(), true);
    bag.WriteProperty(QStringLiteral("Font"), FontToBag(m_font, m_charset), FontToBag(AmbientFont(), kDefaultCharset));
    bag.WriteProperty(QStringLiteral("BackStyle"), static_cast<int>(m_backStyle), static_cast<int>(roOpaque));
    bag.WriteProperty(QStringLiteral("Caption"), m_caption, kDefaultCaption);
    bag.WriteProperty(QStringLiteral("UpsideDown"), m_upsideDown, false);
    bag.WriteProperty(QStringLiteral("Orientation"), static_cast<int>(m_orientation), static_cast<int>(roHorizontal));
    bag.WriteProperty(QStringLiteral("Bordering"), m_bordering, false);
    bag.WriteProperty(QStringLiteral("BorderingColor"), color(m_borderingColor), color(kDefaultBorderingColor));
    bag.WriteProperty(QStringLiteral("BorderingWidth"), m_borderingWidth, 1);
    bag.WriteProperty(QStringLiteral("Alignment"), static_cast<int>(m_alignment), static_cast<int>(roAlignTop));
    bag.WriteProperty(QStringLiteral("AutoSize"), m_autoSize, false);
}

void roLabel::Changed(const QString &name)
{
    emit PropertyChanged(name);
    Refresh();
}

void roLabel::setCaption(const QString &value)
{
    m_caption = value;
    Changed(QStringLiteral("Caption"));
}

void roLabel::setAlignment(roAlignmentConstants value)
{
    m_alignment = value;
    Changed(QStringLiteral("Alignment"));
}

void roLabel::setOrientation(roOrientationConstants value)
{
    m_orientation = value;
    Changed(QStringLiteral("Orientation"));
}

void roLabel::setUpsideDown(bool value)
{
    m_upsideDown = value;
    Changed(QStringLiteral("UpsideDown"));
}

void roLabel::setBordering(bool value)
{
    m_bordering = value;
    Changed(QStringLiteral("Bordering"));
}

void roLabel::setBorderingColor(roOleColor value)
{
    m_borderingColor = value;
    Changed(QStringLiteral("BorderingColor"));
}

void roLabel::setBorderingWidth(int value)
{
    m_borderingWidth = value;
    Changed(QStringLiteral("BorderingWidth"));
}

void roLabel::setAutoSize(bool value)
{
    m_autoSize = value;
    Changed(QStringLiteral("AutoSize"));
}

void roLabel::setBackColor(roOleColor value)
{
    m_backColor = value;
    Changed(QStringLiteral("BackColor"));
}

void roLabel::setForeColor(roOleColor value)
{
    m_foreColor = value;
    Changed(QStringLiteral("ForeColor"));
}

void roLabel::setBackStyle(int value)
{
    m_backStyle = static_cast<qint16>(value);
    Changed(QStringLiteral("BackStyle"));
}

void roLabel::setFont(const QFont &value)
{
    m_font = value;
    QWidget::setFont(value);
    Changed(QStringLiteral("Font"));
}

void roLabel::setFontCharset(int value)
{
    m_charset = value;
    Changed(QStringLiteral("Font"));
}

void roLabel::setEnabled(bool value)
{
    QWidget::setEnabled(value);
    emit PropertyChanged(QStringLiteral("Enabled"));
}

cMaskImage &roLabel::GetMaskImager()
{
    if (!m_maskImager)
        m_maskImager = std::make_unique<cMaskImage>();
    return *m_maskImager;
}

cPictureUtil &roLabel::GetPictureUtil()
{
    if (!m_pictureUtil)
        m_pictureUtil = std::make_unique<cPictureUtil>();
    return *m_pictureUtil;
}

QImage roLabel::Render(qreal devicePixelRatio, roLabelPaint::Result *result) const
{
    roLabelPaint::Look look;
    look.Caption = m_caption;
    look.Alignment = m_alignment;
    look.Orientation = m_orientation;
    look.UpsideDown = m_upsideDown;
    look.Bordering = m_bordering;
    look.BorderingColor = TranslateColor(m_borderingColor);
    look.BorderingWidth = m_borderingWidth;
    look.AutoSize = m_autoSize;
    look.BackColor = TranslateColor(m_backColor);
    look.ForeColor = TranslateColor(m_foreColor);
    look.Font = m_font;
    look.Charset = m_charset;
    look.DpiY = logicalDpiY();

    const qreal dpr = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    QImage image(static_cast<int>(std::ceil(width() * dpr)), static_cast<int>(std::ceil(height() * dpr)),
                 QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    const roLabelPaint::Result painted = roLabelPaint::Paint(image, look);
    if (result)
        *result = painted;
    return image;
}

QImage roLabel::RenderImage(qreal devicePixelRatio) const
{
    return Render(devicePixelRatio, nullptr);
}

void roLabel::PaintSurface()
{
    roLabelPaint::Result result;
    m_surface = Render(devicePixelRatioF(), &result);
    if (m_autoSize && result.AutoSizeResult.isValid()) {
        const QSize wanted = result.AutoSizeResult.expandedTo(QSize(0, 0));
        if (wanted != size())
            resize(wanted);
    }
}

void roLabel::Refresh()
{
    if (m_refreshing)
        return; // the resize of AutoSize: the running refresh paints the new size
    m_refreshing = true;
    // A size change by AutoSize paints once more; that run finds the same size.
    for (int pass = 0; pass < 2; ++pass) {
        const QSize before = size();
        PaintSurface();
        if (size() == before)
            break;
    }
    m_refreshing = false;

    if (m_backStyle == roTransparent) {
        BuildTransparencyMask();
    } else if (m_maskPicture) {
        m_maskPicture.reset();
        clearMask();
    }
    update();
}

void roLabel::BuildTransparencyMask()
{
    const QColor back = roColor::toQColor(TranslateColor(m_backColor));
    m_picMask.BackColor = back;
    // The visible part needs a colour of its own: with the back colour it would vanish.
    m_picMask.ForeColor = back == QColor(Qt::black) ? QColor(Qt::white) : QColor(Qt::black);
    m_picMask.Resize(width(), height());
    if (!GetMaskImager().CreateMaskImage(m_surface, width(), height(), m_picMask, back.rgb()))
        return;
    std::shared_ptr<const QPixmap> picture =
        GetPictureUtil().BitmapToPicture(GetPictureUtil().HBitmapFromDC(m_picMask.Image, width(), height()));
    m_maskPicture = picture;
    QRegion region = picture ? regionOf(picture->toImage(), back.rgb()) : QRegion();
    // An empty region would mean "no mask"; a pixel outside the control hides all of it.
    if (region.isEmpty())
        region = QRegion(-1, -1, 1, 1);
    setMask(region);
}

void roLabel::paintEvent(QPaintEvent * /*event*/)
{
    if (m_surface.isNull() || !qFuzzyCompare(m_surface.devicePixelRatio(), devicePixelRatioF()))
        m_surface = RenderImage(devicePixelRatioF()); // another screen: same picture, new pixel density
    QPainter painter(this);
    painter.drawImage(0, 0, m_surface);
}

void roLabel::resizeEvent(QResizeEvent * /*event*/)
{
    Refresh();
}

void roLabel::showEvent(QShowEvent * /*event*/)
{
    Refresh();
}

void roLabel::changeEvent(QEvent *event)
{
    // System colours come from the palette.
    if (event->type() == QEvent::PaletteChange)
        Refresh();
    QWidget::changeEvent(event);
}

void roLabel::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    qint16 button = buttonCode(event->button());
    qint16 shift = shiftCode(event->modifiers());
    float x = static_cast<float>(event->position().x());
    float y = static_cast<float>(event->position().y());
    emit MouseDown(button, shift, x, y);
}

void roLabel::mouseReleaseEvent(QMouseEvent *event)
{
    qint16 button = buttonCode(event->button());
    qint16 shift = shiftCode(event->modifiers());
    float x = static_cast<float>(event->position().x());
    float y = static_cast<float>(event->position().y());
    emit MouseUp(button, shift, x, y);
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        emit Click();
}

void roLabel::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit DblClick();
}

void roLabel::mouseMoveEvent(QMouseEvent *event)
{
    qint16 button = buttonCode(event->buttons());
    qint16 shift = shiftCode(event->modifiers());
    float x = static_cast<float>(event->position().x());
    float y = static_cast<float>(event->position().y());
    emit MouseMove(button, shift, x, y);
}

void roLabel::keyPressEvent(QKeyEvent *event)
{
    qint16 code = keyCode(event->key());
    qint16 shift = shiftCode(event->modifiers());
    emit KeyDown(code, shift);
    if (!event->text().isEmpty() && !event->text().at(0).isNull()) {
        qint16 ascii = static_cast<qint16>(event->text().at(0).unicode());
        emit KeyPress(ascii);
    }
}

void roLabel::keyReleaseEvent(QKeyEvent *event)
{
    if (event->isAutoRepeat())
        return;
    qint16 code = keyCode(event->key());
    qint16 shift = shiftCode(event->modifiers());
    emit KeyUp(code, shift);
}
