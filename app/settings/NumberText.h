#pragma once

#include <QString>

#include <optional>

/// Conversions of settings text to numbers and flags, as the classic runtime did them:
/// decimal text with blanks around it, fractions rounded half to even, out of range = no value.
namespace numbertext {

/// The text as a 32-bit integer, or nothing.
std::optional<int> toInt32(const QString &text);
/// The text as a 16-bit integer (-32768..32767), or nothing.
std::optional<int> toInt16(const QString &text);
/// "True"/"False" in any letter case, or a number (0 false, anything else true); or nothing.
std::optional<bool> toFlag(const QString &text);

} // namespace numbertext
