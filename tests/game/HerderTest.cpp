// Needs an X display (run under Xvfb). Automatic players that act only by touching: every bark
// is a TUIO bundle sent over loopback to the game's client, turned into a touch message by the
// manager and into a bark by the running screen. Frames last 1/30 s of game time.
#include "engine/actors/PhysicsActor.h"
#include "engine/actors/TextActor.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/MathUtil.h"
#include "game/TuioScreenSheeps.h"
#include "tests/game/GameTestSupport.h"

#include <box2d/box2d.h>

#include <cstdio>
#include <functional>
#include <optional>
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
        m_rows = static_cast<int>((max.Y - m_min.Y) / kCell);
        Piece meadow;
        std::vector<Piece> solids;
        for (Actor* actor : TagCollection::GetInstance()->GetObjectsTagged("levelactor"))
            if (auto* piece = dynamic_cast<PhysicsActor*>(actor))
            {
                const b2Fixture* fixture = piece->GetBody()->GetFixtureList();
                const Piece shape{piece->GetPosition(), piece->GetSize() * 0.5f,
                                  MathUtil::ToRadians(piece->GetRotation()),
                                  fixture->GetType() == b2Shape::e_circle};
                if (piece->GetName() == "Wiese")
                    meadow = shape;
                else if (piece->IsTagged("sheepdestroyer"))
                    fires.push_back(shape);
                else if (!fixture->IsSensor())
                    solids.push_back(shape);
            }
        std::vector<float> cost(m_columns * m_rows, kNoWay);
        m_way.assign(cost.size(), kNoWay);
        std::priority_queue<std::pair<float, int>, std::vector<std::pair<float, int>>,
                            std::greater<>>
            open;
        for (int cell = 0; cell < m_columns * m_rows; ++cell)
        {
            const Vector2 p =
                m_min + Vector2(cell % m_columns + 0.5f, cell / m_columns + 0.5f) * kCell;
            float solid = std::min({p.X - m_min.X, max.X - p.X, p.Y - m_min.Y, max.Y - p.Y});
            for (const Piece& piece : solids)
                solid = std::min(solid, piece.Distance(p));
            const float fire = FireDistance(p);
            if (solid < 0.6f || fire < 0.8f)
                continue;
            cost[cell] = 1.0f + 6.0f * std::max(0.0f, 3.0f - fire) + std::max(0.0f, 1.5f - solid);
            if (meadow.Distance(p) < -0.25f)
                open.push({m_way[cell] = 0.0f, cell});
        }
        while (!open.empty()) // Dijkstra from the meadow, eight neighbours
        {
            const auto [way, cell] = open.top();
            open.pop();
            for (int d = 0; d < 9 && way <= m_way[cell]; ++d)
            {
                const int c = cell % m_columns + d % 3 - 1, r = cell / m_columns + d / 3 - 1;
                const int next = r * m_columns + c;
                if (c < 0 || r < 0 || c >= m_columns || r >= m_rows || cost[next] == kNoWay)
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
        const int r = static_cast<int>((p.Y - m_min.Y) / kCell);
        return c < 0 || r < 0 || c >= m_columns || r >= m_rows ? kNoWay : m_way[r * m_columns + c];
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

    struct Piece
    {
        Vector2 centre, half;
        float angle = 0.0f;
        bool circle = false;
        /// To the edge, negative inside.
        float Distance(const Vector2& p) const
        {
            const Vector2 local = Vector2::Rotate(p - centre, -angle);
            if (circle)
                return local.Length() - half.X;
            const float dx = std::fabs(local.X) - half.X, dy = std::fabs(local.Y) - half.Y;
            return dx > 0.0f && dy > 0.0f ? std::hypot(dx, dy) : std::max(dx, dy);
        }
    };
    float FireDistance(const Vector2& p) const
    {
        float nearest = kNoWay;
        for (const Piece& fire : fires)
            nearest = std::min(nearest, fire.Distance(p));
        return nearest;
    }
    std::vector<Piece> fires;

private:
    static constexpr float kCell = 0.25f;
    static constexpr float kNoWay = 1e9f;
    Vector2 m_min;
    int m_columns, m_rows;
    std::vector<float> m_way;
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
        int frame = 0, session = 0;
        for (; frame < seconds * kFramesPerSecond && !done(); ++frame)
        {
            TuioScreenSheeps* screen = Running<TuioScreenSheeps>();
            const PhysicsActor* target = nullptr;
            for (int i = 0; i < TuioScreenSheeps::kSheepCount; ++i)
                if (const PhysicsActor* sheep = screen->GetSheep(i))
                    if (!target || need(sheep->GetPosition()) > need(target->GetPosition()))
                        target = sheep;
            if (session > 0)
                EXPECT_TRUE(Touch({}, {})) << "lift the last finger";
            session = 0;
            if (target && frame % 6 == 0)
            {
                const b2Vec2 v = target->GetBody()->GetLinearVelocity();
                const Vector2 change = heading(target->GetPosition()) * 3.0f - Vector2(v.x, v.y);
                const float impulse = change.Length() * 1.8f; // the sheep's mass
                if (impulse > 0.5f)
                {
                    // A bark d units away pushes by 5 - d.
                    const Vector2 at =
                        target->GetPosition() -
                        Vector2::Normalize(change) * std::clamp(5.0f - impulse, 0.4f, 4.9f);
                    const Vector2 pixel = MathUtil::WorldToScreen(at);
                    session = 1 + frame;
                    EXPECT_TRUE(
                        Touch({session}, {{session, std::clamp(pixel.X / 1024, 0.001f, 0.999f),
                                           std::clamp(pixel.Y / 768, 0.001f, 0.999f)}}));
                    ++barks;
                }
            }
            Tick();
        }
        return frame;
    }

    int barks = 0;
};

