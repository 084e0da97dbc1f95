// The area list reader: the three-level tree, all-or-nothing, and its failures.
#include "ForecastTestSupport.h"

#include "TestSupport.h"
#include "cCities.h"
#include "cPrefs.h"
#include "roMessageBox.h"

using Outcome = roWeatherParser::Outcome;

namespace {

struct ReadResult {
    bool result = false;
    std::shared_ptr<cAreas> areas;
    roWeatherParser::Report report;
    std::vector<ro::MessageBoxRequest> boxes;
};

ReadResult read(const QString &path, std::shared_ptr<cAreas> sentinel = nullptr,
                roWeatherParser::Messages messages = roWeatherParser::Messages::Shown)
{
    ro::ScopedMessageBoxRecorder recorder;
    ReadResult run;
    run.areas = std::move(sentinel);
    run.result = roWeatherParser::GetArea(path, run.areas, &run.report, messages);
    run.boxes = recorder.Shown();
    return run;
}

QStringList titles(const cAreas &areas)
{
    QStringList out;
    for (const auto &area : areas) {
        out << area->Title();
        for (const auto &pref : *area->Prefs()) {
            out << QStringLiteral("  ") + pref->Title();
            for (const auto &city : *pref->Cities())
                out << QStringLiteral("    ") + city->ID() + u' ' + city->Title();
        }
    }
    return out;
}

} // namespace

TEST(GetArea, ThreeLevelsInDocumentOrderWithKeys)
{
    const ReadResult run = read(testsupport::dataPath(QStringLiteral("forecast/area-list.xml")));
    ASSERT_TRUE(run.result);
    ASSERT_EQ(run.report.outcome, Outcome::Complete);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_EQ(titles(*run.areas),
              QStringList({QStringLiteral("北海道"), QStringLiteral("  道北"), QStringLiteral("    011000 稚内"),
                           QStringLiteral("関東"), QStringLiteral("  東京都"), QStringLiteral("    130010 東京"),
                           QStringLiteral("    130020 大島"), QStringLiteral("  神奈川県"),
                           QStringLiteral("    140010 横浜")}));
    const auto kanto = run.areas->Item(QStringLiteral("関東"));
    EXPECT_EQ(kanto->Source(), QStringLiteral("http://127.0.0.1:8931/forecast/rss/area/kanto.xml"));
    EXPECT_EQ(kanto->Prefs()->Count(), 2);
    const auto oshima = kanto->Prefs()->Item(QStringLiteral("東京都"))->Cities()->Item(QStringLiteral("130020"));
    EXPECT_EQ(oshima->Title(), QStringLiteral("大島"));
    EXPECT_EQ(oshima->Source(), QStringLiteral("http://127.0.0.1:8931/forecast/rss/city/130020.xml"));
}

TEST(GetArea, EmptySourceAndEmptyLevelsAreValid)
{
    DocumentDir dir;
    const ReadResult empty = read(dir.areaList(""), freshAreas());
    ASSERT_TRUE(empty.result);
    ASSERT_NE(empty.areas, nullptr);
    EXPECT_EQ(empty.areas->Count(), 0);
    const ReadResult bare =
        read(dir.areaList("<a title=\" 空 \" source=\"\"/><a title=\"b\" source=\"s\"><p title=\"p\">"
                          "<town id=\"x\"/></p></a>"));
    ASSERT_EQ(bare.report.outcome, Outcome::Complete);
    EXPECT_EQ(bare.areas->Item(1)->Title(), QStringLiteral(" 空 ")); // taken as it stands
    EXPECT_EQ(bare.areas->Item(1)->Prefs()->Count(), 0);
    EXPECT_EQ(bare.areas->Item(2)->Prefs()->Item(1)->Cities()->Count(), 0);
}

TEST(GetArea, MissingRequiredAttributeGivesAnEmptyListNeverAPartialOne)
{
    DocumentDir dir;
    const QByteArray good = "<area title=\"A\" source=\"s\"><pref title=\"P\"><city title=\"c\" id=\"1\" source=\"u\"/>"
                            "</pref></area>";
    for (const QByteArray &bad :
         {QByteArray("<area source=\"s\"/>"), QByteArray("<area title=\"B\"/>"),
          QByteArray("<area title=\"B\" source=\"s\"><pref/></area>"),
          QByteArray("<area title=\"B\" source=\"s\"><pref title=\"Q\"><city title=\"c\" source=\"u\"/></pref></area>"),
          QByteArray("<area title=\"B\" source=\"s\"><pref title=\"Q\"><city id=\"2\" source=\"u\"/></pref></area>"),
          QByteArray("<area title=\"B\" source=\"s\"><pref title=\"Q\"><city title=\"c\" id=\"2\"/></pref></area>")}) {
        const auto sentinel = freshAreas();
        const ReadResult run = read(dir.areaList(good + bad + QByteArray(good).replace("\"A\"", "\"Z\"")), sentinel);
        EXPECT_TRUE(run.result) << bad.constData();
        EXPECT_EQ(run.report.outcome, Outcome::MissingAttribute) << bad.constData();
        ASSERT_NE(run.areas, nullptr);
        EXPECT_NE(run.areas, sentinel);
        EXPECT_EQ(run.areas->Count(), 0) << bad.constData();
    }
}

