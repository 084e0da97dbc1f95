// The object model: shared ownership, lazy children, keyed 1-based collections, variants.
#include "ForecastTestSupport.h"

#include "cCities.h"
#include "cImage.h"
#include "cLocations.h"
#include "cPrefs.h"
#include "cTemperature.h"

#include <QObject>

#include <type_traits>

TEST(Model, ClassesCannotBeCreatedOrCopiedByCallers)
{
    static_assert(!std::is_default_constructible_v<cWeather>);
    static_assert(!std::is_constructible_v<roModelKey>);
    static_assert(!std::is_copy_constructible_v<cWeather>);
    static_assert(!std::is_copy_constructible_v<cCities>);
    SUCCEED();
}

TEST(Model, NewForecastIsEmptyAndChildrenAreCreatedOnceOnFirstRead)
{
    const auto w = freshWeather();
    for (const QString &s :
         {w->Description(), w->Telop(), w->Publictime(), w->ForecastDate(), w->Day(), w->Forecastday(), w->Link(),
          w->Title(), w->LocationCity(), w->LocationPref(), w->LocationArea(), w->Author()})
        EXPECT_TRUE(s.isEmpty()) << s.toStdString();
    const auto image = w->Image();
    EXPECT_EQ(w->Image(), image);
    EXPECT_EQ(w->Temperature(), w->Temperature());
    EXPECT_EQ(w->Locations(), w->Locations());
    EXPECT_TRUE(image->lHeight().isEmpty());
    EXPECT_TRUE(image->Link().isEmpty());
    EXPECT_TRUE(image->URL().isEmpty());
    EXPECT_TRUE(w->Temperature()->MaxCelsius().isEmpty());
    // The child is changed through the reference and seen through the parent.
    image->setURL(QStringLiteral("http://127.0.0.1/x.png"));
    EXPECT_EQ(w->Image()->URL(), QStringLiteral("http://127.0.0.1/x.png"));
}

TEST(Model, ChildOutlivesParentWhileHeld)
{
    std::weak_ptr<cWeather> weakParent;
    std::shared_ptr<cImage> image;
    {
        auto w = freshWeather();
        weakParent = w;
        image = w->Image();
        image->setTitle(QStringLiteral("晴れ"));
    }
    EXPECT_TRUE(weakParent.expired());
    EXPECT_EQ(image->Title(), QStringLiteral("晴れ"));
}

TEST(Model, ImageVariantsHoldValuesOrTheSameObject)
{
    const auto image = freshWeather()->Image();
    image->setlHeight(48);
    EXPECT_EQ(image->lHeight().value(), QVariant(48));
    EXPECT_FALSE(image->lHeight().isObject());
    auto link = std::make_shared<QObject>();
    image->setLinkRef(link);
    EXPECT_TRUE(image->Link().isObject());
    EXPECT_EQ(image->Link().object(), link);
    image->setLink(QStringLiteral("text"));
    EXPECT_FALSE(image->Link().isObject());
    EXPECT_EQ(image->Link().value().toString(), QStringLiteral("text"));
    image->setLink(QVariant());
    EXPECT_TRUE(image->Link().isEmpty());
}

TEST(Collections, CitiesAreKeyedByIdAndRefuseDuplicatesInAnyCase)
{
    const auto cities = freshAreas()->Add(QStringLiteral("関東"))->Prefs()->Add(QStringLiteral("東京都"))->Cities();
    cities->Add(QStringLiteral("東京"), QStringLiteral("130010"), QStringLiteral("s1"));
    cities->Add(QStringLiteral("Abc"), QStringLiteral("id-A"), QStringLiteral("s2"));
    try {
        cities->Add(QStringLiteral("別"), QStringLiteral("ID-a"), QStringLiteral("s3"));
        FAIL() << "duplicate id accepted";
    } catch (const roCollectionError &e) {
        EXPECT_EQ(e.Number(), roCollectionError::DuplicateKey);
    }
    EXPECT_EQ(cities->Count(), 2);
    EXPECT_EQ(cities->Item(QStringLiteral("ID-A"))->Title(), QStringLiteral("Abc"));
    EXPECT_EQ(cities->Item(2)->Source(), QStringLiteral("s2"));
    EXPECT_EQ((*cities)[QStringLiteral("130010")]->Title(), QStringLiteral("東京"));
}

