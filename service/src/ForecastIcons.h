#pragma once

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QString>

namespace forecastd {

/// The forecast pictures, drawn here: one per JMA day icon (晴, 晴時々曇, 曇後雨, ...).
class ForecastIcons {
public:
    /// Draws every icon once and keeps it as PNG.
    ForecastIcons();

    /// PNG bytes of an icon ("101"), or empty when there is none of that name.
    QByteArray Png(const QString &name) const;

    /// Names of all icons.
    QStringList Names() const;

    /// Draws one icon at the served size (kIconWidth x kIconHeight); unknown names get their group's picture.
    static QImage Draw(const QString &name);

private:
    QHash<QString, QByteArray> m_png;
};

} // namespace forecastd
