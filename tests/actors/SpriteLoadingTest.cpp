// Needs an X display (run under Xvfb): textures live in the window's GL context.
#include "engine/actors/Textures.h"
#include "tests/actors/ActorTestSupport.h"
#include "tests/actors/TestImages.h"
#include "tests/support/LogCapture.h"
#include "tests/support/WorldWindow.h"
#include "tests/util/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <numeric>
#include <vector>

namespace
{

/// Level 0 of a texture as RGBA, rows from the bottom; width is set to its width.
std::vector<Rgba> ReadTexture(int texture, int& width)
{
    int height = 0;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    std::vector<Rgba> pixels(static_cast<size_t>(width) * height);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

/// Writes prefix + n + ".png" for n in first ... last, padded to width digits, with red n.
void WriteSeries(const TempDir& dir, const String& prefix, int first, int last, int width)
{
    for (int n = first; n <= last; ++n)
    {
        char name[64];
        std::snprintf(name, sizeof name, "%s%0*d.png", prefix.c_str(), width, n);
        ASSERT_TRUE(WriteSolidPng(dir.File(name), 2, 2, Rgba{(unsigned char)n, 50, 200, 255}));
    }
}

/// The red channel (the picture number) of each loaded frame, -1 for an empty frame.
std::vector<int> LoadedNumbers(const ProbeActor& actor)
{
    std::vector<int> shown;
    int width = 0;
    for (int frame = 0; frame < actor.FrameCount(); ++frame)
    {
        const int texture = actor.GetSpriteTexture(frame);
        shown.push_back(texture < 0 ? -1 : ReadTexture(texture, width)[0].r);
    }
    return shown;
}

std::vector<int> Range(int first, int last)
{
    std::vector<int> numbers(last - first + 1);
    std::iota(numbers.begin(), numbers.end(), first);
    return numbers;
}

using SpriteLoadingTest = WorldWindowTest;

} // namespace

TEST_F(SpriteLoadingTest, NumberedSeriesLoadUpToTheFirstMissingNumber)
{
    TempDir dir;
    WriteSeries(dir, "walk_", 1, 12, 3);
    std::remove(dir.File("walk_005.png").c_str());
    WriteSeries(dir, "fire_", 8, 10, 1);
    WriteSeries(dir, "ash_", 9, 9, 2);
    WriteSeries(dir, "ash_", 10, 10, 3);
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"walk_001.png", Range(1, 4)}, {"walk_007.png", Range(7, 12)},
        {"run_001.png", {}},           {"fire_8.png", {8, 9, 10}},
        {"ash_09.png", {9}}, // ash_010 does not continue ash_09
    };
    LogCapture& log = LogCapture::Get();
    log.Clear();
    ProbeActor actor; // each load starts the count afresh
    for (const auto& [first, numbers] : cases)
    {
        actor.LoadSpriteFrames(dir.File(first));
        EXPECT_EQ(LoadedNumbers(actor), numbers) << first;
    }
    EXPECT_TRUE(log.Lines().empty()) << "series loads are optional: nothing is logged";

    WriteSeries(dir, "swarm_", 0, 66, 2);
    actor.LoadSpriteFrames(dir.File("swarm_00.png"));
    EXPECT_EQ(LoadedNumbers(actor), Range(0, 63));
    EXPECT_EQ(log.Lines(), (StringList{"Maximum number of frames reached (64). Bailing out...",
                                       "Increment MAX_SPRITE_FRAMES if you need more."}));

    // Other names load as one texture; a failed load is not cached.
    const String logo = dir.File("logo_.png");
    StringList single{"LoadSpriteFrames() - Bad Format - Expecting somename_###.ext",
                      "Attempting to load single texture: " + logo};
    log.Clear();
    actor.LoadSpriteFrames(logo);
    EXPECT_EQ(log.Lines(), (StringList{single[0], single[1], "Failed to find - " + logo}));
    EXPECT_TRUE(LoadedNumbers(actor).empty());
    ASSERT_TRUE(WriteSolidPng(logo, 2, 2, Rgba{7, 0, 0, 255}));
    log.Clear();
    actor.LoadSpriteFrames(logo);
    EXPECT_EQ(log.Lines(), single);
    EXPECT_EQ(LoadedNumbers(actor), std::vector<int>{7});
}

