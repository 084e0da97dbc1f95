#include "cCities.h"

cCities::cCities(roModelKey) {}

cCities::~cCities() = default;

std::shared_ptr<cCity> cCities::Add(const QString &Title, const QString &ID, const QString &Source)
{
    auto member = roModelFactory::Create<cCity>();
    member->setTitle(Title);
    member->setID(ID);
    member->setSource(Source);
    return Append(std::move(member), ID, true);
}
