// Sprite frames and the animation step, with stand-in texture names (no GL needed).
#include "tests/actors/ActorTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
constexpr int kFirstTexture = 100;

/// An actor with frames 0 ... frames-1 holding texture names 100, 101, ...
class SpriteActor : public ProbeActor
{
public:
    explicit SpriteActor(int frames)
    {
        for (int i = 0; i < frames; ++i)
            SetSpriteTexture(kFirstTexture + i, i);
    }

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

TEST(SpriteAnimationTest, FrameSlotsAndClamping)
{
    SpriteActor actor(0);
    EXPECT_EQ(actor.FrameCount(), 0);
    EXPECT_EQ(actor.GetSpriteTexture(5), -1) << "no frames: every index clamps to 0";
    actor.PlaySpriteAnimation(0.1f, SAT_Loop, 3, 5);
    EXPECT_EQ(actor.CurrentFrame(), 0);
    EXPECT_EQ(actor.FramesOver(3, 0.25f), (std::vector<int>{0, 0, 0}));

    actor.SetSpriteTexture(7, 70);
    EXPECT_EQ(actor.FrameCount(), MAX_SPRITE_FRAMES) << "frame 70 clamps to the last slot";
    EXPECT_EQ(actor.GetSpriteTexture(63), 7);
    EXPECT_EQ(actor.GetSpriteTexture(1000), 7);
    EXPECT_EQ(actor.GetSpriteTexture(-4), -1);
}

TEST(SpriteAnimationTest, OneShotEndsWithOneCallbackInTheRightTick)
{
    SpriteActor actor(4);
    actor.PlaySpriteAnimation(0.25f, SAT_OneShot, 0, 3, "burn");
    EXPECT_TRUE(actor.IsSpriteAnimPlaying());

    actor.Update(0.375f);
    EXPECT_EQ(actor.CurrentFrame(), 1);
    actor.Update(0.375f);
    EXPECT_EQ(actor.CurrentFrame(), 2) << "a countdown of exactly 0 is no step";
    EXPECT_TRUE(actor.animCallbacks.empty());
    actor.Update(0.375f);
    EXPECT_EQ(actor.CurrentFrame(), 3);
    EXPECT_EQ(actor.animCallbacks, StringList{"burn"});

    actor.FramesOver(5, 0.375f);
    EXPECT_EQ(actor.CurrentFrame(), 3) << "stays on its end frame";
    EXPECT_EQ(actor.animCallbacks.size(), 1u) << "the callback comes once";
    EXPECT_TRUE(actor.IsSpriteAnimPlaying()) << "the delay stays set after the end";

    // A null name keeps the previous one; an unnamed one-shot calls nothing.
    actor.PlaySpriteAnimation(0.1f, SAT_OneShot, 1, 2);
    actor.FramesOver(3, 0.1f);
    EXPECT_EQ(actor.animCallbacks, (StringList{"burn", "burn"}));
    SpriteActor unnamed(3);
    unnamed.PlaySpriteAnimation(0.1f, SAT_OneShot, 0, 2);
    unnamed.FramesOver(5, 0.1f);
    EXPECT_TRUE(unnamed.animCallbacks.empty());
}

TEST(SpriteAnimationTest, LongTicksAdvanceSeveralFrames)
{
    SpriteActor actor(8);
    actor.PlaySpriteAnimation(0.1f, SAT_Loop, 0, 7);
    actor.Update(0.35f);
    EXPECT_EQ(actor.CurrentFrame(), 3);
    actor.Update(0.5f); // 0.05 left plus 0.5 is five more steps
    EXPECT_EQ(actor.CurrentFrame(), 0) << "7 wraps to the start";

    SpriteActor oneShot(4);
    oneShot.PlaySpriteAnimation(0.1f, SAT_OneShot, 0, 3, "whoosh");
    oneShot.Update(1.0f);
    EXPECT_EQ(oneShot.CurrentFrame(), 3);
    EXPECT_EQ(oneShot.animCallbacks, StringList{"whoosh"});
}

TEST(SpriteAnimationTest, LoopAndPingPongOrders)
{
    SpriteActor actor(8);
    actor.PlaySpriteAnimation(0.1f);
    EXPECT_EQ(actor.FramesOver(3, 0.15f), (std::vector<int>{0, 0, 0}))
        << "the defaults loop frame 0 alone";

    actor.PlaySpriteAnimation(0.1f, SAT_Loop, 1, 3);
    EXPECT_EQ(actor.FramesOver(5, 0.1001f), (std::vector<int>{2, 3, 1, 2, 3}));

    actor.PlaySpriteAnimation(0.1f, SAT_PingPong, 0, 3);
    EXPECT_EQ(actor.FramesOver(8, 0.1001f), (std::vector<int>{1, 2, 3, 2, 1, 0, 1, 2}));
}

TEST(SpriteAnimationTest, ReversedAndDegenerateRangesStayInsideTheirFrames)
{
    SpriteActor actor(8);
    actor.PlaySpriteAnimation(0.1f, SAT_Loop, 5, 2);
    EXPECT_EQ(actor.FramesOver(5, 0.1001f), (std::vector<int>{4, 3, 2, 5, 4}));

    actor.PlaySpriteAnimation(0.1f, SAT_PingPong, 3, 1);
    EXPECT_EQ(actor.FramesOver(6, 0.1001f), (std::vector<int>{2, 1, 2, 3, 2, 1}));

    actor.PlaySpriteAnimation(0.1f, SAT_PingPong, 6, 6);
    EXPECT_EQ(actor.FramesOver(3, 0.1001f), (std::vector<int>{6, 6, 6}));

    actor.PlaySpriteAnimation(0.1f, SAT_OneShot, 4, 2, "down");
    EXPECT_EQ(actor.FramesOver(3, 0.1001f), (std::vector<int>{3, 2, 2}));
    EXPECT_EQ(actor.animCallbacks, StringList{"down"});

    // A frame picked outside a running animation's range goes back to its start.
    actor.PlaySpriteAnimation(0.1f, SAT_Loop, 0, 3);
    actor.SetSpriteFrame(6);
    EXPECT_EQ(actor.FramesOver(2, 0.1001f), (std::vector<int>{0, 1}));
    actor.PlaySpriteAnimation(0.1f, SAT_OneShot, 0, 2);
    actor.SetSpriteFrame(7);
    EXPECT_EQ(actor.FramesOver(4, 0.1001f), (std::vector<int>{0, 1, 2, 2}));
}

TEST(SpriteAnimationTest, TinyDelaysDoNotStallTheUpdate)
{
    SpriteActor actor(4);
    actor.PlaySpriteAnimation(1e-30f, SAT_Loop, 0, 3);
    actor.Update(1.0f); // would never end if every step had to be counted out
    EXPECT_GE(actor.CurrentFrame(), 0);
    EXPECT_LE(actor.CurrentFrame(), 3);
    EXPECT_TRUE(actor.IsSpriteAnimPlaying());
}

TEST(SpriteAnimationTest, SetSpriteFrameAndClearSpriteInfo)
{
    LogCapture& log = LogCapture::Get();
    SpriteActor actor(8);
    actor.SetSpriteTexture(-1, 5);

    log.Clear();
    actor.SetSpriteFrame(5);
    EXPECT_EQ(actor.CurrentFrame(), 5) << "an empty slot is still shown";
    EXPECT_EQ(actor.CurrentTexture(), -1);
    EXPECT_EQ(log.Lines(), StringList{"setSpriteFrame() - Warning: frame(5) has an invalid "
                                      "texture reference."});

    log.Clear();
    actor.SetSpriteFrame(20);
    EXPECT_EQ(actor.CurrentFrame(), 7);
    EXPECT_EQ(actor.CurrentTexture(), kFirstTexture + 7);
    EXPECT_TRUE(log.Lines().empty());

    actor.PlaySpriteAnimation(0.1f, SAT_Loop, 0, 7);
    actor.ClearSpriteInfo();
    EXPECT_FALSE(actor.IsSpriteAnimPlaying());
    EXPECT_EQ(actor.CurrentFrame(), 0);
    EXPECT_EQ(actor.FrameCount(), 8) << "the count stays";
    for (int frame = 0; frame < 8; ++frame)
        EXPECT_EQ(actor.GetSpriteTexture(frame), -1) << "slot " << frame;
    actor.Update(1.0f);
    EXPECT_EQ(actor.CurrentFrame(), 0) << "a cleared animation does not step";
}
