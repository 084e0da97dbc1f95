#include "cPrefs.h"

cPrefs::cPrefs(roModelKey) {}

cPrefs::~cPrefs() = default;

std::shared_ptr<cPref> cPrefs::Add(QString Title, QString sKey)
{
    auto member = roModelFactory::Create<cPref>();
    member->setTitle(std::move(Title));
    return Append(std::move(member), std::move(sKey));
}
