#include "cInitComn.h"

int cInitComn::InitControls(int flags)
{
    // Every class the program uses is part of Qt Widgets and ready once QApplication exists; a negative
    // group is no valid request.
    return flags < 0 ? -1 : flags;
}
