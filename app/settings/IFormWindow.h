#pragma once

/// A window whose placement cIniFile can save and restore: lengths in twips (1/1440 inch),
/// as the stored "Left"/"Top"/"Width"/"Height" keys are. Widgets adapt to it; tests use a
/// plain object, so no display is needed.
class IFormWindow {
public:
    virtual ~IFormWindow() = default;

    /// Left edge in twips.
    virtual int Left() const = 0;
    /// Top edge in twips.
    virtual int Top() const = 0;
    /// Width in twips.
    virtual int Width() const = 0;
    /// Height in twips.
    virtual int Height() const = 0;
    /// 0 normal, 1 minimised, 2 maximised.
    virtual int WindowState() const = 0;
    /// Changes the window state (0, 1 or 2).
    virtual void setWindowState(int state) = 0;
    /// Moves and sizes the window, in twips.
    virtual void Move(int left, int top, int width, int height) = 0;

    /// Twips per screen pixel horizontally (1440 / logical DPI).
    virtual double TwipsPerPixelX() const = 0;
    /// Twips per screen pixel vertically.
    virtual double TwipsPerPixelY() const = 0;
    /// Width of the window's screen in twips.
    virtual double ScreenWidth() const = 0;
    /// Height of the window's screen in twips.
    virtual double ScreenHeight() const = 0;
};
