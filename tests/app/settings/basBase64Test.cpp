#include "basBase64.h"
#include "Cp932.h"

#include <gtest/gtest.h>

using namespace basBase64;

TEST(Base64, RfcExamplesAndPadding)
{
    EXPECT_EQ(Base64Encode("abc"), "YWJj");
    EXPECT_EQ(Base64Decode("YWJj"), "abc");
    EXPECT_EQ(Base64Encode("a"), "YQ==");
    EXPECT_EQ(Base64Encode("ab"), "YWI=");
    EXPECT_EQ(Base64Encode(""), "");
    EXPECT_EQ(Base64Decode(""), "");
    EXPECT_EQ(Base64Decode("YQ=="), "a");
    EXPECT_EQ(Base64Decode("YWI="), "ab");
}

TEST(Base64, MatchesTheStandardCodecOverCp932Bytes)
{
    for (const char *utf8 : {"p@ss:w0rd/+", "天気", "ｶﾀｶﾅ and 漢字", "x", "xy", "xyz!", "\\~"}) {
        const QString text = QString::fromUtf8(utf8);
        const QByteArray bytes = *codepage::toCp932(text);
        EXPECT_EQ(Base64Encode(text), QString::fromLatin1(bytes.toBase64())) << utf8;
        EXPECT_EQ(Base64Decode(Base64Encode(text)), text) << utf8;
    }
    // Two double-byte characters are four bytes.
    EXPECT_EQ(Base64Encode(QString::fromUtf8("天気")), "k1aLQw==");
}

TEST(Base64, TextOutsideCp932SurvivesTheRoundTrip)
{
    for (const char *utf8 : {"josé", "😀", "𠮷野家", "a\xE2\x80\x94z"}) {
        const QString text = QString::fromUtf8(utf8);
        EXPECT_EQ(Base64Decode(Base64Encode(text)), text) << utf8;
        EXPECT_FALSE(Base64Encode(text).contains(u'?'));
    }
}

TEST(Base64, CharMapsSixBitValues)
{
    EXPECT_EQ(Base64Char(0), "A");
    EXPECT_EQ(Base64Char(25), "Z");
    EXPECT_EQ(Base64Char(26), "a");
    EXPECT_EQ(Base64Char(52), "0");
    EXPECT_EQ(Base64Char(62), "+");
    EXPECT_EQ(Base64Char(63), "/");
    EXPECT_EQ(Base64Char(64), "");
    EXPECT_EQ(Base64Char(-1), "");
}

TEST(Base64, MalformedInputGivesEmptyText)
{
    EXPECT_EQ(Base64Decode("@@@@"), "");
    EXPECT_EQ(Base64Decode("=AAA"), "");
    EXPECT_EQ(Base64Decode("YW=j"), "");
    // A trailing partial group is ignored, as only whole groups are read.
    EXPECT_EQ(Base64Decode("YWJjYQ"), "abc");
}
