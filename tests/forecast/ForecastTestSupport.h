#pragma once

#include "cAreas.h"
#include "cWeather.h"
#include "roWeatherParser.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// Documents written into a throwaway folder, read back through the library.
class DocumentDir {
public:
    /// Writes bytes to NAME in the folder and returns its path.
    QString write(const QString &name, const QByteArray &bytes);
    /// A forecast document: an lwws element (version "1") around the body.
    QString forecast(const QByteArray &body, const QByteArray &rootAttributes = "version=\"1\"");
    /// An area list: an RSS document around an ldWeather:source with the body.
    QString areaList(const QByteArray &body);
    /// Path of a file that does not exist.
    QString missing() const { return m_dir.filePath(QStringLiteral("missing.xml")); }

private:
    QTemporaryDir m_dir;
    int m_counter = 0;
};

/// A new, empty cWeather, as the library hands one out (lwws with a version only).
std::shared_ptr<cWeather> freshWeather();
/// A new, empty cAreas, as the library hands one out.
std::shared_ptr<cAreas> freshAreas();
