#pragma once

// Recording stand-ins for the desktop widget and the tray icon, so a retrieval cycle runs against real
// servers and real files while the test reads back what would have been shown.
#include "RetrievalPorts.h"

#include <QImage>
#include <QPoint>
#include <QStringList>

#include <vector>

namespace testsupport {

/// One Draw call of the widget.
struct DrawCall {
    int x = 0, y = 0;
    QString city, telop, minimum, maximum, picture;
    bool topMost = false;
    bool pictureReadable = false; ///< the picture file could be loaded when it was drawn
};

/// The desktop widget: remembers every Draw and the last tool tip; its centre is settable.
class RecordingWidget final : public IWeatherView {
public:
    bool Visible() const override { return visible; }
    void Hide() override { visible = false; }
    void GetCenter(int &x, int &y) const override { x = center.x(), y = center.y(); }
    void Draw(int x, int y, const QString &city, const QString &telop, const QString &minimum, const QString &maximum,
              const QString &picture, bool topMost) override
    {
        draws.push_back({x, y, city, telop, minimum, maximum, picture, topMost, !QImage(picture).isNull()});
        visible = true;
    }
    void SetToolTipText(const QString &title, const QString &body, int icon) override
    {
        tipTitle = title, tipBody = body, tipIcon = icon;
    }
    void SetWarningMark(WarningLevel level) override { mark = level; }

    bool visible = false;
    QPoint center{640, 400};
    std::vector<DrawCall> draws;
    QString tipTitle, tipBody;
    int tipIcon = 0;
    WarningLevel mark = WarningLevel::None;
};

/// The tray icon: remembers its tool tips and whether the failure icon shows.
class RecordingTray final : public ITrayView {
public:
    void SetToolTip(const QString &text) override { tips << text; }
    void SetFailureIcon(bool f) override { failure = f; }
    void SetWarningMark(WarningLevel level) override { mark = level; }
    QStringList tips;
    bool failure = false;
    WarningLevel mark = WarningLevel::None;
};

} // namespace testsupport
