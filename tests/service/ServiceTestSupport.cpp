#include "ServiceTestSupport.h"

#include "JstTime.h"
#include "TestSupport.h"
#include "cAreas.h"
#include "cWeather.h"
#include "roMessageBox.h"
#include "roWeather.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace servicetest {

QString jmaFixtures()
{
    const QString dir = QStringLiteral(SKYCASTER_JMA_FIXTURES);
    return QFile::exists(QDir(dir).filePath(QStringLiteral("area.json"))) ? dir : QString();
}

ParsedWeather parseWeather(const QByteArray &document)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("forecast.xml"));
    testsupport::writeFile(path, document);
    ro::ScopedMessageBoxRecorder boxes;
    roWeather control;
    ParsedWeather out;
    out.result = control.GetWeather(path, out.weather);
    out.messageBoxes = int(boxes.Shown().size());
    return out;
}

std::shared_ptr<cAreas> parseAreas(const QByteArray &document, int *messageBoxes)
{
    QTemporaryDir tmp;
    const QString path = tmp.filePath(QStringLiteral("forecastmap.xml"));
    testsupport::writeFile(path, document);
    ro::ScopedMessageBoxRecorder boxes;
    roWeather control;
    std::shared_ptr<cAreas> areas;
    const bool ok = control.GetArea(path, areas);
    if (messageBoxes)
        *messageBoxes = int(boxes.Shown().size());
    return ok ? areas : nullptr;
}

QByteArray fixture(const QString &relative)
{
    QFile f(QDir(jmaFixtures()).filePath(relative));
    if (!f.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read fixture " << relative.toStdString();
        return {};
    }
    return f.readAll();
}

QDateTime jst(const char *iso)
{
    return forecastd::JstTime::parseIso(QString::fromLatin1(iso));
}

} // namespace servicetest
