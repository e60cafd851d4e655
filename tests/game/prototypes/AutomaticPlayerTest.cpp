// Needs an X display (run under Xvfb).
#include "engine/actors/TextActor.h"
#include "game/prototypes/TuioScreenFungus.h"
#include "game/prototypes/TuioScreenFungusLevels.h"
#include "tests/game/prototypes/PrototypesTestSupport.h"

namespace
{

/// Plays the real levels by touches alone: three times a second it bursts the red fungus with
/// two or more roots that is nearest to food not yet infested, its finger moving towards the
/// food. True once won() holds, false after five minutes of play.
class AutomaticPlayerTest : public PrototypeTest
{
protected:
    bool Play(const std::function<bool()>& won)
    {
        for (int frame = 0; frame < 60 * 300 && !won(); ++frame)
        {
            clock.Advance(1.0 / 60.0);
            world->Tick(true);
            if (frame % 20 == 2) // the finger has touched in the physics steps since
                Touch("TuioCursorRemoved", 1, 0.5f, 0.5f);
            Actor* best = nullptr;
            Vector2 way;
            for (Actor* food : Live("food"))
                for (Actor* fungus : Live("fungus, popable"))
                {
                    const Vector2 to = food->GetPosition() - fungus->GetPosition();
                    if (frame % 20 == 0 && !food->IsTagged("infested") && Roots(fungus) >= 2 &&
                        (!best || to.Length() < way.Length()))
                        best = fungus, way = to;
                }
            if (best == nullptr)
                continue;
            const Vector2 at = MathUtil::WorldToScreen(best->GetPosition());
            const Vector2 speed = Vector2::Normalize(way) * 0.3f;
            Touch("TuioCursorAdded", 1, at.X / Picture::kWidth, at.Y / Picture::kHeight, speed.X,
                  -speed.Y);
        }
        return won();
    }
};

} // namespace

TEST_F(AutomaticPlayerTest, EveryLevelIsWonByTouchesAlone)
{
    auto* fungi = Run(new TuioScreenFungus("fungus_level"));
    EXPECT_TRUE(Play(
        [&]
        { return fungi->GetStatusText()->GetDisplayString() == "All food infested. Well done!"; }));
    TearDown();
    SetUp();

    auto* levels = Run(new TuioScreenFungusLevels("flower_level"));
    int changes = 0;
    EXPECT_TRUE(Play(
        [&, level = 0]() mutable
        {
            changes += levels->GetCurrentLevel() != level;
            level = levels->GetCurrentLevel();
            return changes == 3;
        }));
}
