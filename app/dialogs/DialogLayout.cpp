#include "DialogLayout.h"

#include "Twips.h"

#include <QWidget>

#include <algorithm>

namespace dialogs {
namespace {

constexpr int kMinStretch = 76;

} // namespace

void PlaceInTwips(QWidget *child, int left, int top, int width, int height)
{
    QRect rect = twips::TwipsToPixels(QRect(left, top, width, height), child->screen());
    const int needed = child->sizeHint().height();
    if (needed > rect.height()) {
        const int grow = needed - rect.height();
        rect.adjust(0, -(grow / 2), 0, grow - grow / 2);
    }
    // The layout was designed for a font whose kana are narrower than those of the
    // usual substitutes: narrow the text of a control that would be cut instead.
    const bool captioned = child->inherits("QAbstractButton") || child->inherits("QLabel");
    if (captioned && child->sizeHint().width() > rect.width()) {
        QFont font = child->font();
        for (int stretch = 97; stretch >= kMinStretch && child->sizeHint().width() > rect.width(); stretch -= 3) {
            font.setStretch(stretch);
            child->setFont(font);
        }
    }
    child->setGeometry(rect);
}

QPoint CentredPosition(const QSizeF &screenSize, const QSizeF &dialogSize, const QRectF *ownerArea)
{
    double left = 0.0;
    double top = 0.0;
    if (!ownerArea) {
        left = (screenSize.width() - dialogSize.width()) / 2.0;
        top = (screenSize.height() - dialogSize.height()) / 2.0;
    } else {
        left = ownerArea->left() + (ownerArea->width() - dialogSize.width()) / 2.0;
        top = ownerArea->top() + (ownerArea->height() - dialogSize.height()) / 2.0;
        if (left + dialogSize.width() > screenSize.width())
            left = screenSize.width() - dialogSize.width();
        if (top + dialogSize.height() > screenSize.height())
            top = screenSize.height() - dialogSize.height();
        // A dialog whose caption lies off the screen cannot be moved back by the user.
        left = std::max(left, 0.0);
        top = std::max(top, 0.0);
    }
    return {twips::RoundHalfEven(left), twips::RoundHalfEven(top)};
}

} // namespace dialogs
