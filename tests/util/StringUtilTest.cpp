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

// Log lines quote names as the level loader's report lines do: one line, every byte shown.
TEST(StringUtilTest, PrintableEscapesControlCharactersAndBytesThatAreNotUtf8)
{
    EXPECT_EQ(Printable(String("a\nb\r\tc\0\x1b\x7f\\d", 11)), "a\\nb\\r\\tc\\x00\\x1b\\x7f\\d");
    // Two-, three- and four-byte characters stay whole; C1 controls are control characters.
    EXPECT_EQ(Printable("W \xC3\xA4 \xE2\x82\xAC \xF0\x9F\x90\x91"),
              "W \xC3\xA4 \xE2\x82\xAC \xF0\x9F\x90\x91");
    EXPECT_EQ(Printable("\xC2\x85\xC2\x9F\xC2\xA1"), "\\x85\\x9f\xC2\xA1");
    // A lone byte, a cut sequence (inside and at the end), an overlong form, a surrogate, a code
    // point past U+10FFFF, a stray continuation byte and a lead byte UTF-8 never uses.
    EXPECT_EQ(
        Printable("\xFF|\xE2\x82"
                  "A|\xC0\x80|\xED\xA0\x80|\xF4\x90\x80\x80|\x80|\xF8|\xE2\x82"),
        "\\xff|\\xe2\\x82A|\\xc0\\x80|\\xed\\xa0\\x80|\\xf4\\x90\\x80\\x80|\\x80|\\xf8|\\xe2\\x82");
    EXPECT_EQ(Printable(""), "");
}
