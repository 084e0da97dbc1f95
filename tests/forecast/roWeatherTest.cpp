// The control itself: a fixed 32 × 32 face that hands its calls to the readers.
#include "ForecastTestSupport.h"

#include "TestSupport.h"
#include "cAreas.h"
#include "roMessageBox.h"
#include "roWeather.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

TEST(roWeatherControl, StaysThirtyTwoSquareWhateverTheHostAsks)
{
    QWidget host;
    roWeather control(&host);
    control.resize(200, 10);
    control.setGeometry(5, 5, 64, 64);
    EXPECT_EQ(control.size(), QSize(32, 32));
    const QImage face = control.grab().toImage();
    EXPECT_EQ(face.size(), QSize(32, 32));
    EXPECT_NE(face.pixel(12, 12), face.pixel(1, 1)); // something is drawn
    face.save(testsupport::artifactPath(QStringLiteral("roWeather-face.png")));
}

TEST(roWeatherControl, MethodsReadDocumentsAndShowBoxes)
{
    roWeather control;
    std::shared_ptr<cWeather> weather;
    ASSERT_TRUE(control.GetWeather(testsupport::dataPath(QStringLiteral("forecast/tokyo-today.xml")), weather));
    EXPECT_EQ(weather->Telop(), QStringLiteral("晴れ時々曇り"));
    std::shared_ptr<cAreas> areas;
    ASSERT_TRUE(control.GetArea(testsupport::dataPath(QStringLiteral("forecast/area-list.xml")), areas));
    EXPECT_EQ(areas->Count(), 2);
    ro::ScopedMessageBoxRecorder boxes;
    EXPECT_FALSE(control.GetArea(testsupport::dataPath(QStringLiteral("forecast/tokyo-today.xml")), areas));
    ASSERT_EQ(boxes.Shown().size(), 1U);
    EXPECT_EQ(boxes.Shown()[0].title, QStringLiteral("地域の解析"));
    EXPECT_EQ(areas->Count(), 2);
}

TEST(roWeatherDump, PrintsForecastAndAreaListAsJson)
{
    const QString tool = QStringLiteral(SKYCASTER_PROGRAM_DIR "/roweather-dump");
    auto dump = [&](const QString &file, int expectedExit, const QStringList &options = {}) {
        QProcess p;
        p.start(tool, options + QStringList{file});
        EXPECT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), expectedExit) << p.readAllStandardError().toStdString();
        QJsonParseError error;
        const auto doc = QJsonDocument::fromJson(p.readAllStandardOutput(), &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
        return doc.object();
    };
    const auto forecast = dump(testsupport::dataPath(QStringLiteral("forecast/tokyo-today.xml")), 0);
    EXPECT_EQ(forecast[QStringLiteral("document")].toString(), QStringLiteral("forecast"));
    EXPECT_EQ(forecast[QStringLiteral("Weather")].toString(), QStringLiteral("new"));
    const auto w = forecast[QStringLiteral("cWeather")].toObject();
    EXPECT_EQ(w[QStringLiteral("Image")].toObject()[QStringLiteral("lHeight")].toInt(), 31);
    EXPECT_EQ(w[QStringLiteral("Locations")].toArray().size(), 3);
    EXPECT_EQ(w[QStringLiteral("Temperature")].toObject()[QStringLiteral("MinFahrenheit")].toString(),
              QStringLiteral("37.4"));

    const auto areas = dump(testsupport::dataPath(QStringLiteral("forecast/area-list.xml")), 0);
    EXPECT_EQ(areas[QStringLiteral("document")].toString(), QStringLiteral("area-list"));
    const auto list = areas[QStringLiteral("cAreas")].toArray();
    ASSERT_EQ(list.size(), 2);
    EXPECT_EQ(list[1]
                  .toObject()[QStringLiteral("Prefs")]
                  .toArray()[0]
                  .toObject()[QStringLiteral("Cities")]
                  .toArray()[1]
                  .toObject()[QStringLiteral("ID")]
                  .toString(),
              QStringLiteral("130020"));

    const auto broken = dump(testsupport::dataPath(QStringLiteral("forecast/binary.bin")), 1);
    EXPECT_EQ(broken[QStringLiteral("Weather")].toString(), QStringLiteral("unchanged"));
    EXPECT_EQ(broken[QStringLiteral("messageBox")].toObject()[QStringLiteral("caption")].toString(),
              QStringLiteral("予報の解析"));
}

TEST(roWeatherDump, ReaderOptionsForceTheReader)
{
    struct Case {
        QStringList options;
        const char *file;
        int exitCode;
        const char *document;
        const char *caption; // of the message box; empty: none shown
    };
    const Case cases[] = {
        // A wrong-format forecast is reported with the forecast reader's message, not the area list's.
        {{QStringLiteral("--forecast")}, "forecast/wrong-root.xml", 1, "forecast", "予報の解析"},
        {{}, "forecast/wrong-root.xml", 1, "area-list", "地域の解析"},
        {{QStringLiteral("--area")}, "forecast/tokyo-today.xml", 1, "area-list", "地域の解析"},
        {{QStringLiteral("--forecast")}, "forecast/area-list.xml", 1, "forecast", "予報の解析"},
        {{QStringLiteral("--area")}, "forecast/area-list.xml", 0, "area-list", ""},
        {{QStringLiteral("--forecast")}, "forecast/tokyo-today.xml", 0, "forecast", ""},
    };
    const QString tool = QStringLiteral(SKYCASTER_PROGRAM_DIR "/roweather-dump");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.options.join(u' ').toStdString() + " " + c.file);
        QProcess p;
        p.start(tool, c.options + QStringList{testsupport::dataPath(QString::fromUtf8(c.file))});
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), c.exitCode);
        const auto out = QJsonDocument::fromJson(p.readAllStandardOutput()).object();
        EXPECT_EQ(out[QStringLiteral("document")].toString(), QString::fromUtf8(c.document));
        const auto box = out[QStringLiteral("messageBox")];
        if (*c.caption == 0)
            EXPECT_TRUE(box.isNull());
        else
            EXPECT_EQ(box.toObject()[QStringLiteral("caption")].toString(), QString::fromUtf8(c.caption));
    }

    for (const QStringList &bad :
         {QStringList{QStringLiteral("--forecast"), QStringLiteral("--area"), QStringLiteral("x")},
          QStringList{QStringLiteral("--bogus"), QStringLiteral("x")},
          QStringList{QStringLiteral("a"), QStringLiteral("b")}, QStringList{}}) {
        QProcess p;
        p.start(tool, bad);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitCode(), 2) << bad.join(u' ').toStdString();
        EXPECT_TRUE(p.readAllStandardError().contains("--area"));
    }
    QProcess help;
    help.start(tool, {QStringLiteral("--help")});
    ASSERT_TRUE(help.waitForFinished(30000));
    EXPECT_EQ(help.exitCode(), 0);
    const QByteArray text = help.readAllStandardOutput();
    EXPECT_TRUE(text.contains("--forecast") && text.contains("--area"));
}
