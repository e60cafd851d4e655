// Needs an X display (run under Xvfb). Automatic players that act only by touching: every bark
// is a TUIO bundle sent over loopback to the game's client, turned into a touch message by the
// manager and into a bark by the running screen. Frames last 1/30 s of game time.
#include "engine/actors/PhysicsActor.h"
#include "engine/actors/TextActor.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/MathUtil.h"
#include "game/TuioScreenSheeps.h"
#include "tests/game/GameTestSupport.h"

#include <box2d/b2_distance.h>
#include <box2d/box2d.h>

#include <cstdio>
#include <functional>
#include <queue>

namespace
{

constexpr int kFramesPerSecond = 30;

/// The field as a player sees it: for each quarter-unit cell, the cost of the way from there
/// to the meadow, round walls, bushes and dogs and well away from fires.
class WayMap
{
public:
    WayMap() : m_min(Camera::GetInstance()->GetWorldMinVertex())
    {
        const Vector2 max = Camera::GetInstance()->GetWorldMaxVertex();
        m_columns = static_cast<int>((max.X - m_min.X) / kCell);
        const int cells = m_columns * static_cast<int>((max.Y - m_min.Y) / kCell);
        std::vector<const b2Fixture*> solids;
        const b2Fixture* meadow = nullptr;
        for (Actor* actor : TagCollection::GetInstance()->GetObjectsTagged("levelactor"))
            if (auto* piece = dynamic_cast<PhysicsActor*>(actor))
            {
                const b2Fixture* fixture = piece->GetBody()->GetFixtureList();
                if (piece->GetName() == "Wiese")
                    meadow = fixture;
                else if (piece->IsTagged("sheepdestroyer"))
                    m_fires.push_back(fixture);
                else if (!fixture->IsSensor())
                    solids.push_back(fixture);
            }
        std::vector<float> cost(cells, kNoWay);
        m_way.assign(cells, kNoWay);
        std::priority_queue<std::pair<float, int>, std::vector<std::pair<float, int>>,
                            std::greater<>>
            open;
        for (int cell = 0; cell < cells; ++cell)
        {
            const Vector2 p = Centre(cell);
            float solid = std::min({p.X - m_min.X, max.X - p.X, p.Y - m_min.Y, max.Y - p.Y});
            for (const b2Fixture* fixture : solids)
                solid = std::min(solid, Distance(fixture, p));
            const float fire = ToFire(p);
            if (solid < 0.6f || fire < 0.8f)
                continue;
            cost[cell] = 1.0f + 6.0f * std::max(0.0f, 3.0f - fire) + std::max(0.0f, 1.5f - solid);
            if (meadow->TestPoint(b2Vec2(p.X, p.Y)))
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
        const int cell = static_cast<int>((p.Y - m_min.Y) / kCell) * m_columns + c;
        return c < 0 || c >= m_columns || cell < 0 || cell >= static_cast<int>(m_way.size())
                   ? kNoWay
                   : m_way[cell];
    }

    /// The unit direction that lowers the way's cost the most, a few units ahead; or zero.
    Vector2 Downhill(const Vector2& p) const
    {
        for (float ahead : {1.0f, 1.75f, 2.5f})
        {
            Vector2 best = Vector2::Zero;
            for (int i = 0; i < 32; ++i)
                if (At(p + MathUtil::VectorFromAngle(i * 11.25f) * ahead) < At(p + best * ahead))
                    best = MathUtil::VectorFromAngle(i * 11.25f);
            if (best != Vector2::Zero)
                return best;
        }
        return Vector2::Zero;
    }

    /// The distance from p to the nearest fire, and the way to that fire's centre.
    float ToFire(const Vector2& p, Vector2* way = nullptr) const
    {
        float nearest = kNoWay;
        for (const b2Fixture* fire : m_fires)
            if (Distance(fire, p) < nearest)
            {
                nearest = Distance(fire, p);
                if (way)
                    *way = Vector2(fire->GetBody()->GetPosition().x - p.X,
                                   fire->GetBody()->GetPosition().y - p.Y);
            }
        return nearest;
    }

private:
    static constexpr float kCell = 0.25f;
    static constexpr float kNoWay = 1e9f;

    Vector2 Centre(int cell) const
    {
        return m_min + Vector2(cell % m_columns + 0.5f, cell / m_columns + 0.5f) * kCell;
    }
    /// From p to the fixture's shape; 0 inside.
    static float Distance(const b2Fixture* fixture, const Vector2& p)
    {
        b2CircleShape point;
        point.m_radius = 0.0f;
        b2DistanceInput input;
        input.proxyA.Set(fixture->GetShape(), 0);
        input.proxyB.Set(&point, 0);
        input.transformA = fixture->GetBody()->GetTransform();
        input.transformB.Set(b2Vec2(p.X, p.Y), 0.0f);
        input.useRadii = true;
        b2SimplexCache cache{};
        b2DistanceOutput output;
        b2Distance(&output, &cache, &input);
        return output.distance;
    }

    Vector2 m_min;
    int m_columns;
    std::vector<float> m_way;
    std::vector<const b2Fixture*> m_fires;
};

class HerderTest : public GameTest
{
protected:
    /// Plays frames until done or seconds have passed, every sixth frame barking behind the
    /// free sheep with the largest need(position), at the distance that pushes it towards
    /// heading(position) at three units a second. Returns the frames played.
    int Play(int seconds, const std::function<float(const Vector2&)>& need,
             const std::function<Vector2(const Vector2&)>& heading,
             const std::function<bool()>& done)
    {
        int frame = 0;
        for (bool touching = false; frame < seconds * kFramesPerSecond && !done(); ++frame)
        {
            if (touching)
            {
                EXPECT_TRUE(Touch({}, {})) << "lifting the finger";
            }
            touching = false;
            const PhysicsActor* target = nullptr;
            for (int i = 0; i < TuioScreenSheeps::kSheepCount; ++i)
                if (const PhysicsActor* sheep = Running<TuioScreenSheeps>()->GetSheep(i))
                    if (!target || need(sheep->GetPosition()) > need(target->GetPosition()))
                        target = sheep;
            const b2Vec2 v = target ? target->GetBody()->GetLinearVelocity() : b2Vec2(0, 0);
            const Vector2 change =
                target ? heading(target->GetPosition()) * 3.0f - Vector2(v.x, v.y) : Vector2::Zero;
            const float impulse = change.Length() * 1.8f; // the sheep's mass
            if (frame % 6 == 0 && impulse > 0.5f)
            {
                // A bark d units away pushes by 5 - d.
                const Vector2 pixel = MathUtil::WorldToScreen(
                    target->GetPosition() -
                    Vector2::Normalize(change) * std::clamp(5.0f - impulse, 0.4f, 4.9f));
                EXPECT_TRUE(
                    Touch({frame + 1}, {{frame + 1, std::clamp(pixel.X / 1024, 0.001f, 0.999f),
                                         std::clamp(pixel.Y / 768, 0.001f, 0.999f)}}));
                touching = true;
            }
            Tick();
        }
        return frame;
    }
};

int Burned(const TuioScreenSheeps& screen)
{
    int count = 0;
    for (int i = 0; i < TuioScreenSheeps::kSheepCount; ++i)
        count += screen.IsDead(i) ? 1 : 0;
    return count;
}

} // namespace

TEST_F(HerderTest, EveryLevelIsWonByTouchesAloneWithinThreeMinutes)
{
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
                    status.c_str(), Burned(screen));
        for (int frame = 0; frame <= 2 * kFramesPerSecond; ++frame) // the next level follows
            Tick();
    }
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 6) << "the farewell screen";
}

