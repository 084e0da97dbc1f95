#include "StyledToolTip.h"
#include "cUniqTTT.h"

#include <QApplication>
#include <QHelpEvent>
#include <QImage>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

using platform::StyledToolTip;

int countPixels(const QImage &img, bool (*pred)(QColor))
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += pred(img.pixelColor(x, y)) ? 1 : 0;
    return n;
}

bool isRed(QColor c)
{
    return c.red() > 200 && c.green() < 90 && c.blue() < 90;
}
bool isDark(QColor c)
{
    return c.red() < 90 && c.green() < 90 && c.blue() < 90;
}

QImage render(StyledToolTip *tip)
{
    return tip->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

StyledToolTip *only(const cUniqTTT &holder)
{
    return holder.ToolTips().value(0);
}

TEST(cUniqTTT, ErrorTipHasRedTextOthersBlackOnLightBlue)
{
    QWidget target;
    cUniqTTT errorTip, infoTip;
    errorTip.AddToolTip(&target, QString(), QStringLiteral("天気情報取得に失敗しました"), false, 3);
    infoTip.AddToolTip(&target, QString(), QStringLiteral("天気情報取得に失敗しました"), false, 1);

    const QImage red = render(only(errorTip));
    const QImage black = render(only(infoTip));
    const QColor lightBlue(219, 233, 251);
    EXPECT_EQ(red.pixelColor(red.width() - 3, red.height() - 3), lightBlue);
    EXPECT_EQ(black.pixelColor(black.width() - 3, black.height() - 3), lightBlue);
    EXPECT_GT(countPixels(red, isRed), 10);
    EXPECT_EQ(countPixels(red, isDark), 0);
    EXPECT_GT(countPixels(black, isDark), 10);
    EXPECT_EQ(countPixels(black, isRed), 0);
}

TEST(cUniqTTT, TitleAndItsIconOnlyWhenTitleIsNotBlank)
{
    QWidget target;
    cUniqTTT holder;
    holder.AddToolTip(&target, QString(), QStringLiteral("待機中です..."), false, 1);
    holder.AddToolTip(&target, QStringLiteral("  \t "), QStringLiteral("待機中です..."), false, 1);
    holder.AddToolTip(&target, QStringLiteral("Sky Caster"), QStringLiteral("待機中です..."), false, 1);
    const auto tips = holder.ToolTips();
    ASSERT_EQ(tips.size(), 3);
    EXPECT_FALSE(tips[0]->HasTitle());
    EXPECT_FALSE(tips[1]->HasTitle());
    EXPECT_TRUE(tips[2]->HasTitle());
    // A blank title takes no room and draws no icon.
    EXPECT_EQ(tips[1]->size(), tips[0]->size());
    EXPECT_EQ(render(tips[1]), render(tips[0]));
    EXPECT_GT(tips[2]->height(), tips[0]->height() + 10);
    // The information icon is blue.
    EXPECT_GT(countPixels(render(tips[2]), [](QColor c) { return c.blue() > 150 && c.red() < 80; }), 10);
}

TEST(cUniqTTT, RectangleHasBorderBalloonIsShapedWithoutBorder)
{
    QWidget target;
    cUniqTTT holder;
    holder.AddToolTip(&target, QStringLiteral("Sky Caster"), QStringLiteral("晴れ"), false, 0);
    holder.AddToolTip(&target, QStringLiteral("Sky Caster"), QStringLiteral("晴れ"), true, 0);
    StyledToolTip *rect = holder.ToolTips()[0];
    StyledToolTip *balloon = holder.ToolTips()[1];
    EXPECT_FALSE(rect->IsBalloon());
    EXPECT_TRUE(rect->mask().isEmpty());
    const QImage r = render(rect);
    EXPECT_EQ(r.pixelColor(0, r.height() / 2), QColor(118, 118, 118));
    EXPECT_EQ(r.pixelColor(r.width() - 1, 0), QColor(118, 118, 118));

    EXPECT_TRUE(balloon->IsBalloon());
    const QRegion shape = balloon->mask();
    ASSERT_FALSE(shape.isEmpty());
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));
    EXPECT_FALSE(shape.contains(QPoint(balloon->width() - 1, balloon->height() - 1)));
    EXPECT_TRUE(shape.contains(QPoint(balloon->width() / 2, balloon->height() / 2)));
    const QImage b = render(balloon);
    EXPECT_EQ(b.pixelColor(2, b.height() / 2), QColor(219, 233, 251)); // no border on the edge
}

