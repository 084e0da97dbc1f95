#pragma once

#include "WarningLevel.h"

#include <QColor>
#include <QIcon>
#include <QImage>

/// The small mark the tray icon and the desktop widget carry while a warning is in force.
namespace warningmark {

/// JMA's colour of a level: yellow, red, purple, black (invalid for None).
QColor Colour(WarningLevel level);
/// The picture with the mark in its top right corner. No pixel of the mark has the colour `key`, so a
/// shape cut by that colour keeps the whole mark; the top left pixel is never touched.
QImage Stamped(const QImage &picture, WarningLevel level, QColor key);
/// Every size of the icon with the mark in its bottom right corner (the icon itself for None).
QIcon Marked(const QIcon &icon, WarningLevel level);

} // namespace warningmark
