#include "cLocation.h"

cLocation::cLocation(roModelKey) {}

cLocation::~cLocation() = default;
