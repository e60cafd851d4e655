// Needs an X display (run under Xvfb). Players that only touch: every bark is a TUIO bundle
// sent over loopback to the game's client. Frames last 1/30 s of game time.
#include "engine/actors/TextActor.h"
#include "game/TuioScreenSheeps.h"
#include "tests/game/GameTestSupport.h"

#include <box2d/box2d.h>

#include <cmath>
#include <cstdio>
#include <queue>

namespace
{

constexpr int kFramesPerSecond = 30;
constexpr float kCell = 0.25f, kNoWay = 1e9f;

/// From p to the box; 0 inside.
float Distance(const b2AABB& box, const Vector2& p)
{
    return std::hypot(std::max({box.lowerBound.x - p.X, 0.0f, p.X - box.upperBound.x}),
                      std::max({box.lowerBound.y - p.Y, 0.0f, p.Y - box.upperBound.y}));
}

/// The field as a player sees it: for each quarter-unit cell, the cost of the way from there
/// to the meadow, round walls and bushes and well away from fires (all taken as their boxes).
class WayMap
{
public:
    WayMap() : m_min(Camera::GetInstance()->GetWorldMinVertex())
    {
        const Vector2 max = Camera::GetInstance()->GetWorldMaxVertex();
        m_columns = static_cast<int>((max.X - m_min.X) / kCell);
        const int cells = m_columns * static_cast<int>((max.Y - m_min.Y) / kCell);
        std::vector<b2AABB> solids;
        b2AABB meadow = {b2Vec2(0.0f, 0.0f), b2Vec2(0.0f, 0.0f)};
        for (Actor* actor : TagCollection::GetInstance()->GetObjectsTagged("levelactor"))
            if (auto* piece = dynamic_cast<PhysicsActor*>(actor))
            {
                const b2Fixture* fixture = piece->GetBody()->GetFixtureList();
                if (piece->GetName() == "Wiese")
                    meadow = fixture->GetAABB(0);
                else if (piece->IsTagged("sheepdestroyer"))
                    m_fires.push_back(fixture->GetAABB(0));
                else if (!fixture->IsSensor())
                    solids.push_back(fixture->GetAABB(0));
            }
        std::vector<float> cost(cells, kNoWay);
        m_way.assign(cells, kNoWay);
        std::priority_queue<std::pair<float, int>, std::vector<std::pair<float, int>>,
                            std::greater<>>
            open;
        for (int cell = 0; cell < cells; ++cell)
        {
            const Vector2 p =
                m_min + Vector2(cell % m_columns + 0.5f, cell / m_columns + 0.5f) * kCell;
            float solid = std::min({p.X - m_min.X, max.X - p.X, p.Y - m_min.Y, max.Y - p.Y});
            for (const b2AABB& box : solids)
                solid = std::min(solid, Distance(box, p));
            const float fire = ToFire(p);
            if (solid < 0.6f || fire < 0.8f)
                continue;
            cost[cell] = 1.0f + 6.0f * std::max(0.0f, 3.0f - fire) + std::max(0.0f, 1.5f - solid);
            if (Distance(meadow, p) == 0.0f)
                open.push({m_way[cell] = 0.0f, cell});
        }
        while (!open.empty()) // Dijkstra from the meadow, eight neighbours
        {
            const auto [way, cell] = open.top();
            open.pop();
            for (int d = 0; d < 9 && way <= m_way[cell]; ++d)
            {
                const int c = cell % m_columns + d % 3 - 1,
                          next = cell + (d / 3 - 1) * m_columns + d % 3 - 1;
                if (c < 0 || c >= m_columns || next < 0 || next >= cells || cost[next] == kNoWay)
                    continue;
                const float step = (d % 2 ? 1.0f : 1.41f) * kCell * (cost[cell] + cost[next]) / 2;
                if (way + step < m_way[next])
                    open.push({m_way[next] = way + step, next});
            }
        }
    }

