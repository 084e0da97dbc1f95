#pragma once

#include "cCity.h"
#include "roCollection.h"
#include "roModelKey.h"

/// The cities of a prefecture, always keyed by their ID.
class cCities : public roCollection<cCity> {
public:
    /// Library only: objects come from the library's factory.
    explicit cCities(roModelKey);
    ~cCities();

    /// Appends a city keyed by its ID; an ID already present (any letter case) throws roCollectionError.
    std::shared_ptr<cCity> Add(QString Title, QString ID, QString Source);
};
