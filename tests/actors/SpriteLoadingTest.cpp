// Needs an X display (run under Xvfb): textures live in the window's GL context. The pictures
// are generated into a fresh temp folder by each test.
#include "engine/actors/Textures.h"
#include "tests/actors/ActorTestSupport.h"
#include "tests/actors/TestImages.h"
#include "tests/support/LogCapture.h"
#include "tests/support/WorldWindow.h"
#include "tests/util/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <vector>

namespace
{

/// Level 0 of a texture, read back as RGBA.
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

/// The colour of series frame number n (0 ... 255): its red channel is n.
Rgba FrameColour(int n)
{
    return Rgba{static_cast<unsigned char>(n), 50, 200, 255};
}

/// The series number a texture shows (its red channel), -1 for none.
int SeriesNumberOf(int texture)
{
    if (texture < 0)
        return -1;
    return ReadTexture(texture).At(0, 0).r;
}

/// Writes prefix + n + ".png" for each n, numbers padded to width digits.
void WriteSeries(const TempDir& dir, const String& prefix, const std::vector<int>& numbers,
                 int width)
{
    for (int n : numbers)
    {
        char name[64];
        std::snprintf(name, sizeof name, "%s%0*d.png", prefix.c_str(), width, n);
        ASSERT_TRUE(WriteSolidPng(dir.File(name), 2, 2, FrameColour(n))) << name;
    }
}

std::vector<int> Range(int first, int last)
{
    std::vector<int> numbers;
    for (int n = first; n <= last; ++n)
        numbers.push_back(n);
    return numbers;
}

std::vector<int> LoadedSeries(const ProbeActor& actor)
{
    std::vector<int> shown;
    for (int frame = 0; frame < actor.FrameCount(); ++frame)
        shown.push_back(SeriesNumberOf(actor.GetSpriteTexture(frame)));
    return shown;
}

using SpriteLoadingTest = WorldWindowTest;

} // namespace

TEST_F(SpriteLoadingTest, NumberedSeriesStopAtTheFirstGap)
{
    TempDir dir;
    ASSERT_TRUE(dir.IsValid());
    LogCapture& log = LogCapture::Get();
    WriteSeries(dir, "walk_", Range(1, 12), 3);
    WriteSeries(dir, "hop_", {1, 2, 3, 4, 6, 7}, 3);
    WriteSeries(dir, "run_", Range(2, 5), 3);

    log.Clear();
    ProbeActor walker;
    walker.LoadSpriteFrames(dir.File("walk_001.png"));
    EXPECT_EQ(LoadedSeries(walker), Range(1, 12)) << "frame i shows walk_(i+1)";

    ProbeActor lateStart;
    lateStart.LoadSpriteFrames(dir.File("walk_007.png"));
    EXPECT_EQ(LoadedSeries(lateStart), Range(7, 12));

    ProbeActor hopper;
    hopper.LoadSpriteFrames(dir.File("hop_001.png"));
    EXPECT_EQ(LoadedSeries(hopper), Range(1, 4)) << "hop_005 is missing";

    ProbeActor runner;
    runner.LoadSpriteFrames(dir.File("run_001.png"));
    EXPECT_EQ(runner.FrameCount(), 0) << "run_001 itself is missing";
    EXPECT_EQ(runner.GetSpriteTexture(0), -1);
    EXPECT_TRUE(log.Lines().empty()) << "series loads are optional: nothing is logged";

    // Loading again starts the count afresh.
    walker.LoadSpriteFrames(dir.File("hop_001.png"));
    EXPECT_EQ(LoadedSeries(walker), Range(1, 4));
}

