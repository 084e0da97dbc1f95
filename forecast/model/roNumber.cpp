#include "roNumber.h"

#include <cstdint>

namespace ro {
namespace {

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

struct Parts {
    bool negative = false;
    QStringView whole;
    QStringView fraction;
};

std::optional<Parts> split(const QString &text)
{
    QStringView s(text);
    while (!s.isEmpty() && isBlank(s.front()))
        s = s.mid(1);
    while (!s.isEmpty() && isBlank(s.back()))
        s.chop(1);
    Parts parts;
    if (!s.isEmpty() && (s.front() == u'-' || s.front() == u'+')) {
        parts.negative = s.front() == u'-';
        s = s.mid(1);
    }
    qsizetype i = 0;
    while (i < s.size() && isDigit(s[i]))
        ++i;
    parts.whole = s.left(i);
    if (i < s.size()) {
        if (s[i] != u'.')
            return std::nullopt;
        const qsizetype start = ++i;
        while (i < s.size() && isDigit(s[i]))
            ++i;
        if (i != s.size())
            return std::nullopt;
        parts.fraction = s.mid(start);
    }
    if (parts.whole.isEmpty() && parts.fraction.isEmpty())
        return std::nullopt;
    return parts;
}

} // namespace

bool IsNumeric(const QString &text)
{
    return split(text).has_value();
}

std::optional<int> ToLong(const QString &text)
{
    const auto parts = split(text);
    if (!parts)
        return std::nullopt;
    // Magnitude with an overflow guard well above the 32-bit range.
    std::int64_t magnitude = 0;
    for (QChar c : parts->whole) {
        magnitude = magnitude * 10 + (c.unicode() - u'0');
        if (magnitude > (std::int64_t(1) << 40))
            return std::nullopt;
    }
    // Half to even on the exact decimal digits (no binary rounding error).
    if (!parts->fraction.isEmpty()) {
        const QChar first = parts->fraction.front();
        bool restNonZero = false;
        for (QChar c : parts->fraction.mid(1))
            restNonZero = restNonZero || c != u'0';
        if (first > u'5' || (first == u'5' && (restNonZero || magnitude % 2 == 1)))
            ++magnitude;
    }
    const std::int64_t value = parts->negative ? -magnitude : magnitude;
    if (value < INT32_MIN || value > INT32_MAX)
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace ro
