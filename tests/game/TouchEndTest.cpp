// Needs an X display (run under Xvfb). Every way a touch can end, through the TUIO client and
// the manager as in the programs: no touch that is over keeps a finger actor on any screen.
#include "tests/game/FedScreenTest.h"

namespace
{

class EveryScreenTouchEndTest : public FedScreenTest, public testing::WithParamInterface<int>
{
};

} // namespace

// Every screen of both programs (0-6 the game's, 7-16 the further screens', which make fingers):
// touches "set" but never named alive, lifted at each edge of the table, lifted after the screen
// started again, ended in a late frame or brought back by one leave no finger, and a touch
// afterwards gets its finger as before.
TEST_P(EveryScreenTouchEndTest, NoTouchThatIsOverKeepsAFinger)
{
    using TuioTest::CursorBundle;
    const String name = ManageOnly(GetParam());
    Tick();
    const bool makesFingers = GetParam() >= 7;
    const auto down = [this](int session, float x, float y, int frame) {
        Feed(CursorBundle({session}, {{session, x, y}}, frame)), Tick();
    };
    const auto upAll = [this](int frame) { Feed(CursorBundle({}, {}, frame)), Tick(); };
    const auto liftedAt = [&](float x, float y)
    {
        return [&, x, y]
        {
            const int session = NewSession();
            down(session, 0.5f, 0.5f, NextFrame());
            down(session, x, y, NextFrame());
            upAll(NextFrame());
        };
    };
    const struct
    {
        const char* how;
        std::function<void()> play;
    } ends[] = {
        {"set but never alive",
         [&]
         {
             for (int i = 0; i < FingerActors::kMaxFingers; ++i)
                 Feed(CursorBundle({}, {{NewSession(), 0.5f, 0.5f}}, NextFrame()));
             Tick();
         }},
        {"lifted at the left edge", liftedAt(0.0f, 0.5f)},
        {"lifted at the right edge", liftedAt(1.0f, 0.5f)},
        {"lifted at the top edge", liftedAt(0.5f, 0.0f)},
        {"lifted at the bottom edge", liftedAt(0.5f, 1.0f)},
        {"lifted after a restart",
         [&]
         {
             down(NewSession(), 0.5f, 0.5f, NextFrame());
             testing::internal::CaptureStdout(); // "restarting"
             Tick({"Restart"});
             testing::internal::GetCapturedStdout();
             upAll(NextFrame());
         }},
        {"ended in a late frame",
         [&]
         {
             const int frame = NextFrame();
             down(NewSession(), 0.5f, 0.5f, frame);
             upAll(frame - 1);
         }},
        {"brought back by a late frame",
         [&]
         {
             const int session = NewSession(), frame = NextFrame();
             down(session, 0.5f, 0.5f, frame);
             upAll(NextFrame());
             down(session, 0.5f, 0.5f, frame);
         }},
    };
    for (const auto& end : ends)
    {
        end.play();
        EXPECT_EQ(Fingers(), 0) << name << ": " << end.how;
        Press(0.4f, 0.6f);
        Tick();
        EXPECT_EQ(Fingers(), makesFingers ? 1 : 0) << name << ": after " << end.how;
        LiftAll();
        Tick();
    }
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, EveryScreenTouchEndTest, testing::Range(0, 17));
