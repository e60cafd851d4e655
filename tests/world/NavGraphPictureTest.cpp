// Needs an X display (run under Xvfb): the navigation graph overlay on screen.
#include "engine/world/NavGraph.h"
#include "engine/world/NavGraphManager.h"
#include "tests/support/WorldWindow.h"

namespace
{

class NavGraphPictureTest : public WorldWindowTest
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

TEST_F(NavGraphPictureTest, TheOverlayDrawsOnlyWhatItsFlagsAskFor)
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
