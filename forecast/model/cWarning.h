#pragma once

#include "roModelKey.h"

#include <QString>

/// One warning or advisory in force, of cWarnings.
class cWarning {
public:
    /// Library only: objects come from the library's factory.
    explicit cWarning(roModelKey);
    ~cWarning();
    cWarning(const cWarning &) = delete;
    cWarning &operator=(const cWarning &) = delete;

    /// JMA's two-digit code (attribute code).
    const QString &Code() const { return m_Code; }
    /// Sets Code.
    void setCode(const QString &value) { m_Code = value; }
    /// 発表, 継続 and the like (attribute status).
    const QString &Status() const { return m_Status; }
    /// Sets Status.
    void setStatus(const QString &value) { m_Status = value; }
    /// 注意報, 警報, 危険警報 or 特別警報 (attribute class).
    const QString &WarningClass() const { return m_WarningClass; }
    /// Sets WarningClass.
    void setWarningClass(const QString &value) { m_WarningClass = value; }
    /// The warning's name, e.g. 大雨警報 (element text).
    const QString &Name() const { return m_Name; }
    /// Sets Name.
    void setName(const QString &value) { m_Name = value; }
    /// In force in part of the area only (attribute partial="true").
    bool Partial() const { return m_Partial; }
    /// Sets Partial.
    void setPartial(bool value) { m_Partial = value; }

private:
    QString m_Code;
    QString m_Status;
    QString m_WarningClass;
    QString m_Name;
    bool m_Partial = false;
};
