#include "Cp932.h"

#include <iconv.h>

#include <cerrno>

namespace codepage {
namespace {

/// One iconv descriptor for the life of a conversion.
class Converter {
public:
    Converter(const char *to, const char *from)
        : m_cd(iconv_open(to, from))
    {
    }
    ~Converter()
    {
        if (valid())
            iconv_close(m_cd);
    }
    Converter(const Converter &) = delete;
    Converter &operator=(const Converter &) = delete;

    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    /// Converts as much as possible; returns false at the first byte that does not convert and
    /// leaves `in`/`inLeft` pointing at it.
    bool convert(char *&in, size_t &inLeft, QByteArray &out)
    {
        char buffer[1024];
        while (inLeft > 0) {
            char *dst = buffer;
            size_t dstLeft = sizeof buffer;
            const size_t rc = iconv(m_cd, &in, &inLeft, &dst, &dstLeft);
            out.append(buffer, static_cast<qsizetype>(sizeof buffer - dstLeft));
            if (rc == static_cast<size_t>(-1) && errno != E2BIG)
                return false;
        }
        char *dst = buffer;
        size_t dstLeft = sizeof buffer;
        iconv(m_cd, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer, static_cast<qsizetype>(sizeof buffer - dstLeft));
        return true;
    }

private:
    iconv_t m_cd;
};

} // namespace

std::optional<QByteArray> toCp932(const QString &text)
{
    QByteArray utf8 = text.toUtf8();
    // Lone surrogates come out of toUtf8() as U+FFFD, which CP932 cannot hold either.
    Converter cd("CP932", "UTF-8");
    if (!cd.valid())
        return std::nullopt;
    char *in = utf8.data();
    size_t inLeft = static_cast<size_t>(utf8.size());
    QByteArray out;
    out.reserve(utf8.size());
    if (!cd.convert(in, inLeft, out))
        return std::nullopt;
    // Some characters map one way only (U+2014 becomes 0x815C, which reads back as U+2015):
    // such text has no faithful CP932 form.
    if (const auto back = fromCp932(out); !back || *back != text)
        return std::nullopt;
    return out;
}

std::optional<QString> fromCp932(const QByteArray &bytes)
{
    Converter cd("UTF-8", "CP932");
    if (!cd.valid())
        return std::nullopt;
    QByteArray copy = bytes;
    char *in = copy.data();
    size_t inLeft = static_cast<size_t>(copy.size());
    QByteArray out;
    out.reserve(copy.size() * 3 / 2);
    if (!cd.convert(in, inLeft, out))
        return std::nullopt;
    return QString::fromUtf8(out);
}

QString fromCp932Lenient(const QByteArray &bytes)
{
    Converter cd("UTF-8", "CP932");
    if (!cd.valid())
        return QString::fromLatin1(bytes);
    QByteArray copy = bytes;
    char *in = copy.data();
    size_t inLeft = static_cast<size_t>(copy.size());
    QByteArray out;
    while (!cd.convert(in, inLeft, out)) {
        out.append("\xEF\xBF\xBD"); // U+FFFD for the byte that does not decode
        ++in;
        --inLeft;
    }
    return QString::fromUtf8(out);
}

QString truncateToCodePageBytes(const QString &text, int maxBytes)
{
    // Fast path: most values are short (no UTF-16 unit needs more than three bytes).
    if (text.size() * 3 <= maxBytes)
        return text;
    if (const auto whole = toCp932(text); whole && whole->size() <= maxBytes)
        return text;

    int used = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const qsizetype len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString ch = text.mid(i, len);
        int bytes = 0;
        if (ch.size() == 1 && ch.at(0).unicode() < 0x80) {
            bytes = 1;
        } else if (const auto encoded = toCp932(ch)) {
            bytes = static_cast<int>(encoded->size());
        } else {
            bytes = static_cast<int>(ch.toUtf8().size());
        }
        if (used + bytes > maxBytes)
            break;
        used += bytes;
        i += len;
    }
    return text.left(i);
}

} // namespace codepage
