// Needs a display: draws the world's registered console and reads the frame back.
#include "engine/console/Console.h"
#include "tests/support/WorldWindow.h"

#include <gtest/gtest.h>

namespace
{

class ConsoleRenderTest : public WorldWindowTest
{
protected:
    void TearDown() override
    {
        if (Console* console = world->GetConsole())
            console->Enable(false);
        WorldWindowTest::TearDown();
    }

    /// Renders one frame and returns the pixel at each (x, y), y from the top.
    std::vector<Pixel> Draw(const std::vector<std::pair<int, int>>& at)
    {
        std::vector<Pixel> pixels;
        Frame(1.0 / 60.0,
              [&]
              {
                  for (const auto& [x, y] : at)
                      pixels.push_back(ReadPixel(x, y));
              });
        return pixels;
    }
};

bool Near(int value, int expected)
{
    return value >= expected - 3 && value <= expected + 3;
}

TEST_F(ConsoleRenderTest, OpenConsoleDrawsOverTheTopHalf)
{
    Console* console = world->GetConsole();
    ASSERT_NE(console, nullptr) << "World::Initialize registers a console";

    // Closed: the white clear colour everywhere.
    Pixel closed = Draw({{500, 100}})[0];
    EXPECT_EQ(closed.r, 255);

    console->Enable(true);
    // Panel, the input bar's green edge, the input field, below the console.
    const std::vector<Pixel> pixels = Draw({{500, 100}, {1, 400}, {500, 400}, {500, 600}});
    // Black at 0.75 over white.
    EXPECT_TRUE(Near(pixels[0].r, 64) && Near(pixels[0].g, 64) && Near(pixels[0].b, 64))
        << int(pixels[0].r);
    // Green at 0.375 over white.
    EXPECT_TRUE(Near(pixels[1].r, 159) && Near(pixels[1].g, 255) && Near(pixels[1].b, 159))
        << int(pixels[1].r) << " " << int(pixels[1].g);
    // Black at 0.75 over that.
    EXPECT_TRUE(Near(pixels[2].r, 40) && Near(pixels[2].g, 64) && Near(pixels[2].b, 40))
        << int(pixels[2].r) << " " << int(pixels[2].g);
    EXPECT_EQ(pixels[3].r, 255);
    EXPECT_EQ(pixels[3].g, 255);
}

TEST_F(ConsoleRenderTest, InputAndOutputTextAreDrawn)
{
    Console* console = world->GetConsole();
    ASSERT_NE(console, nullptr);
    console->Enable(true);
    console->WriteToOutput("WWWWWWWW");

    // The prompt and cursor sit in the input field, from x = 6 with their baseline at 404; the
    // last output line from x = 4 with its baseline at 380.
    std::vector<std::pair<int, int>> inputArea, outputArea;
    for (int y = 390; y < 404; ++y)
        for (int x = 6; x < 50; ++x)
            inputArea.push_back({x, y});
    for (int y = 366; y < 380; ++y)
        for (int x = 4; x < 60; ++x)
            outputArea.push_back({x, y});
    const std::vector<Pixel> input = Draw(inputArea);
    const std::vector<Pixel> output = Draw(outputArea);

    bool green = false, white = false;
    for (const Pixel& p : input)
        green = green || (p.g > 200 && p.r < 80);
    for (const Pixel& p : output)
        white = white || (p.r > 200 && p.g > 200 && p.b > 200);
    EXPECT_TRUE(green) << "no green prompt text in the input field";
    EXPECT_TRUE(white) << "no white output text above the input bar";
}

} // namespace
