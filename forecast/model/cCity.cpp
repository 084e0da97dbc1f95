#include "cCity.h"

cCity::cCity(roModelKey) {}

cCity::~cCity() = default;
