#include "PlatformStartup.h"

#include <QByteArray>
#include <QtGlobal>

#include <gtest/gtest.h>

namespace {

struct Env {
    const char *wayland;
    const char *display;
    const char *qpa;
};

QByteArray chosenFor(const Env &env)
{
    for (auto [name, value] : {std::pair{"WAYLAND_DISPLAY", env.wayland}, std::pair{"DISPLAY", env.display},
                               std::pair{"QT_QPA_PLATFORM", env.qpa}})
        value ? qputenv(name, QByteArray(value)) : qunsetenv(name);
    platform::ChoosePlatformBeforeQApplication();
    return qgetenv("QT_QPA_PLATFORM");
}

TEST(ChoosePlatform, WaylandWithXWaylandRunsAsX11ClientUnlessAskedOtherwise)
{
    EXPECT_EQ(chosenFor({"wayland-0", ":0", nullptr}), QByteArray("xcb"));
    EXPECT_EQ(chosenFor({"wayland-0", nullptr, nullptr}), QByteArray()); // no X server: leave it to Qt
    EXPECT_EQ(chosenFor({nullptr, ":0", nullptr}), QByteArray());        // plain X11 session
    EXPECT_EQ(chosenFor({"wayland-0", ":0", "wayland"}), QByteArray("wayland"));
    EXPECT_EQ(chosenFor({"", ":0", nullptr}), QByteArray());
}

} // namespace