TEST(cUniqTTT, LongTextWrapsWithinTwoHundredFiftyPixels)
{
    QWidget target;
    cUniqTTT holder;
    const QString longText = QStringLiteral("東京地方は、高気圧に覆われて晴れています。").repeated(6);
    holder.AddToolTip(&target, QStringLiteral("とても長いタイトル").repeated(6), longText, false, 2);
    holder.AddToolTip(&target, QString(), QStringLiteral("x").repeated(300), false, 0);
    for (StyledToolTip *tip : holder.ToolTips()) {
        EXPECT_LE(tip->width(), StyledToolTip::kMaxWidth);
        EXPECT_GT(tip->height(), 3 * tip->fontMetrics().height());
    }
}

TEST(cUniqTTT, TipAppearsOnHoverAndLeavesWithThePointer)
{
    QWidget target;
    target.resize(50, 50);
    cUniqTTT holder;
    holder.AddToolTip(&target, QStringLiteral("Sky Caster"), QStringLiteral("待機中です..."), false, 1);
    StyledToolTip *tip = only(holder);
    QHelpEvent hover(QEvent::ToolTip, QPoint(10, 10), QPoint(300, 200));
    QApplication::sendEvent(&target, &hover);
    EXPECT_TRUE(tip->isVisible());
    EXPECT_TRUE(hover.isAccepted());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&target, &leave);
    EXPECT_FALSE(tip->isVisible());
}

TEST(cUniqTTT, SeveralTipsPerWindowUntilRemoveAllAndNoneOutliveTheHolder)
{
    auto target = std::make_unique<QWidget>();
    QPointer<StyledToolTip> a, b, c;
    {
        cUniqTTT holder;
        holder.AddToolTip(target.get(), QStringLiteral("1"), QStringLiteral("one"), false, 1);
        holder.AddToolTip(target.get(), QStringLiteral("2"), QStringLiteral("two"), true, 3);
        EXPECT_EQ(holder.Count(), 2);
        a = holder.ToolTips()[0];
        b = holder.ToolTips()[1];
        EXPECT_NE(a.data(), b.data());
        holder.RemoveAll();
        EXPECT_EQ(holder.Count(), 0);
        EXPECT_TRUE(a.isNull());
        EXPECT_TRUE(b.isNull());

        holder.AddToolTip(target.get(), QStringLiteral("3"), QStringLiteral("three"), false, 0);
        c = holder.ToolTips()[0];
        ASSERT_FALSE(c.isNull());
    }
    EXPECT_TRUE(c.isNull());

    // The target may go first: the holder still ends cleanly and the orphaned tip no longer shows.
    cUniqTTT holder;
    holder.AddToolTip(target.get(), QStringLiteral("4"), QStringLiteral("four"), false, 0);
    StyledToolTip *orphan = only(holder);
    target.reset();
    EXPECT_EQ(orphan->Target(), nullptr);
    EXPECT_FALSE(orphan->isVisible());
    holder.RemoveAll();
    EXPECT_EQ(holder.Count(), 0);
}

} // namespace

TEST(cUniqTTT, BareCarriageReturnBreaksTheLineAsAWindowsLineEndDoes)
{
    QWidget target;
    cUniqTTT holder;
    holder.AddToolTip(&target, QString(), QStringLiteral("取得できません\r接続できませんでした"), false, 3);
    holder.AddToolTip(&target, QString(), QStringLiteral("取得できません\r\n接続できませんでした"), false, 3);
    holder.AddToolTip(&target, QString(), QStringLiteral("取得できません 接続できませんでした"), false, 3);
    const QList<StyledToolTip *> tips = holder.ToolTips();
    ASSERT_EQ(tips.size(), 3);
    EXPECT_EQ(tips[0]->size(), tips[1]->size());
    EXPECT_GE(tips[0]->height(), tips[2]->height() + tips[0]->fontMetrics().height());
}
