// The service's own rules for warnings, the chance of rain and the data files, on small made-up data
// (tests/data/service): runs from any clone.
#include "ServiceTestSupport.h"

#include "ForecastService.h"
#include "OfflineSource.h"
#include "TestSupport.h"
#include "WarningCodes.h"
#include "Warnings.h"
#include "cWeather.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <thread>

#include <sys/stat.h>

using namespace forecastd;
using servicetest::jst;

namespace {

const QString kData = QStringLiteral(SKYCASTER_TEST_DATA_DIR "/service");

/// An r8 warning file: one report, areas given as {"130010", "33 継続,03 発表"} (7-digit codes are class20s).
QByteArray r8(const char *time, std::initializer_list<std::pair<const char *, const char *>> areas)
{
    QStringList c10, c20;
    for (const auto &[code, kinds] : areas) {
        QStringList list;
        for (const QString &kind : QString::fromUtf8(kinds).split(u',', Qt::SkipEmptyParts))
            list.append(
                QStringLiteral(R"({"code":"%1","status":"%2"})").arg(kind.section(u' ', 0, 0), kind.section(u' ', 1)));
        (qstrlen(code) == 7 ? c20 : c10)
            .append(QStringLiteral(R"({"areaCode":"%1","kinds":[%2]})").arg(QLatin1String(code), list.join(u',')));
    }
    return QStringLiteral(R"([{"reportDatetime":"%1","publishingOffice":"気象庁","warning":{"class10Items":[%2],)"
                          R"("class20Items":[%3]}}])")
        .arg(QLatin1String(time), c10.join(u','), c20.join(u','))
        .toUtf8();
}

QByteArray readData(const QString &relative)
{
    QFile f(kData + u'/' + relative);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << relative.toStdString();
    return f.readAll();
}

/// The made-up data in a folder of its own, served offline.
class Served {
public:
    Served()
    {
        for (const char *file : {"area.json", "forecast/130000.json", "overview_forecast/130000.json"})
            put(file, readData(QLatin1String(file)));
    }
    void put(const char *relative, const QByteArray &bytes)
    {
        QFile::remove(m_dir.filePath(QLatin1String(relative)));
        testsupport::writeFile(m_dir.filePath(QLatin1String(relative)), bytes);
    }
    QString path(const char *relative) const { return m_dir.filePath(QLatin1String(relative)); }
    /// Starts the service over the folder; false (failure added) when it cannot.
    bool start()
    {
        QString error;
        m_source = OfflineSource::Open(m_dir.path(), {}, error);
        if (!m_source) {
            m_error = error;
            return false;
        }
        m_service =
            std::make_unique<ForecastService>(m_source, ForecastService::Options{QStringLiteral("127.0.0.1"), 0, {}});
        return m_service->Start(error);
    }
    QString error() const { return m_error; }
    QStringList problems() const { return m_source->Warnings(); }
    QByteArray document(const char *city = "130010", const char *day = "today") const
    {
        httplib::Client client("127.0.0.1", m_service->Port());
        const auto r = client.Get(std::string("/forecast/webservice/rest/v1?city=") + city + "&day=" + day);
        EXPECT_TRUE(r && r->status == 200) << (r ? r->body : "no answer");
        return r ? QByteArray::fromStdString(r->body) : QByteArray();
    }
    /// The first lines of the description, as the program reads it.
    QStringList lines(const char *city = "130010", int count = 2) const
    {
        const auto parsed = servicetest::parseWeather(document(city));
        return parsed.weather ? parsed.weather->Description().split(u'\n').mid(0, count) : QStringList();
    }

private:
    QTemporaryDir m_dir;
    std::shared_ptr<OfflineSource> m_source;
    std::unique_ptr<ForecastService> m_service;
    QString m_error;
};

} // namespace