TEST(GetArea, DuplicatesAndNonElementChildrenAbandonTheBuild)
{
    DocumentDir dir;
    for (const QByteArray &bad : {
             QByteArray("<a title=\"関東\" source=\"1\"/><a title=\"関東\" source=\"2\"/>"),
             QByteArray("<a title=\"Kanto\" source=\"1\"/><a title=\"KANTO\" source=\"2\"/>"),
             QByteArray("<a title=\"A\" source=\"1\"><p title=\"P\"/><p title=\"P\"/></a>"),
             QByteArray("<a title=\"A\" source=\"1\"><p title=\"P\"><city title=\"x\" id=\"1\" source=\"s\"/>"
                        "<city title=\"y\" id=\"1\" source=\"t\"/></p></a>"),
             QByteArray("<!-- comment --><a title=\"A\" source=\"1\"/>"),
             QByteArray("<a title=\"A\" source=\"1\"><?pi x?></a>"),
             QByteArray("<a title=\"A\" source=\"1\">text</a>"),
             QByteArray("<a title=\"A\" source=\"1\"/><![CDATA[x]]>"),
         }) {
        const auto sentinel = freshAreas();
        const ReadResult run = read(dir.areaList(bad), sentinel);
        EXPECT_TRUE(run.result) << bad.constData();
        EXPECT_EQ(run.report.outcome, Outcome::Abandoned) << bad.constData();
        EXPECT_EQ(run.areas, sentinel) << bad.constData();
        EXPECT_TRUE(run.boxes.empty());
    }
    // The same city id in two prefectures is fine, and a comment below a prefecture is skipped.
    const ReadResult ok =
        read(dir.areaList("<a title=\"A\" source=\"1\"><p title=\"P\"><!-- c --><city title=\"x\" id=\"1\" "
                          "source=\"s\"/></p><p title=\"Q\"><city title=\"x\" id=\"1\" source=\"s\"/></p></a>"));
    EXPECT_EQ(ok.report.outcome, Outcome::Complete) << ok.report.detail.toStdString();
}

TEST(GetArea, FailuresShowTheAreaCaption)
{
    DocumentDir dir;
    const auto sentinel = freshAreas();
    struct Case {
        QString path;
        Outcome outcome;
        const char *suffix;
    } cases[] = {
        {dir.missing(), Outcome::LoadFailed, "' をロードできません。"},
        {testsupport::dataPath(QStringLiteral("forecast/truncated.xml")), Outcome::LoadFailed,
         "' をロードできません。"},
        {testsupport::dataPath(QStringLiteral("forecast/tokyo-today.xml")), Outcome::WrongFormat,
         "' は形式が違います。"},
        {dir.write(QStringLiteral("other-prefix.xml"), "<rss xmlns:lw=\"u\"><lw:source/></rss>"), Outcome::WrongFormat,
         "' は形式が違います。"},
        {dir.write(QStringLiteral("no-prefix.xml"), "<rss><source/></rss>"), Outcome::WrongFormat,
         "' は形式が違います。"},
    };
    for (const Case &c : cases) {
        const ReadResult run = read(c.path, sentinel);
        EXPECT_FALSE(run.result);
        EXPECT_EQ(run.report.outcome, c.outcome) << c.path.toStdString();
        EXPECT_EQ(run.areas, sentinel);
        ASSERT_EQ(run.boxes.size(), 1U);
        EXPECT_EQ(run.boxes[0].prompt, QStringLiteral("ファイル '") + c.path + QString::fromUtf8(c.suffix));
        EXPECT_EQ(run.boxes[0].title, QStringLiteral("地域の解析"));
        EXPECT_EQ(run.boxes[0].style, ro::vbCritical);
        const ReadResult quiet = read(c.path, sentinel, roWeatherParser::Messages::Quiet);
        EXPECT_FALSE(quiet.result);
        EXPECT_EQ(quiet.report.outcome, c.outcome);
        EXPECT_TRUE(quiet.boxes.empty());
    }
}
