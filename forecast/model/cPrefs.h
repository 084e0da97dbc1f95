#pragma once

#include "cPref.h"
#include "roCollection.h"
#include "roModelKey.h"

/// The prefectures of an area, keyed by their title.
class cPrefs : public roCollection<cPref> {
public:
    /// Library only: objects come from the library's factory.
    explicit cPrefs(roModelKey);
    ~cPrefs();

    /// Appends a prefecture, keyed by sKey unless it is empty; a key already present throws roCollectionError.
    std::shared_ptr<cPref> Add(QString Title, QString sKey = {});
};
