// Date text and number rules that the parsers apply to the service's texts.
#include "roGeneralDate.h"
#include "roNumber.h"

#include <gtest/gtest.h>

using namespace ro;

TEST(GeneralDate, MidnightDropsTimeAndZeroDateDropsDate)
{
    EXPECT_EQ(GeneralDateText(QDateTime(QDate(2006, 12, 8), QTime(9, 0), Qt::UTC)),
              QStringLiteral("2006/12/08 9:00:00"));
    EXPECT_EQ(GeneralDateText(QDateTime(QDate(2006, 12, 8), QTime(23, 59, 59), Qt::UTC)),
              QStringLiteral("2006/12/08 23:59:59"));
    EXPECT_EQ(GeneralDateText(QDateTime(QDate(2006, 12, 8), QTime(0, 0), Qt::UTC)), QStringLiteral("2006/12/08"));
    EXPECT_EQ(GeneralDateText(QDateTime(ZeroDate(), QTime(11, 5, 7), Qt::UTC)), QStringLiteral("11:05:07"));
    EXPECT_EQ(GeneralDateText(QDateTime(ZeroDate(), QTime(0, 0), Qt::UTC)), QStringLiteral("0:00:00"));
    EXPECT_EQ(GeneralDateText(QDateTime()), QString());
}

TEST(NormalizeDate, ServiceDatesKeepTheirWrittenTimeWhateverTheZone)
{
    EXPECT_EQ(NormalizeDate(QStringLiteral("Fri, 08 Dec 2006 11:00:00 +0900")), QStringLiteral("2006/12/08 11:00:00"));
    EXPECT_EQ(NormalizeDate(QStringLiteral("Sat, 09 Dec 2006 00:00:00 +0900")), QStringLiteral("2006/12/09"));
    EXPECT_EQ(NormalizeDate(QStringLiteral("Fri, 08 Dec 2006 11:00:00 -0500")), QStringLiteral("2006/12/08 11:00:00"));
    EXPECT_EQ(NormalizeDate(QStringLiteral("fri, 08 dec 2006 07:30:15 +0000")), QStringLiteral("2006/12/08 7:30:15"));
    EXPECT_EQ(NormalizeDate(QStringLiteral("  Mon, 5 January 2026 17:00:00 +0900  ")),
              QStringLiteral("2026/01/05 17:00:00"));
    EXPECT_EQ(NormalizeDate(QStringLiteral("08 Dec 2006")), QStringLiteral("2006/12/08"));
    EXPECT_EQ(NormalizeDate(QStringLiteral("2006/12/08 9:00:00")), QStringLiteral("2006/12/08 9:00:00"));
    // A time alone lies on the zero date.
    EXPECT_EQ(NormalizeDate(QStringLiteral("11:00:00 +0900")), QStringLiteral("11:00:00"));
}

TEST(NormalizeDate, UnreadableTextsGiveDash)
{
    for (const char *bad : {"", "   ", "-", "+0900", "Fri, 31 Feb 2006 11:00:00 +0900", "Fri, 08 Dec 2006 25:00:00",
                            "Fri, 08 Dec 2006 11:60:00", "Fri 08 Dec 2006 11:00:00 +0900", "晴れ", "08 Dec 06",
                            "Fri, 08 Dec 2006 11:00:00 GMT", "2006-12-08T11:00:00"})
        EXPECT_EQ(NormalizeDate(QString::fromUtf8(bad)), QStringLiteral("-")) << bad;
}

TEST(NormalizeDate, CutsAtFirstPlusElseFirstMinus)
{
    // The plus wins even when a minus comes first.
    EXPECT_EQ(NormalizeDate(QStringLiteral("08 Dec 2006 11:00:00 -05+00")), QStringLiteral("-"));
    EXPECT_EQ(NormalizeDate(QStringLiteral("08 Dec 2006 11:00:00 +09-00")), QStringLiteral("2006/12/08 11:00:00"));
}

TEST(Numbers, NumericTextTest)
{
    for (const char *yes : {"12", "-3", "+4", " 12 ", "53.6", "-0.5", ".5", "5.", "\t7\n"})
        EXPECT_TRUE(IsNumeric(QString::fromUtf8(yes))) << yes;
    for (const char *no : {"", " ", "-", "+", ".", "1.2.3", "12a", "1 2", "--1", "１２", "0x10", "1e3"})
        EXPECT_FALSE(IsNumeric(QString::fromUtf8(no))) << no;
}

TEST(Numbers, LongConversionRoundsHalfToEvenAndChecksRange)
{
    EXPECT_EQ(ToLong(QStringLiteral("48")), 48);
    EXPECT_EQ(ToLong(QStringLiteral(" -48 ")), -48);
    EXPECT_EQ(ToLong(QStringLiteral("32.5")), 32);
    EXPECT_EQ(ToLong(QStringLiteral("33.5")), 34);
    EXPECT_EQ(ToLong(QStringLiteral("32.50001")), 33);
    EXPECT_EQ(ToLong(QStringLiteral("-2.5")), -2);
    EXPECT_EQ(ToLong(QStringLiteral("-3.5")), -4);
    EXPECT_EQ(ToLong(QStringLiteral("0.4999")), 0);
    EXPECT_EQ(ToLong(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(ToLong(QStringLiteral("-2147483648")), INT32_MIN);
    EXPECT_FALSE(ToLong(QStringLiteral("2147483648")));
    EXPECT_FALSE(ToLong(QStringLiteral("2147483647.5")));
    EXPECT_FALSE(ToLong(QStringLiteral("99999999999999999999999")));
    EXPECT_FALSE(ToLong(QString()));
    EXPECT_FALSE(ToLong(QStringLiteral("abc")));
}
