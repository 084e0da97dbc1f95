#include "cImage.h"

cImage::cImage(roModelKey) {}

cImage::~cImage() = default;
