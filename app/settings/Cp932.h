#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/// Conversions between the program's text and the Japanese ANSI code page (CP932) used by the
/// settings file and the password codec.
namespace codepage {

/// The text as CP932 bytes, or nothing when a character has no CP932 form.
std::optional<QByteArray> toCp932(const QString &text);

/// The CP932 bytes as text, or nothing when the bytes are not valid CP932.
std::optional<QString> fromCp932(const QByteArray &bytes);

/// The CP932 bytes as text; each byte that does not decode becomes U+FFFD.
QString fromCp932Lenient(const QByteArray &bytes);

/// The longest start of the text that fits in maxBytes code-page bytes without splitting a
/// character; a character CP932 cannot hold counts with its UTF-8 length.
QString truncateToCodePageBytes(const QString &text, int maxBytes);

} // namespace codepage
