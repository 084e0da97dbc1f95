// Decodes arbitrary text and round-trips arbitrary text through the password codec.
#include "basBase64.h"

#include <QString>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    (void)basBase64::Base64Decode(QString::fromLatin1(bytes));

    const QString text = QString::fromUtf8(bytes);
    const QString encoded = basBase64::Base64Encode(text);
    if (encoded.size() % 4 != 0)
        std::abort();
    // Lone surrogates cannot be stored anywhere; every other text comes back unchanged.
    if (QString::fromUtf8(text.toUtf8()) == text && basBase64::Base64Decode(encoded) != text)
        std::abort();
    return 0;
}
