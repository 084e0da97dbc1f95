#include "cPortEdit.h"

#include <QKeyEvent>
#include <QValidator>

#include <functional>
#include <utility>

namespace {

// Five digits at most; enforced here rather than by maxLength, which would cut
// pasted text before its blanks and letters are taken out.
constexpr qsizetype kMaxDigits = 5;

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// Filters rather than refuses, so that a pasted "80 80" still gives "8080".
class DigitsValidator : public QValidator {
public:
    DigitsValidator(QObject *parent, std::function<void()> onFiltered)
        : QValidator(parent)
        , m_onFiltered(std::move(onFiltered))
    {
    }

    State validate(QString &input, int &pos) const override
    {
        QString digits;
        digits.reserve(input.size());
        int newPos = 0;
        for (qsizetype i = 0; i < input.size(); ++i) {
            if (isDigit(input.at(i))) {
                digits.append(input.at(i));
                if (i < pos)
                    ++newPos;
            }
        }
        const bool filtered = digits.size() != input.size();
        if (filtered)
            m_onFiltered();
        if (digits.size() > kMaxDigits)
            return Invalid;
        if (filtered) {
            input = digits;
            pos = newPos;
        }
        return Acceptable;
    }

private:
    std::function<void()> m_onFiltered;
};

} // namespace

cPortEdit::cPortEdit(QWidget *parent)
    : QLineEdit(parent)
{
    setValidator(new DigitsValidator(this, [this] { emit Rejected(); }));
}

void cPortEdit::keyPressEvent(QKeyEvent *event)
{
    const QString text = event->text();
    const bool shortcut = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    // Navigation, editing shortcuts, Enter/Escape/Tab keep their usual meaning.
    if (text.isEmpty() || shortcut || text == QStringLiteral("\r") || text == QStringLiteral("\t") ||
        text == QStringLiteral("\x1b") || text == QStringLiteral("\x7f")) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    bool allowed = true;
    for (QChar c : text) {
        if (!isDigit(c) && c != QChar(8))
            allowed = false;
    }
    if (allowed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    event->accept();
    emit Rejected();
}
