#include "cAreas.h"

cAreas::cAreas(roModelKey) {}

cAreas::~cAreas() = default;

std::shared_ptr<cArea> cAreas::Add(const QString &Title, const QString &Source, const QString &sKey)
{
    auto member = roModelFactory::Create<cArea>();
    member->setTitle(Title);
    member->setSource(Source);
    return Append(std::move(member), sKey);
}
