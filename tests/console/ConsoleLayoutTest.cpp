// Needs a display: a console loads its fonts into the GL context.
#include "tests/console/RecordingConsole.h"
#include "tests/support/WorldWindow.h"

#include <gtest/gtest.h>

namespace
{

using Item = ConsoleDrawItem;

const Color kPanel(0.0f, 0.0f, 0.0f, 0.75f);
const Color kBar(0.0f, 1.0f, 0.0f, 0.375f);
const Color kGreen(0.0f, 1.0f, 0.0f, 1.0f);
const Color kWhite(1.0f, 1.0f, 1.0f, 1.0f);

void ExpectBackground(const Item& item, const Color& color, int x, int bottom, int width,
                      int height)
{
    EXPECT_EQ(item.kind, Item::Background);
    EXPECT_EQ(item.color, color);
    EXPECT_EQ(item.x, x);
    EXPECT_EQ(item.y, bottom);
    EXPECT_EQ(item.width, width);
    EXPECT_EQ(item.height, height);
}

void ExpectText(const Item& item, const Color& color, int x, int y, const String& text)
{
    EXPECT_EQ(item.kind, Item::Text);
    EXPECT_EQ(item.color, color);
    EXPECT_EQ(item.x, x);
    EXPECT_EQ(item.y, y);
    EXPECT_EQ(item.text, text);
}

class ConsoleLayoutTest : public WorldWindowTest
{
protected:
    /// Offers n completions named c0, c1, ... for the three-letter line "abc".
    void OfferCompletions(int n)
    {
        console.completions.clear();
        for (int i = 0; i < n; ++i)
            console.completions.push_back("c" + std::to_string(i));
        console.Enable(true);
        console.Type("abc");
    }

    RecordingConsole console;
};

// A 768-pixel window: margin m = 4, line L = 28, panel P = 384.
TEST_F(ConsoleLayoutTest, PanelAndInputLineOfA768PixelWindow)
{
    console.SetPrompt("::>");
    console.Enable(true);
    console.Type("ab");
    const ConsoleDrawList items = console.BuildDrawList(1024, 768);
    ASSERT_EQ(items.size(), 4u);
    ExpectBackground(items[0], kPanel, 0, 384, 1024, 384);
    ExpectBackground(items[1], kBar, 0, 412, 1024, 28);
    ExpectBackground(items[2], kPanel, 2, 410, 1020, 24);
    ExpectText(items[3], kGreen, 6, 404, "::>ab_");
}

TEST_F(ConsoleLayoutTest, OutputLinesStackUpwardsFromThePanelsFoot)
{
    console.WriteToOutput("one\ntwo\nthree");
    const int step = static_cast<int>(console.GetOutputLineHeight()) + 4;
    ASSERT_GT(step, 4);
    const ConsoleDrawList items = console.BuildDrawList(1024, 768);
    ASSERT_EQ(items.size(), 7u);
    ExpectText(items[1], kWhite, 4, 380, "three");
    ExpectText(items[2], kWhite, 4, 380 - step, "two");
    ExpectText(items[3], kWhite, 4, 380 - 2 * step, "one");
}

TEST_F(ConsoleLayoutTest, CompletionRows)
{
    // Text indent cx = 2 + 4 + 768 / 24 = 38; box from cx - m = 34.
    OfferCompletions(3);
    ConsoleDrawList items = console.BuildDrawList(1024, 768);
    ASSERT_EQ(items.size(), 8u);
    ExpectBackground(items[4], kPanel, 34, 412 + 3 * 28, 1024 - 34, 3 * 28);
    for (int row = 0; row < 3; ++row)
        ExpectText(items[5 + row], kGreen, 38, 412 + 18 + row * 28, "c" + std::to_string(row));

    OfferCompletions(6);
    items = console.BuildDrawList(1024, 768);
    ASSERT_EQ(items.size(), 11u);
    EXPECT_EQ(items.back().text, "c5");

    for (int offered : {7, 12})
    {
        OfferCompletions(offered);
        items = console.BuildDrawList(1024, 768);
        ASSERT_EQ(items.size(), 12u) << offered;
        ExpectBackground(items[4], kPanel, 34, 412 + 7 * 28, 1024 - 34, 7 * 28);
        EXPECT_EQ(items[10].text, "c5");
        ExpectText(items[11], kGreen, 38, 412 + 18 + 6 * 28, "...");
    }
}

TEST_F(ConsoleLayoutTest, MarginAndLineSizeKeepTheFirstWindowsHeight)
{
    console.BuildDrawList(1024, 768);
    // Twice the height: the panel follows, the margin (4) and line (28) do not.
    const ConsoleDrawList items = console.BuildDrawList(2048, 1536);
    ExpectBackground(items[0], kPanel, 0, 768, 2048, 768);
    ExpectBackground(items[1], kBar, 0, 796, 2048, 28);
    ExpectBackground(items[2], kPanel, 2, 794, 2044, 24);
}

} // namespace