    float At(const Vector2& p) const
    {
        const int c = static_cast<int>((p.X - m_min.X) / kCell);
        const size_t cell = static_cast<int>((p.Y - m_min.Y) / kCell) * m_columns + c;
        return c < 0 || c >= m_columns || cell >= m_way.size() ? kNoWay : m_way[cell];
    }
    /// The unit direction that lowers the way's cost the most a unit and a half ahead; or zero.
    Vector2 Downhill(const Vector2& p) const
    {
        Vector2 best = Vector2::Zero;
        for (int i = 0; i < 32; ++i)
            if (At(p + MathUtil::VectorFromAngle(i * 11.25f) * 1.5f) < At(p + best * 1.5f))
                best = MathUtil::VectorFromAngle(i * 11.25f);
        return best;
    }
    /// The distance from p to the nearest fire.
    float ToFire(const Vector2& p) const
    {
        float nearest = kNoWay;
        for (const b2AABB& fire : m_fires)
            nearest = std::min(nearest, Distance(fire, p));
        return nearest;
    }

private:
    Vector2 m_min;
    int m_columns;
    std::vector<float> m_way;
    std::vector<b2AABB> m_fires;
};

class HerderTest : public ScreenTest
{
protected:
    /// Plays frames until done or seconds have passed, every sixth frame barking behind the free
    /// sheep of most need(position) so that it heads for heading(position) at 3 units a second.
    int Play(int seconds, const std::function<float(const Vector2&)>& need,
             const std::function<Vector2(const Vector2&)>& heading,
             const std::function<bool()>& done)
    {
        int frame = 0;
        for (bool touching = false; frame < seconds * kFramesPerSecond && !done(); ++frame, Tick())
        {
            EXPECT_TRUE(!std::exchange(touching, false) || Send({}, {})) << "lifting the finger";
            const PhysicsActor* target = nullptr;
            for (int i = 0; i < TuioScreenSheeps::kSheepCount; ++i)
                if (const PhysicsActor* sheep = Running<TuioScreenSheeps>()->GetSheep(i))
                    if (!target || need(sheep->GetPosition()) > need(target->GetPosition()))
                        target = sheep;
            if (target == nullptr || frame % 6 != 0)
                continue;
            const Vector2 change = heading(target->GetPosition()) * 3.0f - Velocity(target);
            const float impulse = change.Length() * 1.8f; // the sheep's mass
            if (impulse <= 0.5f)
                continue;
            // A bark d units away pushes by 5 - d.
            const Vector2 pixel = MathUtil::WorldToScreen(
                target->GetPosition() -
                Vector2::Normalize(change) * std::clamp(5.0f - impulse, 0.4f, 4.9f));
            EXPECT_TRUE(touching = Send({frame + 1},
                                        {{frame + 1, std::clamp(pixel.X / 1024, 0.001f, 0.999f),
                                          std::clamp(pixel.Y / 768, 0.001f, 0.999f)}}));
        }
        return frame;
    }
};

} // namespace

TEST_F(HerderTest, EveryLevelIsWonByTouchesAloneWithinThreeMinutes)
{
    StartManager();
    Tick({"MoveForwards"}); // Space on the start screen
    for (int level = 1; level <= 5; ++level)
    {
        ASSERT_EQ(manager->GetCurrentScreenIndex(), level);
        TuioScreenSheeps& screen = *Running<TuioScreenSheeps>();
        const WayMap map;
        const int frames = Play(
            180, [&](const Vector2& p) { return map.At(p); },
            [&](const Vector2& p) { return map.Downhill(p); },
            [&] { return screen.IsFinished() && screen.CountSavedSheep() >= 8; });
        const String status = screen.GetStatusText()->GetDisplayString();
        EXPECT_EQ(status.rfind("Well done! Time needed: ", 0), 0u) << screen.GetLevelName();
        std::printf("%-14s won after %5.1f s of game time (\"%s\"), %d sheep burned\n",
                    screen.GetLevelName().c_str(), frames / double(kFramesPerSecond),
                    status.c_str(), 10 - screen.CountFreeSheep() - screen.CountSavedSheep());
        for (int frame = 0; frame <= 2 * kFramesPerSecond; ++frame) // the next level follows
            Tick();
    }
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 6) << "the farewell screen";
}

TEST_F(HerderTest, SheepDrivenIntoTheFireLoseAndTheLevelStartsAfresh)
{
    StartManager();
    Tick({"MoveForwards", "MoveForwards"});
    TuioScreenSheeps& screen = *Running<TuioScreenSheeps>();
    const WayMap map;
    const Vector2 fire = Actor::GetNamed("Fire1")->GetPosition();
    Play(
        60, [&](const Vector2& p) { return -map.ToFire(p); },
        [&](const Vector2& p) { return Vector2::Normalize(fire - p); },
        [&] { return screen.IsFinished(); });
    ASSERT_TRUE(screen.IsFinished());
    EXPECT_GE(10 - screen.CountFreeSheep() - screen.CountSavedSheep(), 3) << "burned";
    for (int frame = 1; frame < 2 * kFramesPerSecond; ++frame)
        Tick();
    EXPECT_EQ(screen.GetStatusText()->GetDisplayString(), "Not enough sheep left. restarting...");
    Tick();
    Tick();
    EXPECT_EQ(screen.GetStatusText()->GetDisplayString(), "00:00");
    for (int i = 0; i < TuioScreenSheeps::kSheepCount; ++i)
        EXPECT_TRUE(screen.GetSheep(i) && !screen.IsDead(i)) << "ten new sheep";
}
