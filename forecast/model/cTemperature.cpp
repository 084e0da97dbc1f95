#include "cTemperature.h"

cTemperature::cTemperature(roModelKey) {}

cTemperature::~cTemperature() = default;
