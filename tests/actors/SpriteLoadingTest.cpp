// Needs an X display (run under Xvfb): textures live in the window's GL context.
#include "engine/actors/Textures.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ProbeActor.h"
#include "tests/support/TempDir.h"
#include "tests/support/WorldWindow.h"

#include <cstdio>
#include <numeric>

namespace
{

/// Writes prefix + n + ".png" for n in first ... last, padded to width digits, of red n.
void WriteSeries(const TempDir& dir, const String& prefix, int first, int last, int width)
{
    for (int n = first; n <= last; ++n)
    {
        char name[64];
        std::snprintf(name, sizeof name, "%s%0*d.png", prefix.c_str(), width, n);
        WritePicture(dir.File(name), 2, 2, [n](int, int) { return n << 16; });
    }
}

/// The red channel (the picture number) of each loaded frame, -1 for an empty frame.
std::vector<int> LoadedNumbers(const ProbeActor& actor)
{
    std::vector<int> shown;
    for (int frame = 0; frame < actor.FrameCount(); ++frame)
    {
        unsigned char rgba[4 * 4 * 4] = {}; // the largest picture here is 4 x 4
        const int texture = actor.GetSpriteTexture(frame);
        if (texture >= 0)
        {
            glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
            glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        }
        shown.push_back(texture < 0 ? -1 : rgba[0]);
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

TEST_F(SpriteLoadingTest, NumberedSeriesLoadUpToTheFirstMissingNumberAndTexturesAreCached)
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
    EXPECT_EQ(LoadedNumbers(actor).size(), 64u);
    EXPECT_EQ(log.Take(), (StringList{"Maximum number of frames reached (64). Bailing out...",
                                      "Increment MAX_SPRITE_FRAMES if you need more."}));

    // Other names load as one texture; a failed load is not cached, a successful one is.
    const String logo = dir.File("logo_.png");
    StringList single{"LoadSpriteFrames() - Bad Format - Expecting somename_###.ext",
                      "Attempting to load single texture: " + logo};
    actor.LoadSpriteFrames(logo);
    EXPECT_EQ(log.Take(), (StringList{single[0], single[1], "Failed to find - " + logo}));
    EXPECT_TRUE(LoadedNumbers(actor).empty());
    WritePicture(logo, 2, 2, [](int, int) { return 7 << 16; });
    actor.LoadSpriteFrames(logo);
    EXPECT_EQ(log.Take(), single);
    EXPECT_EQ(LoadedNumbers(actor), std::vector<int>{7});
    EXPECT_EQ(GetTextureReference(logo, GL_REPEAT, GL_NEAREST, false), actor.GetSpriteTexture(0));

    // Failures are logged unless optional and leave the actor as it was.
    ProbeActor other;
    EXPECT_TRUE(other.SetSprite(logo, 2));
    EXPECT_EQ(LoadedNumbers(other), (std::vector<int>{-1, -1, 7}));
    std::ofstream(dir.File("junk.png")) << "not a picture";
    EXPECT_EQ(GetTextureReference(dir.File("late.png"), GL_CLAMP, GL_LINEAR, true), -1);
    EXPECT_FALSE(other.SetSprite(dir.File("junk.png"), 5));
    EXPECT_EQ(other.FrameCount(), 3);
    EXPECT_EQ(log.Take(), StringList{"Failed to find - " + dir.File("junk.png")});
}
