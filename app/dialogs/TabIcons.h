#pragma once

#include <QIcon>

/// The tab icons of the settings dialog, drawn here (the image manager's icons 1 and 2).
namespace dialogs {

/// Icon 1: a sun over a cloud, for the general page.
QIcon GeneralTabIcon();
/// Icon 2: two linked computers, for the connection page.
QIcon ConnectionTabIcon();

} // namespace dialogs
