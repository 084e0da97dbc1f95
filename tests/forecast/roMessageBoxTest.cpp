#include "roMessageBox.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

using namespace ro;

TEST(MessageBoxSeam, RecorderSeesTextCaptionAndStyleAndAnswersFromQueue)
{
    ScopedMessageBoxRecorder recorder;
    recorder.Answer(vbNo);
    EXPECT_EQ(MsgBox(QStringLiteral("保存しますか？"), vbYesNoCancel | vbQuestion, QStringLiteral("設定の保存")), vbNo);
    // Nothing queued: the box's default button answers.
    EXPECT_EQ(MsgBox(QStringLiteral("x"), vbYesNo | vbDefaultButton2), vbNo);
    EXPECT_EQ(MsgBox(QStringLiteral("y"), vbOKOnly | vbCritical, QStringLiteral("c")), vbOK);
    ASSERT_EQ(recorder.Shown().size(), 3U);
    EXPECT_EQ(recorder.Shown()[0].prompt, QStringLiteral("保存しますか？"));
    EXPECT_EQ(recorder.Shown()[0].title, QStringLiteral("設定の保存"));
    EXPECT_EQ(recorder.Shown()[0].style, vbYesNoCancel | vbQuestion);
}

TEST(MessageBoxSeam, EmptyTitleMeansApplicationNameAndRecordersNest)
{
    QCoreApplication::setApplicationName(QStringLiteral("Skycaster"));
    ScopedMessageBoxRecorder outer;
    {
        ScopedMessageBoxRecorder inner;
        MsgBox(QStringLiteral("inner"));
        ASSERT_EQ(inner.Shown().size(), 1U);
        EXPECT_EQ(inner.Shown()[0].title, QStringLiteral("Skycaster"));
    }
    MsgBox(QStringLiteral("outer"));
    ASSERT_EQ(outer.Shown().size(), 1U);
    EXPECT_EQ(outer.Shown()[0].prompt, QStringLiteral("outer"));
}

TEST(MessageBoxSeam, DefaultAnswerFollowsDefaultButtonBits)
{
    EXPECT_EQ(DefaultAnswer(vbYesNoCancel | vbDefaultButton3), vbCancel);
    EXPECT_EQ(DefaultAnswer(vbYesNo), vbYes);
    EXPECT_EQ(DefaultAnswer(vbOKOnly | vbDefaultButton3), vbOK);
}
