#pragma once

#include "cMaskImage.h"
#include "roLabelConstants.h"

#include <QFont>
#include <QImage>
#include <QString>
#include <QWidget>

#include <memory>

class QPixmap;
class cPictureUtil;
class roPropertyBag;
namespace roLabelPaint {
struct Result;
}

/// Outlined, rotatable, optionally transparent multi-line text ("roLabelLib.roLabel").
/// Every property write tells the host through PropertyChanged (named by its bag key) and repaints, except
/// Enabled. The drawing lives in a surface image (hDC) painted at the screen's device pixel ratio; in
/// roTransparent mode the widget's mask is the set of (logical) pixels that differ from the back colour.
class roLabel : public QWidget {
    Q_OBJECT

public:
    /// A new instance placed on a host: the caption is the instance name (also the object name).
    explicit roLabel(QWidget *parent = nullptr, const QString &name = {});
    ~roLabel() override;

    /// The text shown; lines end at CR LF, LF or CR.
    QString Caption() const { return m_caption; }
    /// Sets the text.
    void setCaption(const QString &value);
    /// Placement of each line along the reading direction.
    roAlignmentConstants Alignment() const { return m_alignment; }
    /// Sets the placement.
    void setAlignment(roAlignmentConstants value);
    /// Reading direction.
    roOrientationConstants Orientation() const { return m_orientation; }
    /// Sets the reading direction.
    void setOrientation(roOrientationConstants value);
    /// Whether the text is drawn from bottom to top.
    bool UpsideDown() const { return m_upsideDown; }
    /// Turns the text upside down or back.
    void setUpsideDown(bool value);
    /// Whether glyphs get an outline ring.
    bool Bordering() const { return m_bordering; }
    /// Switches the outline ring.
    void setBordering(bool value);
    /// OLE colour of the outline ring.
    roOleColor BorderingColor() const { return m_borderingColor; }
    /// Sets the colour of the outline ring.
    void setBorderingColor(roOleColor value);
    /// Thickness of the outline ring in pixels.
    int BorderingWidth() const { return m_borderingWidth; }
    /// Sets the thickness of the outline ring.
    void setBorderingWidth(int value);
    /// Whether the control sizes itself to its text.
    bool AutoSize() const { return m_autoSize; }
    /// Switches self-sizing.
    void setAutoSize(bool value);
    /// OLE colour of the background (also the transparent colour).
    roOleColor BackColor() const { return m_backColor; }
    /// Sets the background colour.
    void setBackColor(roOleColor value);
    /// OLE colour of the text.
    roOleColor ForeColor() const { return m_foreColor; }
    /// Sets the text colour.
    void setForeColor(roOleColor value);
    /// Transparent or opaque background.
    roBackStyleConstants BackStyle() const { return static_cast<roBackStyleConstants>(m_backStyle); }
    /// Sets the background style (kept in 16 bits).
    void setBackStyle(int value);
    /// The caption's font (face name, point size, bold, italic, underline, strike-out).
    QFont Font() const { return m_font; }
    /// Sets the caption's font.
    void setFont(const QFont &value);
    /// Character set of the font (128 = Japanese, 1 = default).
    int FontCharset() const { return m_charset; }
    /// Sets the character set of the font.
    void setFontCharset(int value);
    /// Whether the control takes user input.
    bool Enabled() const { return isEnabled(); }
    /// Enables or disables the control (no repaint).
    void setEnabled(bool value);

    /// The drawing surface (device pixels at its device pixel ratio).
    const QImage &hDC() const { return m_surface; }
    /// The control's window.
    QWidget *hWnd() { return this; }
    /// Runs the paint routine at once (AutoSize, then the transparency mask).
    void Refresh();

    /// The current mask picture (two colours, mask colour = back colour), or nullptr when opaque.
    std::shared_ptr<const QPixmap> MaskPicture() const { return m_maskPicture; }
    /// A fresh rendering of the label at its size into an image of the given device pixel ratio.
    QImage RenderImage(qreal devicePixelRatio) const;

    /// The defaults of a new instance (caption = object name); no repaint.
    void InitProperties();
    /// Loads the settings from a bag (missing keys take their defaults), then repaints when shown.
    void ReadProperties(const roPropertyBag &bag);
    /// Saves the settings into a bag; values equal to their default are left out.
    void WriteProperties(roPropertyBag &bag) const;

    /// The font a bag entry "Font" describes, with its character set (default: the ambient font).
    static QVariantMap FontToBag(const QFont &font, int charset);

signals:
    /// A property changed (its bag key), so that the host saves it.
    void PropertyChanged(const QString &name);
    /// A mouse button was pressed and released over the control.
    void Click();
    /// A double click on the control.
    void DblClick();
    /// A key went down (Windows virtual-key code; Shift: 1 shift, 2 ctrl, 4 alt).
    void KeyDown(qint16 &KeyCode, qint16 &Shift);
    /// A character key was typed (its character code).
    void KeyPress(qint16 &KeyAscii);
    /// A key went up.
    void KeyUp(qint16 &KeyCode, qint16 &Shift);
    /// A mouse button went down (Button: 1 left, 2 right, 4 middle; x, y in the control's pixels).
    void MouseDown(qint16 &Button, qint16 &Shift, float &x, float &y);
    /// The mouse moved over the control (Button: the buttons held).
    void MouseMove(qint16 &Button, qint16 &Shift, float &x, float &y);
    /// A mouse button went up.
    void MouseUp(qint16 &Button, qint16 &Shift, float &x, float &y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;

private:
    int TranslateColor(roOleColor color) const;
    QImage Render(qreal devicePixelRatio, roLabelPaint::Result *result) const;
    void PaintSurface();
    void BuildTransparencyMask();
    void Changed(const QString &name);
    QFont AmbientFont() const;
    cMaskImage &GetMaskImager();
    cPictureUtil &GetPictureUtil();

    QString m_caption;
    roAlignmentConstants m_alignment = roAlignTop;
    roOrientationConstants m_orientation = roHorizontal;
    bool m_upsideDown = false;
    bool m_bordering = false;
    roOleColor m_borderingColor = 0x80000014u;
    int m_borderingWidth = 1;
    bool m_autoSize = false;
    roOleColor m_backColor = 0x8000000Fu;
    roOleColor m_foreColor = 0x80000012u;
    qint16 m_backStyle = roOpaque;
    QFont m_font;
    int m_charset = 1;

    QImage m_surface;
    roCanvas m_picMask;
    std::shared_ptr<const QPixmap> m_maskPicture;
    std::unique_ptr<cMaskImage> m_maskImager;
    std::unique_ptr<cPictureUtil> m_pictureUtil;
    bool m_refreshing = false;
    bool m_pressed = false;
};
