#include "WarningCodes.h"

namespace forecastd {

namespace {

struct Row {
    const char *code;
    const char16_t *warningClass;
    const char16_t *phenomenon;
    const char16_t *name;
};

constexpr Row kTable[] = {
#include "generated/WarningCodeTable.inc"
};

WarningClass classOfName(const QString &name)
{
    for (WarningClass c : {WarningClass::Emergency, WarningClass::Danger, WarningClass::Warning})
        if (name == WarningCodes::ClassName(c))
            return c;
    return WarningClass::Advisory;
}

/// A kind we cannot name may be one JMA added: never state it below 警報.
WarningClass classOfRange(const QString &code)
{
    switch (code.isEmpty() ? u'0' : code.at(0).unicode()) {
    case u'3': return WarningClass::Emergency;
    case u'4': return WarningClass::Danger;
    default: return WarningClass::Warning;
    }
}

} // namespace

WarningCode WarningCodes::Lookup(const QString &code)
{
    const QByteArray key = code.toLatin1();
    for (const Row &row : kTable) {
        if (key == row.code)
            return {code, classOfName(QString::fromUtf16(row.warningClass)), QString::fromUtf16(row.phenomenon),
                    QString::fromUtf16(row.name)};
    }
    const WarningClass c = classOfRange(code);
    const QString phenomenon = QStringLiteral("コード%1").arg(code);
    return {code, c, phenomenon, phenomenon + ClassName(c)};
}

QString WarningCodes::ClassName(WarningClass warningClass)
{
    switch (warningClass) {
    case WarningClass::Emergency: return QStringLiteral("特別警報");
    case WarningClass::Danger: return QStringLiteral("危険警報");
    case WarningClass::Warning: return QStringLiteral("警報");
    case WarningClass::Advisory: break;
    }
    return QStringLiteral("注意報");
}

} // namespace forecastd