TEST_F(SpriteLoadingTest, TheCacheKeepsOneTexturePerLoadedFile)
{
    TempDir dir;
    const String grass = dir.File("grass.png"), late = dir.File("late.png");
    ASSERT_TRUE(WriteSolidPng(grass, 4, 4, Rgba{7, 0, 0, 255}));
    ASSERT_TRUE(WriteSolidPng(dir.File("copy.png"), 4, 4, Rgba{7, 0, 0, 255}));
    const int first = GetTextureReference(grass, GL_REPEAT, GL_NEAREST, false);
    ASSERT_GT(first, 0);
    EXPECT_EQ(GetTextureReference(grass, GL_CLAMP, GL_LINEAR, false), first);
    EXPECT_NE(GetTextureReference(dir.File("copy.png"), GL_CLAMP, GL_LINEAR, false), first);
    ProbeActor actor;
    EXPECT_TRUE(actor.SetSprite(grass, 2));
    EXPECT_EQ(LoadedNumbers(actor), (std::vector<int>{-1, -1, 7}));

    // Failures are logged unless optional and leave the actor as it was.
    LogCapture& log = LogCapture::Get();
    log.Clear();
    EXPECT_EQ(GetTextureReference(late, GL_CLAMP, GL_LINEAR, true), -1);
    EXPECT_FALSE(actor.SetSprite(late, 5));
    EXPECT_EQ(actor.FrameCount(), 3);
    std::ofstream(dir.File("junk.png")) << "not a picture";
    EXPECT_EQ(GetTextureReference(dir.File("junk.png"), GL_CLAMP, GL_LINEAR, false), -1);
    EXPECT_EQ(log.Lines(),
              (StringList{"Failed to find - " + late, "Failed to find - " + dir.File("junk.png")}));
}

TEST_F(SpriteLoadingTest, PixelsArriveUnchangedWhateverTheImageFormat)
{
    TempDir dir;
    const Rgba teal{20, 160, 140, 255};
    ASSERT_TRUE(WriteSolidPng(dir.File("odd.png"), 3, 3, teal));
    // An 8-bit palette picture whose entry 0, the left half, is transparent.
    FIBITMAP* bitmap = FreeImage_Allocate(8, 4, 8);
    RGBQUAD* palette = FreeImage_GetPalette(bitmap);
    palette[0] = RGBQUAD{0, 0, 0, 0};
    palette[1].rgbRed = teal.r;
    palette[1].rgbGreen = teal.g;
    palette[1].rgbBlue = teal.b;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x)
            FreeImage_GetScanLine(bitmap, y)[x] = x < 4 ? 0 : 1;
    BYTE alphaTable[2] = {0, 255};
    FreeImage_SetTransparencyTable(bitmap, alphaTable, 2);
    ASSERT_TRUE(FreeImage_Save(FIF_PNG, bitmap, dir.File("palette.png").c_str(), 0));
    FreeImage_Unload(bitmap);

    // FreeImage pads 3-pixel rows to 4 bytes; a caller's tight unpack alignment (font code
    // sets 1) must not shear them. The mipmap build scales the picture to 4 x 4.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const int odd = GetTextureReference(dir.File("odd.png"), GL_CLAMP, GL_NEAREST, false);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    int width = 0;
    for (const Rgba& pixel : ReadTexture(odd, width))
        EXPECT_EQ(pixel.g, teal.g);
    EXPECT_EQ(width, 4);

    // Transparent images that are not 32 bits per pixel are widened before upload.
    const std::vector<Rgba> pixels = ReadTexture(
        GetTextureReference(dir.File("palette.png"), GL_CLAMP, GL_NEAREST, false), width);
    ASSERT_EQ(width, 8);
    for (int y = 0; y < 4; ++y)
    {
        const Rgba left = pixels[y * 8 + 1], right = pixels[y * 8 + 6];
        EXPECT_EQ(left.a, 0);
        EXPECT_TRUE(right.r == teal.r && right.g == teal.g && right.b == teal.b && right.a == 255)
            << "row " << y;
    }
}