TEST(Collections, UnkeyedAreasMayRepeatButKeyedOnesMayNot)
{
    const auto areas = freshAreas();
    areas->Add(QStringLiteral("関東"));
    areas->Add(QStringLiteral("関東"), QStringLiteral("src"), QString());
    EXPECT_EQ(areas->Count(), 2);
    areas->Add(QStringLiteral("Kanto"), QStringLiteral("a"), QStringLiteral("Kanto"));
    EXPECT_THROW(areas->Add(QStringLiteral("Kanto"), QStringLiteral("b"), QStringLiteral("KANTO")), roCollectionError);
    EXPECT_EQ(areas->Count(), 3);
    EXPECT_EQ(areas->Item(QStringLiteral("kanto"))->Source(), QStringLiteral("a"));
    // Unkeyed members are not reachable by their title.
    EXPECT_THROW(areas->Item(QStringLiteral("関東")), roCollectionError);
}

TEST(Collections, PositionsCountFromOneAndCloseUpAfterRemove)
{
    const auto prefs = freshAreas()->Add(QStringLiteral("a"))->Prefs();
    prefs->Add(QStringLiteral("一"), QStringLiteral("k1"));
    prefs->Add(QStringLiteral("二"), QStringLiteral("k2"));
    prefs->Add(QStringLiteral("三"));
    for (int bad : {0, -1, 4}) {
        try {
            prefs->Item(bad);
            FAIL() << bad;
        } catch (const roCollectionError &e) {
            EXPECT_EQ(e.Number(), roCollectionError::OutOfRange);
        }
    }
    EXPECT_THROW(prefs->Remove(4), roCollectionError);
    EXPECT_THROW(prefs->Remove(QStringLiteral("nope")), roCollectionError);
    const auto first = prefs->Item(1);
    prefs->Remove(1);
    EXPECT_EQ(first->Title(), QStringLiteral("一")); // still alive while held
    EXPECT_EQ(prefs->Item(1)->Title(), QStringLiteral("二"));
    EXPECT_EQ(prefs->Count(), 2);
    EXPECT_THROW(prefs->Item(QStringLiteral("k1")), roCollectionError);
    prefs->Add(QStringLiteral("再"), QStringLiteral("K1")); // the key is free again
    prefs->Remove(QStringLiteral("k2"));
    QStringList order;
    for (const auto &p : *prefs)
        order << p->Title();
    EXPECT_EQ(order, QStringList({QStringLiteral("三"), QStringLiteral("再")}));
    const auto snapshot = prefs->NewEnum();
    prefs->Remove(1);
    ASSERT_EQ(snapshot.size(), 2U);
    EXPECT_EQ(snapshot[0]->Title(), QStringLiteral("三"));
}

TEST(Collections, LocationsAddWritesGeneralDateText)
{
    const auto locations = freshWeather()->Locations();
    const auto midnight =
        locations->Add(QStringLiteral("t"), QStringLiteral("l"), QDateTime(QDate(2006, 12, 9), QTime(0, 0), Qt::UTC));
    const auto morning = locations->Add(QStringLiteral("t2"), QStringLiteral("l2"),
                                        QDateTime(QDate(2006, 12, 8), QTime(9, 0), Qt::UTC), QStringLiteral("k"));
    EXPECT_EQ(midnight->Publictime(), QStringLiteral("2006/12/09"));
    EXPECT_EQ(morning->Publictime(), QStringLiteral("2006/12/08 9:00:00"));
    EXPECT_EQ(locations->Item(QStringLiteral("K")), morning);
    EXPECT_THROW(locations->Add(QString(), QString(), QDateTime(), QStringLiteral("k")), roCollectionError);
    EXPECT_EQ(locations->Count(), 2);
}

TEST(Collections, LargeCollectionsKeepCaseInsensitiveUniqueKeys)
{
    const auto cities = freshAreas()->Add(QStringLiteral("a"))->Prefs()->Add(QStringLiteral("p"))->Cities();
    for (int i = 0; i < 40; ++i)
        cities->Add(QStringLiteral("c%1").arg(i), QStringLiteral("Id%1").arg(i), QString());
    EXPECT_THROW(cities->Add(QStringLiteral("dup"), QStringLiteral("ID7"), QString()), roCollectionError);
    EXPECT_THROW(cities->Add(QStringLiteral("dup"), QStringLiteral("id39"), QString()), roCollectionError);
    EXPECT_EQ(cities->Item(QStringLiteral("iD25"))->Title(), QStringLiteral("c25"));
    cities->Remove(QStringLiteral("ID25"));
    EXPECT_THROW(cities->Item(QStringLiteral("id25")), roCollectionError);
    EXPECT_EQ(cities->Item(26)->Title(), QStringLiteral("c26"));
    cities->Add(QStringLiteral("again"), QStringLiteral("id25"), QString());
    EXPECT_EQ(cities->Item(cities->Count())->Title(), QStringLiteral("again"));
    EXPECT_EQ(cities->Count(), 40);
}
