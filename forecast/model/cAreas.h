#pragma once

#include "cArea.h"
#include "roCollection.h"
#include "roModelKey.h"

/// The area list: areas keyed by their title.
class cAreas : public roCollection<cArea> {
public:
    /// Library only: objects come from the library's factory.
    explicit cAreas(roModelKey);
    ~cAreas();

    /// Appends an area, keyed by sKey unless it is empty; a key already present throws roCollectionError.
    std::shared_ptr<cArea> Add(QString Title, QString Source = {}, QString sKey = {});
};
