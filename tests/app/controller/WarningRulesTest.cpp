// What the program makes of a forecast's warnings: lines, levels, and what it announces when.
#include "WarningRules.h"
#include "IDesktopNotifier.h"
#include "cWarningAnnouncer.h"
#include "cWarnings.h"
#include "cWeather.h"
#include "cWeatherIni.h"
#include "roWeatherParser.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

const char *const kTime = "publictime=\"Thu, 13 Aug 2026 21:20:00 +0900\"";

// A forecast of 東京 whose body holds `warnings` (an element, or nothing).
std::shared_ptr<cWeather> forecastWith(const QString &warnings)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("f.xml"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("<lwws version=\"1\"><location city=\"東京\"/>%1</lwws>").arg(warnings).toUtf8());
    file.close();
    std::shared_ptr<cWeather> weather;
    EXPECT_TRUE(roWeatherParser::GetWeather(path, weather));
    return weather;
}

// <warnings publictime area?> with one <warning> per "code:class:name[:partial]".
QString element(const QStringList &warnings, bool withArea = true)
{
    QString body;
    for (const QString &w : warnings) {
        const QStringList f = w.split(u':');
        body += QStringLiteral("<warning code=\"%1\" status=\"発表\" class=\"%2\"%4>%3</warning>")
                    .arg(f[0], f[1], f[2], f.size() > 3 ? QStringLiteral(" partial=\"true\"") : QString());
    }
    return QStringLiteral("<warnings %1%2>%3</warnings>")
        .arg(QString::fromLatin1(kTime), withArea ? QStringLiteral(" area=\"東京地方\"") : QString(), body);
}

class RecordingNotifier final : public IDesktopNotifier {
public:
    void Notify(const DesktopNotification &n) override { shown.push_back(n); }
    std::vector<DesktopNotification> shown;
};

} // namespace

TEST(WarningRules, ClassLinesNameEachPhenomenonOnceUnderItsMostSevereClass)
{
    const auto weather = forecastWith(
        element({"10:注意報:大雨注意報", "33:特別警報:大雨特別警報:p", "04:警報:洪水警報", "14:注意報:雷注意報"}));
    const auto warnings = weather->Warnings();
    EXPECT_EQ(warningrules::ClassLines(*warnings),
              (QStringList{QStringLiteral("【特別警報】大雨（一部）"), QStringLiteral("【警報】洪水"),
                           QStringLiteral("【注意報】雷")}));
    EXPECT_EQ(warningrules::MostSevere(*warnings), WarningLevel::Emergency);
    // Not current: neither lines nor a mark, whatever the element still lists.
    const auto stale = forecastWith(QStringLiteral("<warnings available=\"false\" stale=\"true\"><warning "
                                                   "class=\"警報\">大雨警報</warning></warnings>"));
    EXPECT_TRUE(warningrules::ClassLines(*stale->Warnings()).isEmpty());
    EXPECT_EQ(warningrules::MostSevere(*stale->Warnings()), WarningLevel::None);
    // A class word we do not know is never taken for less than 警報.
    EXPECT_EQ(warningrules::LevelOfClass(QStringLiteral("警戒")), WarningLevel::Warning);
}

TEST(WarningRules, AnnouncesWhatIsNewOrRaisedSinceTheLastAnnouncement)
{
    struct Case {
        const char *remembered;
        QString warnings;
        const char *summary; // "" = nothing announced
        bool critical;
        const char *rememberedAfter;
    };
    const QString none = element({});
    const QString heavyRain = element({"03:警報:大雨警報"});
    const Case cases[] = {
        {"", none, "", false, "130010|"},
        {"130010|", heavyRain, "東京地方に大雨警報", false, "130010|大雨=2"},
        {"130010|大雨=2", heavyRain, "", false, "130010|大雨=2"}, // continuing
        {"130010|大雨=2", element({"33:特別警報:大雨特別警報"}), "東京地方に大雨特別警報", true, "130010|大雨=4"},
        {"130010|大雨=2", element({"43:危険警報:大雨危険警報"}), "東京地方に大雨危険警報", true, "130010|大雨=3"},
        {"130010|大雨=4", heavyRain, "", false, "130010|大雨=2"}, // lowered: a later raise is news again
        {"130010|大雨=2", element({"03:警報:大雨警報", "04:警報:洪水警報", "10:注意報:大雨注意報"}),
         "東京地方に洪水警報", false, "130010|大雨=2;洪水=2"},
        {"130010|大雨=2", QStringLiteral("<warnings available=\"false\"/>"), "", false, "130010|大雨=2"},
        {"130010|大雨=2", QString(), "", false, "130010|大雨=2"},                   // a document without the element
        {"016010|大雨=2", heavyRain, "東京地方に大雨警報", false, "130010|大雨=2"}, // another city's memory
        {"garbage", heavyRain, "東京地方に大雨警報", false, "130010|大雨=2"},
        {"", element({"03:警報:大雨警報"}, false), "東京に大雨警報", false, "130010|大雨=2"}, // no area name
    };
    for (const Case &c : cases) {
        const auto weather = forecastWith(c.warnings);
        const auto d = warningrules::Decide(QString::fromUtf8(c.remembered), QStringLiteral("130010"), *weather);
        const std::string row = std::string(c.remembered) + " + " + c.warnings.toStdString();
        EXPECT_EQ(d.remembered, QString::fromUtf8(c.rememberedAfter)) << row;
        ASSERT_EQ(d.notification.has_value(), *c.summary != '\0') << row;
        if (!d.notification)
            continue;
        EXPECT_EQ(d.notification->summary, QString::fromUtf8(c.summary)) << row;
        EXPECT_EQ(d.notification->critical, c.critical) << row;
        EXPECT_TRUE(d.notification->body.endsWith(QStringLiteral("\n2026/08/13 21:20:00 発表"))) << row;
    }
}

TEST(WarningAnnouncer, OnlyTodayOfTheConfiguredCityWhileSwitchedOnAndNothingTwiceAcrossRestarts)
{
    QTemporaryDir dir;
    const QString ini = dir.filePath(QStringLiteral("Skycaster.ini"));
    const auto weather = forecastWith(element({"03:警報:大雨警報"}));
    struct Case {
        int day;
        const char *city;
        bool switchedOn;
        size_t shown;
    };
    for (const Case &c : {Case{1, "130010", true, 0}, Case{0, "016010", true, 0}, Case{0, "130010", false, 0},
                          Case{0, "130010", true, 1}}) {
        QFile::remove(ini);
        cWeatherIni settings(ini);
        settings.setCityID(QStringLiteral("130010"));
        settings.setNotifyWarnings(c.switchedOn);
        RecordingNotifier notifier;
        cWarningAnnouncer(settings, notifier).AfterRetrieval(weather.get(), QString::fromUtf8(c.city), c.day);
        EXPECT_EQ(notifier.shown.size(), c.shown) << c.day << c.city << c.switchedOn;
        EXPECT_EQ(cWeatherIni(ini).AnnouncedWarnings().isEmpty(), c.shown == 0) << c.day << c.city;
    }
    // The last row's memory, read by a new start, holds the same warning back.
    cWeatherIni restarted(ini);
    EXPECT_TRUE(restarted.NotifyWarnings());
    RecordingNotifier notifier;
    cWarningAnnouncer(restarted, notifier).AfterRetrieval(weather.get(), QStringLiteral("130010"), 0);
    EXPECT_TRUE(notifier.shown.empty());
}
