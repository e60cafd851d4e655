#include "engine/util/StringUtil.h"

#include <gtest/gtest.h>

#include <climits>

TEST(StringUtilTest, TrimStringRemovesOnlyTheEnds)
{
    EXPECT_EQ(TrimString("  \tkey\r"), "key");
    EXPECT_EQ(TrimString("\n key name \n"), "key name");
    EXPECT_EQ(TrimString(" \t \t"), "");
    EXPECT_EQ(TrimString(""), "");
    EXPECT_EQ(TrimString("k"), "k");
    EXPECT_EQ(TrimString("xyhixy x", "xy "), "hi");
    EXPECT_EQ(TrimString("a\tb", " "), "a\tb");
}

TEST(StringUtilTest, CaseConversionChangesOnlyAsciiLetters)
{
    EXPECT_EQ(ToLower("MiXeD 1_Z@["), "mixed 1_z@[");
    EXPECT_EQ(ToUpper("MiXeD 1_z`{"), "MIXED 1_Z`{");
    const String highBytes = "\xC3\xA4\xC3\x84";
    EXPECT_EQ(ToLower(highBytes), highBytes);
    EXPECT_EQ(ToUpper(highBytes), highBytes);
}

TEST(StringUtilTest, IntToStringWritesPlainDecimal)
{
    EXPECT_EQ(IntToString(-42), "-42");
    EXPECT_EQ(IntToString(0), "0");
    EXPECT_EQ(IntToString(INT_MIN), "-2147483648");
    EXPECT_EQ(ToStringWith(255, std::hex), "ff");
}

TEST(StringUtilTest, SplitStringKeepsInnerEmptyPiecesUnlessSkipped)
{
    EXPECT_EQ(SplitString("UP_ARROW = +Jump", "=:", false), (StringList{"UP_ARROW ", " +Jump"}));
    EXPECT_EQ(SplitString("KEY:-Stop", "=:", false), (StringList{"KEY", "-Stop"}));
    EXPECT_EQ(SplitString("A=", "=:", false), (StringList{"A"}));
    EXPECT_EQ(SplitString("a, b", ", ", false), (StringList{"a", "", "b"}));
    EXPECT_EQ(SplitString("a, b", ", ", true), (StringList{"a", "b"}));
    EXPECT_EQ(SplitString("a,,b", ",", false), (StringList{"a", "", "b"}));
    EXPECT_EQ(SplitString(",a", ",", false), (StringList{"", "a"}));
    EXPECT_EQ(SplitString(",a", ",", true), (StringList{"a"}));
    EXPECT_EQ(SplitString("a,", ",", false), (StringList{"a"}));
    EXPECT_EQ(SplitString("a,,", ",", false), (StringList{"a", ""}));
    EXPECT_EQ(SplitString("", ",", false), StringList{});
    EXPECT_EQ(SplitString("abc", "", false), (StringList{"abc"}));
}
