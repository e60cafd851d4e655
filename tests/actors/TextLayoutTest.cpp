#include "engine/actors/TextLayout.h"

#include <gtest/gtest.h>

TEST(TextLayoutTest, LinesSplitAtLineBreaksAndGoDownByTheTallestLinePlusSpacing)
{
    const std::pair<const char*, std::vector<String>> cases[] = {
        {"a\n\nb", {"a", "", "b"}}, {"a\n", {"a"}}, {"\n", {""}}, {"", {}}};
    for (const auto& [text, expected] : cases)
    {
        std::vector<String> texts;
        for (const TextLine& line : SplitTextLines(text))
            texts.push_back(line.text);
        EXPECT_EQ(texts, expected) << "'" << text << "'";
    }

    TextLineList lines = {{"a", Vector2(100, 20), Vector2()},
                          {"b", Vector2(40, 24), Vector2()},
                          {"c", Vector2(10, 3), Vector2()}};
    LayOutTextLines(lines, Vector2(512, 50), TXT_Left, 5);
    EXPECT_EQ(lines[0].position, Vector2(512, 50)) << "the first baseline is the origin";
    EXPECT_EQ(lines[1].position, Vector2(512, 79)) << "24 high plus 5";
    EXPECT_EQ(lines[2].position, Vector2(512, 108)) << "even below a short line";
    LayOutTextLines(lines, Vector2(512, 50), TXT_Center, -4);
    EXPECT_EQ(lines[1].position, Vector2(492, 70)) << "negative spacing packs lines closer";
    LayOutTextLines(lines, Vector2(512, 50), TXT_Right, 5);
    EXPECT_EQ(lines[0].position, Vector2(412, 50));
    EXPECT_EQ(lines[1].position, Vector2(472, 79));
}