TEST_F(SpriteLoadingTest, NumbersKeepTheirWidthButAreNotCut)
{
    TempDir dir;
    WriteSeries(dir, "fire_", {8, 9, 10}, 1);
    WriteSeries(dir, "smoke_", {98, 99, 100, 101}, 2);
    WriteSeries(dir, "ash_", {9}, 2);
    WriteSeries(dir, "ash_", {10}, 3); // ash_010 does not continue ash_09

    ProbeActor fire, smoke, ash;
    fire.LoadSpriteFrames(dir.File("fire_8.png"));
    EXPECT_EQ(LoadedSeries(fire), (std::vector<int>{8, 9, 10}));
    smoke.LoadSpriteFrames(dir.File("smoke_98.png"));
    EXPECT_EQ(LoadedSeries(smoke), (std::vector<int>{98, 99, 100, 101}));
    ash.LoadSpriteFrames(dir.File("ash_09.png"));
    EXPECT_EQ(LoadedSeries(ash), std::vector<int>{9});
}

TEST_F(SpriteLoadingTest, SeriesStopAtSixtyFourFrames)
{
    TempDir dir;
    WriteSeries(dir, "swarm_", Range(0, 66), 2);
    LogCapture& log = LogCapture::Get();
    log.Clear();
    ProbeActor swarm;
    swarm.LoadSpriteFrames(dir.File("swarm_00.png"));
    EXPECT_EQ(LoadedSeries(swarm), Range(0, 63));
    EXPECT_EQ(log.Lines(), (StringList{"Maximum number of frames reached (64). Bailing out...",
                                       "Increment MAX_SPRITE_FRAMES if you need more."}));
}

TEST_F(SpriteLoadingTest, BadSeriesNamesLoadOneTexture)
{
    TempDir dir;
    ASSERT_TRUE(WriteSolidPng(dir.File("logo.png"), 2, 2, FrameColour(1)));
    ASSERT_TRUE(WriteSolidPng(dir.File("logo_v2b.png"), 2, 2, FrameColour(2)));
    ASSERT_TRUE(WriteSolidPng(dir.File("logo_.png"), 2, 2, FrameColour(3)));
    LogCapture& log = LogCapture::Get();

    const String badFormat = "LoadSpriteFrames() - Bad Format - Expecting somename_###.ext";
    int expectedSeries = 1;
    for (const String name : {"logo.png", "logo_v2b.png", "logo_.png"})
    {
        log.Clear();
        ProbeActor actor;
        actor.LoadSpriteFrames(dir.File(name));
        EXPECT_EQ(log.Lines(),
                  (StringList{badFormat, "Attempting to load single texture: " + dir.File(name)}))
            << name;
        EXPECT_EQ(LoadedSeries(actor), std::vector<int>{expectedSeries++}) << name;
    }

    log.Clear();
    ProbeActor missing;
    missing.LoadSpriteFrames(dir.File("nothing.png"));
    EXPECT_EQ(
        log.Lines(),
        (StringList{badFormat, "Attempting to load single texture: " + dir.File("nothing.png"),
                    "Failed to find - " + dir.File("nothing.png")}));
    EXPECT_EQ(missing.FrameCount(), 0);
}

TEST_F(SpriteLoadingTest, TheCacheKeepsOneTexturePerFileName)
{
    TempDir dir;
    ASSERT_TRUE(WriteSolidPng(dir.File("grass.png"), 4, 4, FrameColour(7)));
    ASSERT_TRUE(WriteSolidPng(dir.File("grass-copy.png"), 4, 4, FrameColour(7)));

    const int first = GetTextureReference(dir.File("grass.png"), GL_REPEAT, GL_NEAREST, false);
    ASSERT_GT(first, 0);
    EXPECT_EQ(GetTextureReference(dir.File("grass.png"), GL_CLAMP, GL_LINEAR, false), first);
    GLint wrap = 0, filter = 0;
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(first));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &filter);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(wrap, GL_REPEAT) << "the first load's modes stay";
    EXPECT_EQ(filter, GL_NEAREST);

    EXPECT_NE(GetTextureReference(dir.File("grass-copy.png"), GL_REPEAT, GL_NEAREST, false), first);

    ProbeActor a, b;
    EXPECT_TRUE(a.SetSprite(dir.File("grass.png"), 2));
    EXPECT_TRUE(b.SetSprite(dir.File("grass.png")));
    EXPECT_EQ(a.GetSpriteTexture(2), first);
    EXPECT_EQ(b.GetSpriteTexture(0), first);
    EXPECT_EQ(a.FrameCount(), 3);
    EXPECT_EQ(a.GetSpriteTexture(0), -1);
}

