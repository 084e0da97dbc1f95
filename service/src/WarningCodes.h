#pragma once

#include <QString>

namespace forecastd {

/// How severe a warning is, most severe first.
enum class WarningClass {
    Emergency,
    Danger,
    Warning,
    Advisory
};

/// One entry of the warning code table.
struct WarningCode {
    QString code;              ///< JMA's two-digit code ("03")
    WarningClass warningClass; ///< its class
    QString phenomenon;        ///< what it is about ("大雨")
    QString name;              ///< JMA's name ("大雨警報")
};

/// JMA's warning and advisory codes (generated from JMA's tables, old and 2026 codes).
class WarningCodes {
public:
    /// The entry of a code. A code the table lacks gets a name that shows the code and the class of its
    /// range where that is above 警報 (3x 特別警報, 4x 危険警報), else 警報: never 注意報.
    static WarningCode Lookup(const QString &code);
    /// The class's own word: 特別警報, 危険警報, 警報 or 注意報.
    static QString ClassName(WarningClass warningClass);
};

} // namespace forecastd
