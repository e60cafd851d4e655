// Sprite frames and the animation step, with stand-in texture names (no GL needed).
#include "tests/support/ProbeActor.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
/// An actor whose frames 0 ... frames-1 hold texture names 100, 101, ...
class SpriteActor : public ProbeActor
{
public:
    explicit SpriteActor(int frames)
    {
        for (int i = 0; i < frames; ++i)
            SetSpriteTexture(100 + i, i);
    }
    /// The frame shown after each of ticks updates of dt.
    std::vector<int> FramesOver(int ticks, float dt)
    {
        std::vector<int> shown;
        for (int i = 0; i < ticks; ++i)
        {
            Update(dt);
            shown.push_back(CurrentFrame());
        }
        return shown;
    }
};
} // namespace

TEST(SpriteAnimationTest, EachKindAndRangeStepsThroughItsFrames)
{
    struct Case
    {
        const char* what;
        spriteAnimationType type;
        int start, end;
        float delay, dt;
        std::vector<int> frames;
    };
    const Case cases[] = {
        {"defaults: frame 0 alone", SAT_Loop, -1, -1, 0.1f, 0.15f, {0, 0, 0}},
        {"loop", SAT_Loop, 1, 3, 0.1f, 0.1001f, {2, 3, 1, 2, 3}},
        {"ping-pong", SAT_PingPong, 0, 3, 0.1f, 0.1001f, {1, 2, 3, 2, 1, 0, 1, 2}},
        {"reversed loop", SAT_Loop, 5, 2, 0.1f, 0.1001f, {4, 3, 2, 5, 4}},
        {"reversed one-shot", SAT_OneShot, 4, 2, 0.1f, 0.1001f, {3, 2, 2}},
        // Ticks of 2.5 delays step two or three frames; a countdown at exactly 0 is no step.
        {"long ticks", SAT_Loop, 0, 7, 0.25f, 0.625f, {2, 4, 7, 1}},
        {"one tick past every delay", SAT_OneShot, 0, 3, 0.1f, 1.0f, {3}},
    };
    for (const Case& c : cases)
    {
        SpriteActor actor(8);
        actor.PlaySpriteAnimation(c.delay, c.type, c.start, c.end);
        EXPECT_EQ(actor.FramesOver(static_cast<int>(c.frames.size()), c.dt), c.frames) << c.what;
        EXPECT_TRUE(actor.animCallbacks.empty()) << c.what << ": unnamed, so nothing is called";
    }
}

TEST(SpriteAnimationTest, AOneShotStopsOnItsEndFrameWithOneCallback)
{
    SpriteActor actor(4);
    actor.PlaySpriteAnimation(0.25f, SAT_OneShot, 0, 3, "burn");
    EXPECT_EQ(actor.FramesOver(2, 0.375f), (std::vector<int>{1, 2}));
    EXPECT_TRUE(actor.animCallbacks.empty());
    actor.Update(0.375f);
    EXPECT_EQ(actor.animCallbacks, StringList{"burn"}) << "in the tick that reached the end";
    EXPECT_EQ(actor.FramesOver(3, 0.375f), std::vector<int>(3, 3));
    EXPECT_EQ(actor.animCallbacks.size(), 1u) << "the callback comes once";

    // A null name keeps the last one.
    actor.PlaySpriteAnimation(0.1f, SAT_OneShot, 0, 3);
    actor.Update(1.0f);
    EXPECT_EQ(actor.animCallbacks, (StringList{"burn", "burn"}));
}

TEST(SpriteAnimationTest, FramesAreClampedAndTinyDelaysDoNotStall)
{
    SpriteActor empty(0);
    empty.SetSpriteTexture(7, 70);
    EXPECT_EQ(empty.FrameCount(), MAX_SPRITE_FRAMES) << "frame 70 clamps to the last slot";
    EXPECT_EQ(empty.GetSpriteTexture(1000), 7);

    SpriteActor actor(8);
    actor.PlaySpriteAnimation(1e-30f, SAT_Loop, 0, 3);
    actor.Update(1.0f);
    EXPECT_LE(actor.CurrentFrame(), 3);
}
