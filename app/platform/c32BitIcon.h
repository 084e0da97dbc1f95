#pragma once

#include <QIcon>
#include <QString>

class QWidget;

/// Loads an icon group of the program's resources ("AAA" normal, "BBB" failure) and sets it on a window.
class c32BitIcon {
public:
    /// Sizes (pixels) every icon group is drawn in.
    static constexpr int kSizes[] = {16, 22, 32, 48};

    /// Sets icon group `sIconResName` on `hWnd` and, when `bSetAsAppIcon`, on its top owner too.
    void SetIcon(QWidget *hWnd, const QString &sIconResName, bool bSetAsAppIcon);
    /// As SetIcon; returns the icon (a null icon when the group does not exist, which also clears the windows').
    QIcon SetIcon2(QWidget *hWnd, const QString &sIconResName, bool bSetAsAppIcon);

    /// The icon group `sIconResName` with every size available; null when there is no such group.
    static QIcon LoadIconGroup(const QString &sIconResName);
    /// The window that owns `hWnd` through its chain of owners (`hWnd`'s own window when it has none).
    static QWidget *TopOwner(QWidget *hWnd);
};
