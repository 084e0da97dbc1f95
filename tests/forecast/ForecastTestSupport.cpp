#include "ForecastTestSupport.h"

#include "TestSupport.h"

QString DocumentDir::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    testsupport::writeFile(path, bytes);
    return path;
}

QString DocumentDir::forecast(const QByteArray &body, const QByteArray &rootAttributes)
{
    return write(QStringLiteral("forecast%1.xml").arg(++m_counter),
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<lwws " + rootAttributes + ">" + body + "</lwws>\n");
}

QString DocumentDir::areaList(const QByteArray &body)
{
    return write(QStringLiteral("areas%1.xml").arg(++m_counter),
                 "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<rss version=\"2.0\" "
                 "xmlns:ldWeather=\"http://127.0.0.1/ns\"><channel><ldWeather:source title=\"t\">" +
                     body + "</ldWeather:source></channel></rss>\n");
}

std::shared_ptr<cWeather> freshWeather()
{
    DocumentDir dir;
    std::shared_ptr<cWeather> weather;
    EXPECT_TRUE(roWeatherParser::GetWeather(dir.forecast(""), weather));
    EXPECT_NE(weather, nullptr);
    return weather;
}

std::shared_ptr<cAreas> freshAreas()
{
    DocumentDir dir;
    std::shared_ptr<cAreas> areas;
    EXPECT_TRUE(roWeatherParser::GetArea(dir.areaList(""), areas));
    EXPECT_NE(areas, nullptr);
    return areas;
}
