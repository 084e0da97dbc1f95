#include "basBase64.h"

#include "Cp932.h"

#include <QByteArray>

namespace basBase64 {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr unsigned char kPad = 255;
constexpr unsigned char kInvalid = 254;
const QByteArray kUtf8Bom("\xEF\xBB\xBF");

unsigned char sixBits(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 'A' && u <= 'Z')
        return static_cast<unsigned char>(u - 'A');
    if (u >= 'a' && u <= 'z')
        return static_cast<unsigned char>(u - 'a' + 26);
    if (u >= '0' && u <= '9')
        return static_cast<unsigned char>(u - '0' + 52);
    if (u == '+')
        return 62;
    if (u == '/')
        return 63;
    if (u == '=')
        return kPad;
    return kInvalid;
}

} // namespace

QString Base64Char(int lValue)
{
    if (lValue < 0 || lValue > 63)
        return {};
    return QString(QChar::fromLatin1(kAlphabet[lValue]));
}

QString Base64Encode(const QString &sText)
{
    if (sText.isEmpty())
        return {};
    // CP932 (a BOM-marked UTF-8 form only for characters CP932 cannot hold: EF BB is no
    // valid CP932 sequence, so the two never meet).
    const QByteArray bytes = codepage::toCp932(sText).value_or(kUtf8Bom + sText.toUtf8());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(4 * (n / 3) + (n % 3 ? 4 : 0));
    auto put = [&out](int v) { out += QChar::fromLatin1(kAlphabet[v]); };
    qsizetype i = 0;
    for (; i + 3 <= n; i += 3) {
        const auto b1 = static_cast<unsigned char>(bytes[i]);
        const auto b2 = static_cast<unsigned char>(bytes[i + 1]);
        const auto b3 = static_cast<unsigned char>(bytes[i + 2]);
        put(b1 >> 2);
        put(((b1 & 3) << 4) | (b2 >> 4));
        put(((b2 & 15) << 2) | (b3 >> 6));
        put(b3 & 63);
    }
    if (n - i == 1) {
        const auto b1 = static_cast<unsigned char>(bytes[i]);
        put(b1 >> 2);
        put((b1 & 3) << 4);
        out += QStringLiteral("==");
    } else if (n - i == 2) {
        const auto b1 = static_cast<unsigned char>(bytes[i]);
        const auto b2 = static_cast<unsigned char>(bytes[i + 1]);
        put(b1 >> 2);
        put(((b1 & 3) << 4) | (b2 >> 4));
        put((b2 & 15) << 2);
        out += u'=';
    }
    return out;
}

QString Base64Decode(const QString &sText)
{
    if (sText.isEmpty())
        return {};
    QByteArray bytes;
    bytes.reserve(sText.size() / 4 * 3);
    for (qsizetype i = 0; i + 4 <= sText.size(); i += 4) {
        unsigned char s[4];
        for (int k = 0; k < 4; ++k) {
            s[k] = sixBits(sText.at(i + k));
            if (s[k] == kInvalid)
                return {};
        }
        // Padding only at the end of a group, never in its first two places.
        if (s[0] == kPad || s[1] == kPad || (s[2] == kPad && s[3] != kPad))
            return {};
        bytes += static_cast<char>((s[0] << 2) | (s[1] >> 4));
        if (s[2] != kPad)
            bytes += static_cast<char>(((s[1] & 15) << 4) | (s[2] >> 2));
        if (s[3] != kPad)
            bytes += static_cast<char>(((s[2] & 3) << 6) | s[3]);
    }
    if (bytes.startsWith(kUtf8Bom))
        return QString::fromUtf8(bytes.mid(kUtf8Bom.size()));
    return codepage::fromCp932(bytes).value_or(codepage::fromCp932Lenient(bytes));
}

} // namespace basBase64
