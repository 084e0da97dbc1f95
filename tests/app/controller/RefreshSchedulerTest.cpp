#include "RefreshScheduler.h"

#include <gtest/gtest.h>

using namespace RefreshScheduler;

namespace {

QDateTime at(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// Drives the timer second by second like the program does: a retrieval stores its tick's time.
class Timeline {
public:
    Timeline(int span, const char *lastAccess)
        : m_span(span)
        , m_last(FormatAccessDate(at(lastAccess)))
    {
    }

    /// Ticks every second from `from` to `to` inclusive; returns the times that retrieved.
    QStringList Run(const char *from, const char *to, int popupState = 0)
    {
        QStringList retrieved;
        for (QDateTime now = at(from); now <= at(to); now = now.addSecs(1)) {
            if (DecideTick(now, m_last, m_span, popupState) == TickDecision::Retrieve) {
                m_last = FormatAccessDate(now);
                retrieved << now.toString(QStringLiteral("HH:mm:ss"));
            }
        }
        return retrieved;
    }

private:
    int m_span;
    QString m_last;
};

} // namespace

TEST(RefreshScheduler, FixedMinuteRetrievesEvenWhenTheIntervalHasNotPassed)
{
    Timeline sixty(60, "2026-12-08 09:00:40");
    EXPECT_EQ(sixty.Run("2026-12-08 09:00:41", "2026-12-08 10:20:00"),
              (QStringList{QStringLiteral("09:10:00"), QStringLiteral("10:10:00")}));

    Timeline ninety(90, "2026-12-08 09:11:30");
    EXPECT_EQ(ninety.Run("2026-12-08 09:11:31", "2026-12-08 10:10:00"), QStringList{QStringLiteral("10:10:00")});
}

TEST(RefreshScheduler, IntervalCountsMinuteBoundariesNotElapsedSeconds)
{
    // 09:15:59 -> 09:46:00 crosses 31 boundaries although only 30 min 1 s passed.
    Timeline thirty(30, "2026-12-08 09:15:59");
    EXPECT_EQ(thirty.Run("2026-12-08 09:16:00", "2026-12-08 09:50:00"), QStringList{QStringLiteral("09:46:00")});
    EXPECT_EQ(MinuteBoundaries(at("2026-12-08 09:00:59"), at("2026-12-08 09:01:00")), 1);
    EXPECT_EQ(MinuteBoundaries(at("2026-12-08 09:01:00"), at("2026-12-08 09:01:59")), 0);
}

TEST(RefreshScheduler, OneRetrievalPerMinuteAtMostAndEveryMinuteWithSpanZero)
{
    Timeline sixty(60, "2026-12-08 09:00:00");
    EXPECT_EQ(sixty.Run("2026-12-08 09:10:05", "2026-12-08 09:10:59"), QStringList{QStringLiteral("09:10:05")});

    Timeline zero(0, "2026-12-08 09:00:30");
    EXPECT_EQ(zero.Run("2026-12-08 09:00:31", "2026-12-08 09:03:00"),
              (QStringList{QStringLiteral("09:01:00"), QStringLiteral("09:02:00"), QStringLiteral("09:03:00")}));
}

TEST(RefreshScheduler, OpenPopupHoldsTicksBackUntilItCloses)
{
    Timeline sixty(60, "2026-12-08 08:00:00");
    for (int state : {1, 2, 3})
        EXPECT_TRUE(sixty.Run("2026-12-08 09:10:00", "2026-12-08 09:10:30", state).isEmpty()) << state;
    EXPECT_EQ(sixty.Run("2026-12-08 09:10:31", "2026-12-08 09:10:31"), QStringList{QStringLiteral("09:10:31")});
}

TEST(RefreshScheduler, ClockSetBackRetrievesAndBrokenLastAccessRetrieves)
{
    const QString last = FormatAccessDate(at("2026-12-08 12:30:00"));
    EXPECT_EQ(DecideTick(at("2026-12-08 10:30:00"), last, 60, 0), TickDecision::Retrieve);
    EXPECT_EQ(DecideTick(at("2026-12-08 12:00:00"), last, 60, 0), TickDecision::NotDue);
    for (const char *broken : {"", "garbage", "2026/13/45 99:99:99"})
        EXPECT_EQ(DecideTick(at("2026-12-08 10:30:00"), QString::fromLatin1(broken), 60, 0), TickDecision::Retrieve);
}

TEST(RefreshScheduler, StartBackdatesBySpanPlusOneInStoredFormat)
{
    EXPECT_EQ(BackdatedAccessDate(at("2026-12-08 12:00:30"), 60), QStringLiteral("2026/12/08 10:59:30"));
    EXPECT_EQ(BackdatedAccessDate(at("2026-01-01 00:00:05"), 60), QStringLiteral("2025/12/31 22:59:05"));
    // The first tick after start always retrieves, whatever minute it is.
    const QDateTime start = at("2026-12-08 12:00:30");
    EXPECT_EQ(DecideTick(start.addSecs(1), BackdatedAccessDate(start, 60), 60, 0), TickDecision::Retrieve);
    EXPECT_EQ(ParseAccessDate(QStringLiteral("2026/12/08 09:05:07"))->toString(Qt::ISODate),
              QStringLiteral("2026-12-08T09:05:07"));
}
