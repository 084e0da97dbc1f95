#include "c32BitIcon.h"

#include <QFile>
#include <QWidget>

// The icons live in a static library, so their resource is registered by hand before first use.
static void initIconResources()
{
    static const bool done = [] {
        Q_INIT_RESOURCE(platform_icons);
        return true;
    }();
    (void)done;
}

QIcon c32BitIcon::LoadIconGroup(const QString &sIconResName)
{
    initIconResources();
    QIcon icon;
    if (sIconResName.isEmpty() || sIconResName.contains(QLatin1Char('/')))
        return icon;
    for (int size : kSizes) {
        const QString path = QStringLiteral(":/icons/%1-%2.png").arg(sIconResName).arg(size);
        if (QFile::exists(path))
            icon.addFile(path, QSize(size, size));
    }
    return icon;
}

QWidget *c32BitIcon::TopOwner(QWidget *hWnd)
{
    if (!hWnd)
        return nullptr;
    QWidget *top = hWnd->window();
    while (QWidget *owner = top->parentWidget())
        top = owner->window();
    return top;
}

void c32BitIcon::SetIcon(QWidget *hWnd, const QString &sIconResName, bool bSetAsAppIcon)
{
    SetIcon2(hWnd, sIconResName, bSetAsAppIcon);
}

QIcon c32BitIcon::SetIcon2(QWidget *hWnd, const QString &sIconResName, bool bSetAsAppIcon)
{
    const QIcon icon = LoadIconGroup(sIconResName);
    if (!hWnd)
        return icon;
    if (bSetAsAppIcon)
        TopOwner(hWnd)->setWindowIcon(icon);
    hWnd->setWindowIcon(icon);
    return icon;
}
