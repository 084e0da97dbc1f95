#include "cAreas.h"

cAreas::cAreas(roModelKey) {}

cAreas::~cAreas() = default;

std::shared_ptr<cArea> cAreas::Add(QString Title, QString Source, QString sKey)
{
    auto member = roModelFactory::Create<cArea>();
    member->setTitle(std::move(Title));
    member->setSource(std::move(Source));
    return Append(std::move(member), std::move(sKey));
}