// The most severe kind of a phenomenon held in part of the area only is marked （一部）, line and element.
TEST(WarningRules, KindsInPartOfTheAreaAreMarked)
{
    const struct {
        const char *what;
        QByteArray file;
        const char *city;
        QStringList lines;
        QStringList elements;
    } cases[] = {
        {"everywhere",
         r8("2026-01-05T10:30:00+09:00",
            {{"130010", "33 継続"}, {"1310100", "33 継続"}, {"1310200", "33 継続"}, {"1320100", "33 発表"}}),
         "130010",
         {"【特別警報】大雨 1/5 10:30発表", "降水確率 12-18時 10% 18-24時 20%"},
         {"33 発表 特別警報 大雨特別警報"}},
        {"in part",
         r8("2026-01-05T10:30:00+09:00",
            {{"130010", "33 継続"}, {"1310100", "33 継続"}, {"1310200", "03 継続"}, {"1320100", "03 継続,14 発表"}}),
         "130010",
         {"【特別警報】大雨（一部） 1/5 10:30発表", "【注意報】雷（一部）"},
         {"33 継続 特別警報 大雨特別警報 partial", "03 継続 警報 大雨警報 partial", "14 発表 注意報 雷注意報 partial"}},
        {"municipalities not listed",
         r8("2026-01-05T10:30:00+09:00", {{"130010", "14 発表"}}),
         "130010",
         {"【注意報】雷 1/5 10:30発表", "降水確率 12-18時 10% 18-24時 20%"},
         {"14 発表 注意報 雷注意報"}},
        {"an area without municipalities",
         r8("2026-01-05T10:30:00+09:00", {{"130020", "15 発表,16 解除"}}),
         "130020",
         {"【注意報】強風 1/5 10:30発表", "降水確率 12-18時 30% 18-24時 40%"},
         {"15 発表 注意報 強風注意報"}},
        // Code 27 has its name; kinds we cannot name are never stated below 警報.
        {"codes",
         r8("2026-01-05T10:30:00+09:00", {{"130010", "27 発表,28 発表,34 発表,44 発表,99 発表"}}),
         "130010",
         {"【特別警報】コード34 1/5 10:30発表", "【危険警報】コード44"},
         {"34 発表 特別警報 コード34特別警報", "44 発表 危険警報 コード44危険警報", "28 発表 警報 コード28警報",
          "99 発表 警報 コード99警報", "27 発表 注意報 その他の注意報"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Served served;
        served.put("warning-r8/130000.json", c.file);
        ASSERT_TRUE(served.start()) << served.error().toStdString();
        EXPECT_EQ(served.lines(c.city), c.lines);
        const auto extras = servicetest::documentExtras(served.document(c.city));
        EXPECT_EQ(extras.warnings, c.elements);
        EXPECT_EQ(extras.warningsTime, jst("2026-01-05T10:30:00+09:00"));
    }
    EXPECT_EQ(WarningCodes::Lookup(QStringLiteral("27")).phenomenon, QStringLiteral("その他"));
}

// The element as the program side reads it: attributes in this order, partial only when partial.
TEST(WarningRules, TheWarningsElementKeepsItsShape)
{
    Served served;
    served.put("warning-r8/130000.json",
               r8("2026-01-05T10:30:00+09:00", {{"130010", "03 発表"}, {"1310100", "03 発表"}, {"1310200", ""}}));
    ASSERT_TRUE(served.start());
    EXPECT_TRUE(served.document().contains(
        "<warnings publictime=\"Mon, 05 Jan 2026 10:30:00 +0900\" area=\"東京地方\">\n"
        "  <warning code=\"03\" status=\"発表\" class=\"警報\" partial=\"true\">大雨警報</warning>\n </warnings>"));
    Served old;
    old.put("warning-r8/130000.json", r8("2025-11-01T09:00:00+09:00", {{"130010", "03 発表"}}));
    ASSERT_TRUE(old.start());
    EXPECT_TRUE(old.document().contains(
        "<warnings available=\"false\" stale=\"true\" publictime=\"Sat, 01 Nov 2025 09:00:00 +0900\"/>"));
    EXPECT_EQ(old.lines(),
              (QStringList{QStringLiteral("警報・注意報の最新の情報を取得できませんでした（最終発表 11/1 09:00）"),
                           QStringLiteral("降水確率 12-18時 10% 18-24時 20%")}));
}

// Both sides of each limit: unconfirmed for an hour passes, a second more does not; a report a month
// behind the forecast passes, a second more does not; offline data (no confirmation) always passes.
TEST(WarningRules, FreshnessLimits)
{
    const QDateTime now = jst("2026-01-05T12:00:00+09:00");
    const struct {
        const char *what;
        QDateTime confirmed;
        QDateTime report;
        bool current;
    } cases[] = {
        {"just fetched", now, now.addSecs(-3600), true},
        {"offline", QDateTime(), now.addDays(-7), true},
        {"unconfirmed for the limit", now.addSecs(-WarningFreshness::kMaxUnconfirmedSecs), now, true},
        {"unconfirmed past the limit", now.addSecs(-WarningFreshness::kMaxUnconfirmedSecs - 1), now, false},
        {"a quiet week", now, now.addDays(-7), true},
        {"behind by the limit", now, now.addSecs(-WarningFreshness::kMaxBehindForecastSecs), true},
        {"behind past the limit", now, now.addSecs(-WarningFreshness::kMaxBehindForecastSecs - 1), false},
        {"months behind", QDateTime(), now.addMonths(-3), false},
        {"newer than the forecast", now, now.addDays(2), true},
    };
    for (const auto &c : cases) {
        const bool current =
            WarningFreshness::Confirmed(c.confirmed, now) && WarningFreshness::AbreastOfForecast(c.report, now);
        EXPECT_EQ(current, c.current) << c.what;
    }
}

// A part that cannot be read leaves out only itself, with its note; the forecast is served. Only
// regular files are read, and no more of them than the bound.
TEST(WarningRules, OptionalPartsDegradeAlone)
{
    const QByteArray forecast = readData(QStringLiteral("forecast/130000.json"));
    const QByteArray badPops = QByteArray(forecast).replace(R"("pops": ["10", "20", "0",)", R"("pops": ["10",)");
    ASSERT_NE(badPops, forecast);
    const QByteArray good = r8("2026-01-05T10:30:00+09:00", {{"130010", "14 発表"}});
    const QString warned = QStringLiteral("【注意報】雷 1/5 10:30発表");
    const QString rain = QStringLiteral("降水確率 12-18時 10% 18-24時 20%");
    const QString note = QStringLiteral("警報・注意報を取得できませんでした");
    enum Kind {
        Bytes,
        DeviceLink,
        Fifo,
        Folder,
        Oversized
    };
    const struct {
        const char *what;
        const char *file;
        Kind kind;
        QByteArray bytes;
        QStringList lines;
        const char *problem; ///< in the folder's problems
        bool overviewNote = false;
    } cases[] = {
        {"chance of rain unreadable",
         "forecast/130000.json",
         Bytes,
         badPops,
         {warned, QStringLiteral("降水確率を取得できませんでした")},
         ""},
        {"overview unreadable",
         "overview_forecast/130000.json",
         Bytes,
         "{\"reportDatetime\":",
         {warned, rain},
         "130000.json: JSON",
         true},
        {"warnings unreadable", "warning-r8/130000.json", Bytes, "[{]", {note, rain}, "130000.json: JSON"},
        {"warnings a link to a device", "warning-r8/130000.json", DeviceLink, {}, {note, rain}, "not a regular file"},
        {"warnings a pipe", "warning-r8/130000.json", Fifo, {}, {note, rain}, "not a regular file"},
        {"warnings a folder", "warning-r8/130000.json", Folder, {}, {note, rain}, ""},
        {"warnings too large", "warning-r8/130000.json", Oversized, {}, {note, rain}, "larger than"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Served served;
        if (QLatin1String(c.file) != QLatin1String("warning-r8/130000.json"))
            served.put("warning-r8/130000.json", good);
        QDir().mkpath(QFileInfo(served.path(c.file)).path());
        QFile::remove(served.path(c.file));
        switch (c.kind) {
        case Bytes: served.put(c.file, c.bytes); break;
        case DeviceLink: ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), served.path(c.file))); break;
        case Fifo: ASSERT_EQ(mkfifo(QFile::encodeName(served.path(c.file)).constData(), 0600), 0); break;
        case Folder: ASSERT_TRUE(QDir().mkpath(served.path(c.file))); break;
        case Oversized: {
            QFile f(served.path(c.file));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly) && f.resize(OfflineSource::kMaxFileBytes + 1));
        } break;
        }
        ASSERT_TRUE(served.start()) << served.error().toStdString();
        EXPECT_EQ(served.lines(), c.lines);
        EXPECT_TRUE(served.problems().join(u'|').contains(QLatin1String(c.problem)))
            << served.problems().join(u'|').toStdString();
        const auto parsed = servicetest::parseWeather(served.document("130010", "tomorrow"));
        ASSERT_TRUE(parsed.weather);
        EXPECT_EQ(parsed.weather->Telop(), QStringLiteral("晴時々曇"));
        EXPECT_EQ(parsed.weather->Description().contains(QStringLiteral("天気概況を取得できませんでした")),
                  c.overviewNote);
    }
    Served noAreas;
    QFile::remove(noAreas.path("area.json"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), noAreas.path("area.json")));
    EXPECT_FALSE(noAreas.start());
    EXPECT_TRUE(noAreas.error().contains(QStringLiteral("not a regular file"))) << noAreas.error().toStdString();
}

// Offline, a warning file rewritten in place is what the next documents show.
TEST(WarningRules, OfflineDataIsReadAgainWhenItChanges)
{
    Served served;
    ASSERT_TRUE(served.start());
    const struct {
        QByteArray file;
        const char *firstLine;
    } steps[] = {
        {r8("2026-01-05T10:30:00+09:00", {{"130010", ""}}), "降水確率 12-18時 10% 18-24時 20%"},
        {r8("2026-01-05T10:40:00+09:00", {{"130010", "03 発表"}}), "【警報】大雨 1/5 10:40発表"},
        {r8("2026-01-05T10:50:00+09:00", {{"130010", "03 継続"}}), "【警報】大雨 1/5 10:50発表"},
        {r8("2026-01-05T10:55:00+09:00", {{"130010", "33 発表"}}), "【特別警報】大雨 1/5 10:55発表"},
    };
    for (const auto &step : steps) {
        served.put("warning-r8/130000.json", step.file);
        const QString expected = QString::fromUtf8(step.firstLine);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (served.lines("130010", 1).value(0) != expected && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(OfflineSource::kRescanInterval);
        EXPECT_EQ(served.lines("130010", 1).value(0), expected);
    }
}
