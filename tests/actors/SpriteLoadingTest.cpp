// Needs an X display (run under Xvfb): textures live in the window's GL context. Each test
// generates its pictures into a fresh temp folder.
#include "engine/actors/Textures.h"
#include "tests/actors/ActorTestSupport.h"
#include "tests/actors/TestImages.h"
#include "tests/support/LogCapture.h"
#include "tests/support/WorldWindow.h"
#include "tests/util/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <vector>

namespace
{

/// Level 0 of a texture read back as RGBA, rows from the bottom.
struct TextureImage
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgba;

    Rgba At(int x, int y) const
    {
        const unsigned char* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        return Rgba{p[0], p[1], p[2], p[3]};
    }
};

TextureImage ReadTexture(int texture)
{
    TextureImage image;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &image.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &image.height);
    image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.rgba.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return image;
}

/// Series picture number n (0 ... 255) has red channel n.
Rgba NumberColour(int n)
{
    return Rgba{static_cast<unsigned char>(n), 50, 200, 255};
}

/// Writes prefix + n + ".png" for each n, the number padded to width digits.
void WriteSeries(const TempDir& dir, const String& prefix, const std::vector<int>& numbers,
                 int width)
{
    for (int n : numbers)
    {
        char name[64];
        std::snprintf(name, sizeof name, "%s%0*d.png", prefix.c_str(), width, n);
        ASSERT_TRUE(WriteSolidPng(dir.File(name), 2, 2, NumberColour(n))) << name;
    }
}

/// The picture numbers the actor's loaded frames show, -1 for an empty frame.
std::vector<int> LoadedNumbers(const ProbeActor& actor)
{
    std::vector<int> shown;
    for (int frame = 0; frame < actor.FrameCount(); ++frame)
    {
        const int texture = actor.GetSpriteTexture(frame);
        shown.push_back(texture < 0 ? -1 : ReadTexture(texture).At(0, 0).r);
    }
    return shown;
}

std::vector<int> Range(int first, int last)
{
    std::vector<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers.push_back(n);
    return numbers;
}

using SpriteLoadingTest = WorldWindowTest;

} // namespace

TEST_F(SpriteLoadingTest, NumberedSeriesLoadUpToTheFirstMissingNumber)
{
    TempDir dir;
    ASSERT_TRUE(dir.IsValid());
    WriteSeries(dir, "walk_", Range(1, 12), 3);
    WriteSeries(dir, "hop_", {1, 2, 3, 4, 6, 7}, 3);
    WriteSeries(dir, "fire_", {8, 9, 10}, 1);
    WriteSeries(dir, "smoke_", Range(98, 101), 2);
    WriteSeries(dir, "ash_", {9}, 2);
    WriteSeries(dir, "ash_", {10}, 3);
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"walk_001.png", Range(1, 12)},
        {"walk_007.png", Range(7, 12)},
        {"hop_001.png", Range(1, 4)},
        {"run_001.png", {}},
        {"fire_8.png", {8, 9, 10}},
        {"smoke_98.png", Range(98, 101)},
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

    WriteSeries(dir, "swarm_", Range(0, 66), 2);
    actor.LoadSpriteFrames(dir.File("swarm_00.png"));
    EXPECT_EQ(LoadedNumbers(actor), Range(0, 63));
    EXPECT_EQ(log.Lines(), (StringList{"Maximum number of frames reached (64). Bailing out...",
                                       "Increment MAX_SPRITE_FRAMES if you need more."}));
}

TEST_F(SpriteLoadingTest, OtherNamesLoadAsOneTexture)
{
    TempDir dir;
    LogCapture& log = LogCapture::Get();
    int number = 0;
    for (const String name : {"logo.png", "logo_v2b.png", "logo_.png", "missing.png"})
    {
        const bool exists = name != "missing.png";
        ASSERT_TRUE(!exists || WriteSolidPng(dir.File(name), 2, 2, NumberColour(++number)));
        log.Clear();
        ProbeActor actor;
        actor.LoadSpriteFrames(dir.File(name));
        StringList expected{"LoadSpriteFrames() - Bad Format - Expecting somename_###.ext",
                            "Attempting to load single texture: " + dir.File(name)};
        if (!exists)
            expected.push_back("Failed to find - " + dir.File(name));
        EXPECT_EQ(log.Lines(), expected) << name;
        EXPECT_EQ(LoadedNumbers(actor), exists ? std::vector<int>{number} : std::vector<int>{})
            << name;
    }
}