TEST_F(HerderTest, SheepDrivenIntoTheFireLoseAndTheLevelStartsAfresh)
{
    Tick({"MoveForwards", "MoveForwards"});
    TuioScreenSheeps& screen = *Running<TuioScreenSheeps>();
    const WayMap map;
    auto toFire = [&](const Vector2& p)
    {
        Vector2 way;
        map.ToFire(p, &way);
        return Vector2::Normalize(way);
    };
    Play(
        60, [&](const Vector2& p) { return -map.ToFire(p); }, toFire,
        [&] { return screen.IsFinished(); });
    ASSERT_TRUE(screen.IsFinished());
    EXPECT_GE(Burned(screen), 3);
    EXPECT_LE(screen.CountSavedSheep(), 7);
    const PhysicsActor* survivor = screen.GetSheep(0) ? screen.GetSheep(0) : screen.GetSheep(9);
    testing::internal::CaptureStdout();
    for (int frame = 1; frame < 2 * kFramesPerSecond; ++frame)
        Tick();
    EXPECT_EQ(screen.GetStatusText()->GetDisplayString(), "Not enough sheep left. restarting...");
    EXPECT_TRUE(survivor == screen.GetSheep(0) || survivor == screen.GetSheep(9));
    Tick();
    Tick();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "restarting\n");
    EXPECT_EQ(screen.GetStatusText()->GetDisplayString(), "00:00");
    EXPECT_EQ(Burned(screen), 0);
    for (int i = 0; i < TuioScreenSheeps::kSheepCount; ++i)
        EXPECT_NE(screen.GetSheep(i), nullptr);
}
