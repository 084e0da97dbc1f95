#include "cPrefs.h"

cPrefs::cPrefs(roModelKey) {}

cPrefs::~cPrefs() = default;

std::shared_ptr<cPref> cPrefs::Add(const QString &Title, const QString &sKey)
{
    auto member = roModelFactory::Create<cPref>();
    member->setTitle(Title);
    return Append(std::move(member), sKey);
}
