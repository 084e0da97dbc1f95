#include "cWarnings.h"

cWarnings::cWarnings(roModelKey) {}

cWarnings::~cWarnings() = default;

std::shared_ptr<cWarning> cWarnings::Add(const QString &Code, const QString &Status, const QString &WarningClass,
                                         const QString &Name, bool Partial, const QString &sKey)
{
    auto member = roModelFactory::Create<cWarning>();
    member->setCode(Code);
    member->setStatus(Status);
    member->setWarningClass(WarningClass);
    member->setName(Name);
    member->setPartial(Partial);
    return Append(std::move(member), sKey);
}
