#include "cWarning.h"

cWarning::cWarning(roModelKey) {}

cWarning::~cWarning() = default;
