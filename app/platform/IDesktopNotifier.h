#pragma once

#include <QString>

/// One desktop notification.
struct DesktopNotification {
    QString summary;
    QString body;
    bool critical = false; ///< urgency critical (stays until the user closes it) instead of normal
};

/// Where the program's desktop notifications go.
class IDesktopNotifier {
public:
    virtual ~IDesktopNotifier() = default;
    /// Shows a notification without waiting for the desktop; nothing happens when there is no notification server.
    virtual void Notify(const DesktopNotification &notification) = 0;
};
