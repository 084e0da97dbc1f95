#pragma once

#include <QString>

/// Base64 over the text's CP932 bytes; hides the stored proxy password from a casual look.
namespace basBase64 {

/// The Base64 text of sText's CP932 bytes; "" for "". Text CP932 cannot hold is encoded as
/// UTF-8 behind a byte order mark, so it decodes back unchanged.
QString Base64Encode(const QString &sText);
/// The text whose bytes sText encodes; "" for "" and for text that is not Base64.
QString Base64Decode(const QString &sText);
/// The alphabet character for a 6-bit value (0..63); "" for any other value.
QString Base64Char(int lValue);

} // namespace basBase64
