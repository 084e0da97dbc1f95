#include "cLocations.h"

#include "roGeneralDate.h"

cLocations::cLocations(roModelKey) {}

cLocations::~cLocations() = default;

std::shared_ptr<cLocation> cLocations::Add(const QString &Title, const QString &Link, const QDateTime &Publictime,
                                           const QString &sKey)
{
    auto member = roModelFactory::Create<cLocation>();
    member->setTitle(Title);
    member->setLink(Link);
    member->setPublictime(ro::GeneralDateText(Publictime));
    return Append(std::move(member), sKey);
}