TEST_F(SpriteLoadingTest, FailedLoadsAreLoggedUnlessOptionalAndNotCached)
{
    TempDir dir;
    const String late = dir.File("late.png");
    LogCapture& log = LogCapture::Get();

    log.Clear();
    EXPECT_EQ(GetTextureReference(late, GL_CLAMP, GL_LINEAR, true), -1);
    EXPECT_TRUE(log.Lines().empty());
    ProbeActor actor;
    EXPECT_FALSE(actor.SetSprite(late, 3));
    EXPECT_EQ(log.Lines(), StringList{"Failed to find - " + late});
    EXPECT_EQ(actor.FrameCount(), 0) << "a failed SetSprite leaves the actor as it was";

    ASSERT_TRUE(WriteSolidPng(late, 2, 2, FrameColour(5)));
    EXPECT_TRUE(actor.SetSprite(late));
    EXPECT_EQ(SeriesNumberOf(actor.GetSpriteTexture(0)), 5) << "the failure was not cached";

    // Not a picture at all.
    const String junk = dir.File("junk.png");
    std::FILE* file = std::fopen(junk.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("this is not a png", file);
    std::fclose(file);
    log.Clear();
    EXPECT_EQ(GetTextureReference(junk, GL_CLAMP, GL_LINEAR, false), -1);
    EXPECT_EQ(log.Lines(), StringList{"Failed to find - " + junk});
}

TEST_F(SpriteLoadingTest, PixelsArriveUnchangedWhateverTheImageFormat)
{
    TempDir dir;
    const Rgba teal{20, 160, 140, 255};
    ASSERT_TRUE(WriteSolidPng(dir.File("odd.png"), 3, 3, teal));
    ASSERT_TRUE(WritePalettePngWithTransparency(dir.File("palette.png"), 8, 4, teal));
    ASSERT_TRUE(WriteHalfTransparentPng(dir.File("half.png"), 8, 4, teal));

    // 3-pixel rows are padded to 4 bytes in FreeImage; a caller's tight unpack alignment
    // (font code sets 1) must not shear them.
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    const TextureImage odd =
        ReadTexture(GetTextureReference(dir.File("odd.png"), GL_CLAMP, GL_NEAREST, false));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    ASSERT_GT(odd.width, 0);
    for (int y = 0; y < odd.height; ++y)
        for (int x = 0; x < odd.width; ++x)
        {
            const Rgba texel = odd.At(x, y);
            ASSERT_EQ(texel.r, teal.r) << x << "," << y;
            ASSERT_EQ(texel.g, teal.g) << x << "," << y;
            ASSERT_EQ(texel.b, teal.b) << x << "," << y;
        }

    for (const String name : {"palette.png", "half.png"})
    {
        const TextureImage image =
            ReadTexture(GetTextureReference(dir.File(name), GL_CLAMP, GL_NEAREST, false));
        ASSERT_EQ(image.width, 8) << name;
        ASSERT_EQ(image.height, 4) << name;
        for (int y = 0; y < 4; ++y)
        {
            EXPECT_EQ(image.At(1, y).a, 0) << name << ": left half transparent";
            const Rgba right = image.At(6, y);
            EXPECT_EQ(right.a, 255) << name;
            EXPECT_EQ(right.r, teal.r) << name;
            EXPECT_EQ(right.g, teal.g) << name;
            EXPECT_EQ(right.b, teal.b) << name;
        }
    }
}
