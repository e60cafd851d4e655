#include "engine/util/StringUtil.h"

#include <gtest/gtest.h>

#include <climits>

TEST(StringUtilTest, TrimCaseNumbersAndSplitting)
{
    EXPECT_EQ(TrimString("\n key name \t\r"), "key name");
    EXPECT_EQ(TrimString(" \t \t"), "");
    EXPECT_EQ(TrimString("xyhixy x", "xy "), "hi");
    // Only ASCII letters change; the bytes of UTF-8 letters are left alone.
    EXPECT_EQ(ToLower("MiXeD 1_Z@[\xC3\x84"), "mixed 1_z@[\xC3\x84");
    EXPECT_EQ(ToUpper("MiXeD 1_z`{\xC3\xA4"), "MIXED 1_Z`{\xC3\xA4");
    EXPECT_EQ(IntToString(INT_MIN), "-2147483648");

    // Inner empty pieces stay unless skipped; only the last empty piece is always dropped.
    EXPECT_EQ(SplitString(",a, b", ", ", false), (StringList{"", "a", "", "b"}));
    EXPECT_EQ(SplitString(",a, b", ", ", true), (StringList{"a", "b"}));
    EXPECT_EQ(SplitString("a,,", ",", false), (StringList{"a", ""}));
    EXPECT_EQ(SplitString("abc", "", false), StringList{"abc"});
}
