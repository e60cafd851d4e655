#include "engine/actors/TextLayout.h"

#include <gtest/gtest.h>

namespace
{

std::vector<String> Texts(const TextLineList& lines)
{
    std::vector<String> texts;
    for (const TextLine& line : lines)
        texts.push_back(line.text);
    return texts;
}

TextLine Line(float width, float height)
{
    return TextLine{"x", Vector2(width, height), Vector2(-1.0f, -1.0f)};
}

} // namespace

TEST(TextLayoutTest, LinesSplitAtLineBreaks)
{
    EXPECT_EQ(Texts(SplitTextLines("a\n\nb")), (std::vector<String>{"a", "", "b"}));
    EXPECT_EQ(Texts(SplitTextLines("a\n")), (std::vector<String>{"a"}))
        << "a trailing break adds no line";
    EXPECT_TRUE(SplitTextLines("").empty());
    EXPECT_EQ(Texts(SplitTextLines("\n")), (std::vector<String>{""}));
    EXPECT_EQ(Texts(SplitTextLines("one line, no break")),
              (std::vector<String>{"one line, no break"}));
}

TEST(TextLayoutTest, LinesGoDownByTheTallestLinePlusSpacing)
{
    TextLineList lines = {Line(10, 20), Line(30, 24), Line(5, 3)};
    LayOutTextLines(lines, Vector2(100, 50), TXT_Left, 5);

    EXPECT_EQ(lines[0].position, Vector2(100, 50)) << "the first baseline is the origin";
    EXPECT_EQ(lines[1].position, Vector2(100, 79)) << "20 + 24 high with spacing 5: 24 + 5";
    EXPECT_EQ(lines[2].position, Vector2(100, 108)) << "even below a short line";

    LayOutTextLines(lines, Vector2(100, 50), TXT_Left, -4);
    EXPECT_EQ(lines[1].position.Y, 70.0f) << "negative spacing packs lines closer";
}

TEST(TextLayoutTest, EachLineIsAlignedOnItsOwn)
{
    TextLineList lines = {Line(100, 20), Line(40, 20)};

    LayOutTextLines(lines, Vector2(512, 300), TXT_Center, 5);
    EXPECT_EQ(lines[0].position, Vector2(462, 300));
    EXPECT_EQ(lines[1].position, Vector2(492, 325));

    LayOutTextLines(lines, Vector2(512, 300), TXT_Right, 5);
    EXPECT_EQ(lines[0].position, Vector2(412, 300));
    EXPECT_EQ(lines[1].position, Vector2(472, 325));

    LayOutTextLines(lines, Vector2(0, 0), static_cast<TextAlignment>(7), 5);
    EXPECT_EQ(lines[0].position, Vector2(412, 300)) << "an unknown alignment moves nothing";
}

TEST(TextLayoutTest, LinesWithoutExtentsStackAtTheSpacing)
{
    // What an unregistered font gives: every extent (0, 0).
    TextLineList lines = {TextLine{"a", Vector2(), Vector2()}, TextLine{"b", Vector2(), Vector2()}};
    LayOutTextLines(lines, Vector2(7, 9), TXT_Center, 5);
    EXPECT_EQ(lines[0].position, Vector2(7, 9));
    EXPECT_EQ(lines[1].position, Vector2(7, 14));
}
