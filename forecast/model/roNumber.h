#pragma once

#include <QString>

#include <optional>

namespace ro {

/// The numeric-text test: optional blanks around, an optional sign, digits
/// with an optional decimal part ("12", " -3 ", "+4.5", ".5"). Empty text and a
/// lone sign are not numeric.
bool IsNumeric(const QString &text);

/// The text as a 32-bit signed integer, as the classic conversion reads it:
/// numeric text (IsNumeric) with a decimal part rounded half to even
/// (32.5 -> 32, 33.5 -> 34). Nothing when the text is not numeric or the
/// rounded number lies outside the 32-bit range.
std::optional<int> ToLong(const QString &text);

} // namespace ro