int Count(const TuioScreenSheeps& screen, bool (TuioScreenSheeps::*flag)(int) const)
{
    int count = 0;
    for (int i = 0; i < TuioScreenSheeps::kSheepCount; ++i)
        count += (screen.*flag)(i) ? 1 : 0;
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
        ASSERT_NE(screen.GetCounterText(), nullptr) << screen.GetLevelName() << " is broken";
        const WayMap map;
        int losses = 0;
        bool lost = false;
        barks = 0;
        const int frames = Play(
            180, [&](const Vector2& p) { return map.At(p); },
            [&](const Vector2& p) { return map.Downhill(p); },
            [&]
            {
                const bool won = screen.IsFinished() && screen.CountSavedSheep() >= 8;
                losses += screen.IsFinished() && !won && !lost;
                lost = screen.IsFinished() && !won;
                return won;
            });
        const String status = screen.GetStatusText()->GetDisplayString();
        EXPECT_EQ(status.rfind("Well done! Time needed: ", 0), 0u) << screen.GetLevelName();
        std::printf("%-14s won after %5.1f s of game time (\"%s\"), %d barks, %d burned, %d "
                    "rounds lost first\n",
                    screen.GetLevelName().c_str(), frames / double(kFramesPerSecond),
                    status.c_str(), barks, Count(screen, &TuioScreenSheeps::IsDead), losses);
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
    auto fire = [&](const Vector2& p)
    {
        const WayMap::Piece* nearest = &map.fires.front();
        for (const WayMap::Piece& f : map.fires)
            if (f.Distance(p) < nearest->Distance(p))
                nearest = &f;
        return Vector2::Normalize(nearest->centre - p);
    };
    Play(
        60, [&](const Vector2& p) { return -map.FireDistance(p); }, fire,
        [&] { return screen.IsFinished(); });
    ASSERT_TRUE(screen.IsFinished());
    EXPECT_GE(Count(screen, &TuioScreenSheeps::IsDead), 3);
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
    EXPECT_EQ(Count(screen, &TuioScreenSheeps::IsDead), 0);
    for (int i = 0; i < TuioScreenSheeps::kSheepCount; ++i)
        EXPECT_NE(screen.GetSheep(i), nullptr);
}
