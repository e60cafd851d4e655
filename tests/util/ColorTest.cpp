#include "engine/util/Color.h"

#include <gtest/gtest.h>

namespace
{
const Color kOrange(1.0f, static_cast<float>(128 / 255.0), 0.0f, 1.0f);
const Color kWhite(1.0f, 1.0f, 1.0f, 1.0f);

void ExpectColor(const Color& actual, float r, float g, float b, float a)
{
    EXPECT_FLOAT_EQ(actual.R, r);
    EXPECT_FLOAT_EQ(actual.G, g);
    EXPECT_FLOAT_EQ(actual.B, b);
    EXPECT_FLOAT_EQ(actual.A, a);
}
} // namespace

TEST(ColorTest, DefaultIsOpaqueWhite)
{
    const Color c;
    EXPECT_EQ(c, kWhite);
}

TEST(ColorTest, HexStringsWithAPrefix)
{
    EXPECT_EQ(Color(String("#FF8000")), kOrange);
    EXPECT_NEAR(Color(String("#FF8000")).G, 0.50196f, 1e-5f);
    EXPECT_EQ(Color(String("0xff8000")), kOrange);
    EXPECT_EQ(Color(String("0XFF8000")), kOrange);
    // A leading # followed by 0x loses both prefixes.
    EXPECT_EQ(Color(String("#0xFF8000")), kOrange);
    EXPECT_EQ(Color(String("#f80")), Color(String("#ff8800")));
    EXPECT_EQ(Color(String("0xf80")), Color(String("#ff8800")));
    ExpectColor(Color(String("#123456")), 0x12 / 255.0f, 0x34 / 255.0f, 0x56 / 255.0f, 1.0f);
    EXPECT_EQ(Color(String("#000")), Color(0.0f, 0.0f, 0.0f, 1.0f));
}

TEST(ColorTest, MalformedHexStringsGiveWhite)
{
    for (const char* text : {"FF8000", "#FF80", "", "#", "0x", "#0x", "#FF80000", "x80", "ff8"})
        EXPECT_EQ(Color(String(text)), kWhite) << '"' << text << '"';
}

TEST(ColorTest, NonHexadecimalPairsReadAsZero)
{
    EXPECT_EQ(Color(String("#zz8000")), Color(0.0f, static_cast<float>(128 / 255.0), 0.0f));
    // A sign read by the conversion must not leave the channel negative.
    EXPECT_EQ(Color(String("#-1ffff")).R, 0.0f);
}

TEST(ColorTest, ConstructorsClampUnlessAskedNotTo)
{
    ExpectColor(Color(300, 0, 0), 1.0f, 0.0f, 0.0f, 1.0f);
    ExpectColor(Color(-20, 51, 255, 102), 0.0f, 0.2f, 1.0f, 0.4f);
    ExpectColor(Color(300, 0, 0, 255, false), 300 / 255.0f, 0.0f, 0.0f, 1.0f);
    ExpectColor(Color(2.0f, 0.5f, 0.5f, 1.0f, false), 2.0f, 0.5f, 0.5f, 1.0f);
    ExpectColor(Color(2.0f, -1.0f, 0.5f), 1.0f, 0.0f, 0.5f, 1.0f);
    ExpectColor(Color(0.1f, 0.2f, 0.3f, 7.0f), 0.1f, 0.2f, 0.3f, 1.0f);
    // Integer black still has full alpha.
    EXPECT_EQ(Color(0, 0, 0).A, 1.0f);

    Color wide(-1.0f, 0.5f, 3.0f, 2.0f, false);
    wide.Clamp();
    ExpectColor(wide, 0.0f, 0.5f, 1.0f, 1.0f);
}

TEST(ColorTest, ArithmeticNeverClampsAndIncludesAlpha)
{
    ExpectColor(Color(1.0f, 1.0f, 1.0f, 1.0f) * 2.0f, 2.0f, 2.0f, 2.0f, 2.0f);
    ExpectColor(Color(0.2f, 0.2f, 0.2f, 1.0f) - Color(0.5f, 0.5f, 0.5f, 1.0f), -0.3f, -0.3f, -0.3f,
                0.0f);
    ExpectColor(Color(0.8f, 0.6f, 0.4f, 1.0f) + Color(0.5f, 0.5f, 0.5f, 0.5f), 1.3f, 1.1f, 0.9f,
                1.5f);
    ExpectColor(Color(1.0f, 0.5f, 0.0f, 1.0f) / 4.0f, 0.25f, 0.125f, 0.0f, 0.25f);
}

TEST(ColorTest, EqualityIsExactOnAllFourChannels)
{
    EXPECT_TRUE(Color(0.5f, 0.5f, 0.5f, 1.0f) != Color(0.5f, 0.5f, 0.5f, 0.5f));
    EXPECT_TRUE(Color(0.5f, 0.5f, 0.5f, 1.0f) != Color(0.5f, 0.5f, 0.5000001f, 1.0f));
}
