#include "engine/util/Color.h"

#include <gtest/gtest.h>

// Channels are the double quotient narrowed once, so they compare bit for bit.
static float Byte(int value)
{
    return static_cast<float>(value / 255.0);
}

TEST(ColorTest, HexStringsAndClamping)
{
    for (const char* text : {"#FF8000", "0xff8000", "#0xFF8000"})
        EXPECT_EQ(Color(String(text)), Color(1.0f, Byte(0x80), 0.0f)) << text;
    EXPECT_EQ(Color(String("#f80")), Color(1.0f, Byte(0x88), 0.0f));
    // Pairs that are not hexadecimal read as 0; a sign cannot make a channel negative. Anything
    // but a prefix and three or six digits is white.
    EXPECT_EQ(Color(String("#zz8000")), Color(0.0f, Byte(0x80), 0.0f));
    EXPECT_EQ(Color(String("#-1ffff")), Color(0.0f, 1.0f, 1.0f));
    for (const char* text : {"FF8000", "#FF80", "", "#", "0x", "#FF80000", "ff8"})
        EXPECT_EQ(Color(String(text)), Color(1.0f, 1.0f, 1.0f, 1.0f)) << '"' << text << '"';

    EXPECT_EQ(Color(-20, 51, 300), Color(0.0f, Byte(51), 1.0f));
    EXPECT_EQ(Color(300, 0, 0, 102, false), Color(Byte(300), 0.0f, 0.0f, Byte(102), false));
    EXPECT_EQ(Color(2.0f, -1.0f, 0.5f, 7.0f), Color(1.0f, 0.0f, 0.5f, 1.0f));
}
