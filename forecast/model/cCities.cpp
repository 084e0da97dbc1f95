#include "cCities.h"

cCities::cCities(roModelKey) {}

cCities::~cCities() = default;

std::shared_ptr<cCity> cCities::Add(QString Title, QString ID, QString Source)
{
    auto member = roModelFactory::Create<cCity>();
    member->setTitle(std::move(Title));
    member->setID(ID);
    member->setSource(std::move(Source));
    return Append(std::move(member), std::move(ID), true);
}
