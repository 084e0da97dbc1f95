#include "roLabelConstants.h"

#include <QColor>
#include <QPalette>

#include <array>

namespace roColor {
namespace {

struct SystemColor {
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
    bool valid;
};

// The Windows system colour indices (COLOR_SCROLLBAR ... COLOR_MENUBAR) on the nearest palette roles.
constexpr std::array<SystemColor, 31> kSystemColors{{
    {QPalette::Active, QPalette::Midlight, true},          // 0 scroll bar
    {QPalette::Active, QPalette::Dark, true},              // 1 desktop
    {QPalette::Active, QPalette::Highlight, true},         // 2 active caption
    {QPalette::Inactive, QPalette::Highlight, true},       // 3 inactive caption
    {QPalette::Active, QPalette::Window, true},            // 4 menu
    {QPalette::Active, QPalette::Base, true},              // 5 window
    {QPalette::Active, QPalette::Shadow, true},            // 6 window frame
    {QPalette::Active, QPalette::WindowText, true},        // 7 menu text
    {QPalette::Active, QPalette::Text, true},              // 8 window text
    {QPalette::Active, QPalette::HighlightedText, true},   // 9 caption text
    {QPalette::Active, QPalette::Window, true},            // 10 active border
    {QPalette::Inactive, QPalette::Window, true},          // 11 inactive border
    {QPalette::Active, QPalette::Dark, true},              // 12 application workspace
    {QPalette::Active, QPalette::Highlight, true},         // 13 highlight
    {QPalette::Active, QPalette::HighlightedText, true},   // 14 highlighted text
    {QPalette::Active, QPalette::Button, true},            // 15 button face
    {QPalette::Active, QPalette::Dark, true},              // 16 button shadow
    {QPalette::Disabled, QPalette::Text, true},            // 17 grey text
    {QPalette::Active, QPalette::ButtonText, true},        // 18 button text
    {QPalette::Inactive, QPalette::HighlightedText, true}, // 19 inactive caption text
    {QPalette::Active, QPalette::Light, true},             // 20 3-D highlight
    {QPalette::Active, QPalette::Shadow, true},            // 21 3-D dark shadow
    {QPalette::Active, QPalette::Midlight, true},          // 22 3-D light
    {QPalette::Active, QPalette::ToolTipText, true},       // 23 tool-tip text
    {QPalette::Active, QPalette::ToolTipBase, true},       // 24 tool-tip background
    {QPalette::Active, QPalette::NoRole, false},           // 25 has no colour
    {QPalette::Active, QPalette::Link, true},              // 26 hot-tracked item
    {QPalette::Active, QPalette::Highlight, true},         // 27 active caption gradient
    {QPalette::Inactive, QPalette::Highlight, true},       // 28 inactive caption gradient
    {QPalette::Active, QPalette::Highlight, true},         // 29 menu highlight
    {QPalette::Active, QPalette::Window, true},            // 30 menu bar
}};

} // namespace

int TranslateColor(roOleColor color, const QPalette &palette)
{
    if (color & 0x80000000u) {
        const quint32 index = color & 0xFFu;
        if (index >= kSystemColors.size() || !kSystemColors[index].valid)
            return -1;
        const SystemColor &sys = kSystemColors[index];
        return fromQColor(palette.color(sys.group, sys.role));
    }
    // 0x00bbggrr is RGB, 0x02bbggrr a palette-relative RGB; other high bytes name palette entries we do not have.
    const quint32 kind = color >> 24;
    if (kind == 0 || kind == 2)
        return static_cast<int>(color & 0xFFFFFFu);
    return -1;
}

QColor toQColor(int rgb)
{
    if (rgb < 0)
        return QColor(0, 0, 0);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

int fromQColor(const QColor &color)
{
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

} // namespace roColor
