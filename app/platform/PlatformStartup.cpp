#include "PlatformStartup.h"

#include <QGuiApplication>

#include <QByteArray>
#include <QtGlobal>

namespace platform {

void ChoosePlatformBeforeQApplication()
{
    if (qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        return;
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || qEnvironmentVariableIsEmpty("DISPLAY"))
        return;
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("xcb"));
}

bool IsWaylandSession()
{
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

} // namespace platform