TEST_F(SpriteLoadingTest, TheCacheKeepsOneTexturePerLoadedFile)
{
    TempDir dir;
    const String grass = dir.File("grass.png"), late = dir.File("late.png");
    const String junk = dir.File("junk.png");
    ASSERT_TRUE(WriteSolidPng(grass, 4, 4, NumberColour(7)));
    ASSERT_TRUE(WriteSolidPng(dir.File("copy.png"), 4, 4, NumberColour(7)));

    const int first = GetTextureReference(grass, GL_REPEAT, GL_NEAREST, false);
    ASSERT_GT(first, 0);
    EXPECT_EQ(GetTextureReference(grass, GL_CLAMP, GL_LINEAR, false), first);
    GLint wrap = 0;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(first));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    EXPECT_EQ(wrap, GL_REPEAT) << "the first load's modes stay";
    EXPECT_NE(GetTextureReference(dir.File("copy.png"), GL_CLAMP, GL_LINEAR, false), first);

    ProbeActor actor;
    EXPECT_TRUE(actor.SetSprite(grass, 2));
    EXPECT_EQ(LoadedNumbers(actor), (std::vector<int>{-1, -1, 7}));

    // Failures are logged unless optional, leave the actor as it was and are not cached.
    LogCapture& log = LogCapture::Get();
    log.Clear();
    EXPECT_EQ(GetTextureReference(late, GL_CLAMP, GL_LINEAR, true), -1);
    EXPECT_FALSE(actor.SetSprite(late, 5));
    EXPECT_EQ(actor.FrameCount(), 3);
    std::ofstream(junk) << "not a picture";
    EXPECT_EQ(GetTextureReference(junk, GL_CLAMP, GL_LINEAR, false), -1);
    EXPECT_EQ(log.Lines(), (StringList{"Failed to find - " + late, "Failed to find - " + junk}));
    ASSERT_TRUE(WriteSolidPng(late, 2, 2, NumberColour(5)));
    EXPECT_TRUE(actor.SetSprite(late));
    EXPECT_EQ(LoadedNumbers(actor)[0], 5);
}

TEST_F(SpriteLoadingTest, PixelsArriveUnchangedWhateverTheImageFormat)
{
    TempDir dir;
    const Rgba teal{20, 160, 140, 255};
    ASSERT_TRUE(WriteSolidPng(dir.File("odd.png"), 3, 3, teal));
    ASSERT_TRUE(WritePalettePngWithTransparency(dir.File("palette.png"), 8, 4, teal));
    ASSERT_TRUE(WritePng(
        dir.File("half.png"), 8, 4, true,
        [teal](int x, int) {
            return Rgba{teal.r, teal.g, teal.b, static_cast<unsigned char>(x < 4 ? 0 : 255)};
        }));

    // FreeImage pads 3-pixel rows to 4 bytes; a caller's tight unpack alignment (font code
    // sets 1) must not shear them.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const int odd = GetTextureReference(dir.File("odd.png"), GL_CLAMP, GL_NEAREST, false);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    const TextureImage oddImage = ReadTexture(odd); // scaled up to 4 x 4 by the mipmap build
    ASSERT_GT(oddImage.width, 0);
    for (int y = 0; y < oddImage.height; ++y)
        for (int x = 0; x < oddImage.width; ++x)
            EXPECT_EQ(oddImage.At(x, y).g, teal.g) << x << ", " << y;

    // Transparent images that are not 32 bits per pixel are widened before upload.
    for (const String name : {"palette.png", "half.png"})
    {
        const TextureImage image =
            ReadTexture(GetTextureReference(dir.File(name), GL_CLAMP, GL_NEAREST, false));
        ASSERT_EQ(image.width, 8) << name;
        for (int y = 0; y < 4; ++y)
        {
            EXPECT_EQ(image.At(1, y).a, 0) << name << ": left half transparent";
            const Rgba right = image.At(6, y);
            EXPECT_TRUE(right.r == teal.r && right.g == teal.g && right.b == teal.b &&
                        right.a == 255)
                << name << " row " << y;
        }
    }
}
