// Needs an X display (run under Xvfb): the Box2D debug drawer and the grid overlay on screen.
#include "engine/world/NavGraph.h"
#include "engine/world/NavGraphManager.h"
#include "engine/world/box2d/DebugDraw.h"
#include "tests/support/WorldWindow.h"

namespace
{

class DebugDrawPictureTest : public WorldWindowTest
{
protected:
    void TearDown() override
    {
        NavGraphManager::GetInstance()->SetGraph(nullptr);
        NavGraphManager::GetInstance()->SetShows(false, false, false, false, false);
        glEnable(GL_BLEND); // the debug drawer leaves blending off, as Box2D's testbed did
        WorldWindowTest::TearDown();
    }
};

// World to window pixels with the reset camera: 38.4 pixels per unit, origin at the centre.
int PixelX(float x)
{
    return static_cast<int>(512 + x * 38.4f);
}
int PixelY(float y)
{
    return static_cast<int>(384 - y * 38.4f);
}

} // namespace

TEST_F(DebugDrawPictureTest, SolidShapesAreTranslucentFillsInHalfTheColour)
{
    DebugDraw drawer;
    world->Add(new DrawHook(
        [&drawer]
        {
            const b2Vec2 square[] = {b2Vec2(-6.0f, -2.0f), b2Vec2(-2.0f, -2.0f),
                                     b2Vec2(-2.0f, 2.0f), b2Vec2(-6.0f, 2.0f)};
            drawer.DrawSolidPolygon(square, 4, b2Color(1.0f, 0.0f, 0.0f));
            glEnable(GL_BLEND);
            drawer.DrawSolidCircle(b2Vec2(4.0f, 0.0f), 2.0f, b2Vec2(1.0f, 0.0f),
                                   b2Color(0.0f, 0.0f, 1.0f));
            glEnable(GL_BLEND);
            drawer.DrawSegment(b2Vec2(-6.0f, -6.0f), b2Vec2(6.0f, -6.0f),
                               b2Color(0.0f, 1.0f, 0.0f));
        }));
    const Picture picture = Shoot();
    // Half of red at half opacity over white, inside a full red outline; the circle's fill, and
    // its outline and axis line (along +x) in full blue.
    EXPECT_TRUE(picture.At(PixelX(-4.0f), PixelY(0.0f)).Is(191, 128, 128));
    EXPECT_NEAR(picture.Find(191, 128, 128).height(), 4 * 38.4, 4);
    EXPECT_NEAR(picture.Find(255, 0, 0).width(), 4 * 38.4, 4);
    EXPECT_TRUE(picture.At(PixelX(4.0f), PixelY(1.0f)).Is(128, 128, 191));
    EXPECT_FALSE(picture.At(PixelX(4.0f) + 20, PixelY(0.0f)).Is(128, 128, 191));
    EXPECT_NEAR(picture.Find(0, 0, 255).left, PixelX(2.0f), 2);
    EXPECT_NEAR(picture.Find(0, 0, 255).right, PixelX(6.0f), 2);
    EXPECT_NEAR(picture.Find(0, 255, 0).width(), 12 * 38.4, 3);
    EXPECT_LE(picture.Find(0, 255, 0).height(), 2);
}

TEST_F(DebugDrawPictureTest, TheOverlayDrawsOnlyWhatItsFlagsAskFor)
{
    NavGraphManager* overlay = NavGraphManager::GetInstance();
    NavGraph graph(Vector2(1.0f, 1.0f));
    auto node = [&graph](float minX, float maxX, int index)
    {
        return std::make_unique<NavGraphNode>(
            &graph, AlignedBox(Vector2(minX, -2.0f), Vector2(maxX, 2.0f)), index);
    };
    auto root = node(-4.0f, 4.0f, 0);
    auto left = node(-4.0f, 0.0f, 1);
    left->SetBlocked(true);
    root->SetChildren(std::move(left), node(0.0f, 4.0f, 2));
    graph.SetRoot(std::move(root));
    auto blank = [](const Picture& picture)
    { return picture.Find(255, 255, 255).count == Picture::kWidth * Picture::kHeight; };

    overlay->SetShows(true, true, true, true, false);
    EXPECT_TRUE(blank(Shoot())) << "no graph set";
    overlay->SetGraph(&graph);
    overlay->SetShows(false, false, false, false, true);
    EXPECT_TRUE(blank(Shoot())) << "node ids alone draw nothing";

    // Blocked leaves get a light red fill; the free leaf stays white inside.
    overlay->SetShows(false, true, false, false, false);
    const Picture blocked = Shoot();
    EXPECT_TRUE(blocked.At(PixelX(-2.0f), PixelY(0.0f)).Is(255, 191, 191));
    EXPECT_TRUE(blocked.At(PixelX(2.0f), PixelY(0.0f)).Is(255, 255, 255));

    // Grid points: small red diamonds at the cell centres of every leaf, blocked or not.
    overlay->SetShows(false, false, true, false, false);
    const Picture grid = Shoot();
    const Picture::Box red = grid.Find(255, 0, 0, 40);
    EXPECT_NEAR(red.left, PixelX(-3.5f - 0.075f), 3);
    EXPECT_NEAR(red.right, PixelX(3.5f + 0.075f), 3);
    EXPECT_NEAR(red.top, PixelY(1.5f + 0.075f), 3);
    EXPECT_TRUE(grid.At(PixelX(0.0f), PixelY(0.0f)).Is(255, 255, 255));
}
