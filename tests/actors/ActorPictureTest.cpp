// Needs an X display (run under Xvfb): actors drawn through the real loop and camera, checked
// pixel by pixel in the back buffer before the swap.
#include "engine/actors/Actor.h"
#include "engine/actors/FullScreenActor.h"
#include "engine/util/MathUtil.h"
#include "tests/support/TempDir.h"
#include "tests/support/WorldWindow.h"

namespace
{

// The default camera shows 26.67 x 20 world units, centred on the origin, in 1024 x 768 pixels.
constexpr float kPixelsPerUnit = 38.4f;
float PixelX(float worldX)
{
    return 512.0f + worldX * kPixelsPerUnit;
}
float PixelY(float worldY)
{
    return 384.0f - worldY * kPixelsPerUnit;
}

/// Whether the picture shows colour 0xRRGGBB at world point (x, y).
bool Shows(const Picture& picture, float x, float y, int colour)
{
    return picture.At(static_cast<int>(PixelX(x)), static_cast<int>(PixelY(y)))
        .Is(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF);
}

class ActorPictureTest : public WorldWindowTest
{
protected:
    Actor* AddActor(const Vector2& position, const Vector2& size, const Color& color, int layer = 0)
    {
        auto* actor = new Actor();
        actor->SetPosition(position);
        actor->SetSize(size);
        actor->SetColor(color);
        world->Add(actor, layer);
        return actor;
    }
};

} // namespace

TEST_F(ActorPictureTest, ShapesCoverTheirWorldRectangle)
{
    AddActor(Vector2(5.0f, -3.0f), Vector2(2.0f, 1.0f), Color(1.0f, 0.0f, 0.0f));
    AddActor(Vector2(-5.0f, 3.0f), Vector2(2.0f, 1.0f), Color(0.0f, 1.0f, 0.0f))->SetRotation(90);
    AddActor(Vector2(-6.0f, -5.0f), Vector2(4.0f), Color(0.0f, 0.0f, 1.0f))
        ->SetDrawShape(ADS_Circle);

    // Each box holds the pixels inside the world rectangle (left, top) to (right, bottom).
    const Picture frame = Shoot();
    const std::tuple<Picture::Box, float, float, float, float> boxes[] = {
        {frame.Find(255, 0, 0), 4.0f, -2.5f, 6.0f, -3.5f},
        {frame.Find(0, 255, 0), -5.5f, 4.0f, -4.5f, 2.0f},
        {frame.Find(0, 0, 255), -8.0f, -3.0f, -4.0f, -7.0f}};
    for (const auto& [box, left, top, right, bottom] : boxes)
    {
        EXPECT_NEAR(box.left, PixelX(left), 1.5f);
        EXPECT_NEAR(box.right + 1, PixelX(right), 1.5f);
        EXPECT_NEAR(box.top, PixelY(top), 1.5f);
        EXPECT_NEAR(box.bottom + 1, PixelY(bottom), 1.5f);
    }
    const float radius = 2.0f * kPixelsPerUnit;
    EXPECT_NEAR(std::get<0>(boxes[2]).count / (radius * radius), MathUtil::Pi, 0.05f)
        << "a circle: a square of that size has 27% more pixels";
}

TEST_F(ActorPictureTest, HigherLayersLieOverLowerOnesAndFullScreenActorsCoverTheWindow)
{
    // Added first on the higher layer, so only the layer order can put red on top.
    Actor* red = AddActor(Vector2(-1.0f, 0.0f), Vector2(4.0f), Color(1.0f, 0.0f, 0.0f), 2);
    AddActor(Vector2(1.0f, 0.0f), Vector2(4.0f), Color(0.0f, 0.0f, 1.0f), 1);
    EXPECT_TRUE(Shows(Shoot(), 0.0f, 0.0f, 0xFF0000)) << "the overlap";
    red->SetLayer(0);
    const Picture frame = Shoot();
    EXPECT_TRUE(Shows(frame, 0.0f, 0.0f, 0x0000FF)) << "now the blue one is above";
    EXPECT_TRUE(Shows(frame, -2.5f, 0.0f, 0xFF0000));

    auto* backdrop = new FullScreenActor();
    backdrop->SetColor(Color(0.0f, 0.5f, 0.0f));
    world->Add(backdrop, 3);
    Camera::GetInstance()->SetPosition(Vector2(7.0f, -2.0f));
    const Picture covered = Shoot();
    for (const auto& [x, y] : {std::pair(0, 0), std::pair(1023, 767), std::pair(512, 384)})
        EXPECT_TRUE(covered.At(x, y).Is(0, 128, 0)) << x << ", " << y;
}

TEST_F(ActorPictureTest, TexturesShowUpRightMirrorWithSwappedUVsAndStepThroughFrames)
{
    // Blue | yellow over red | green, written top row first.
    TempDir dir;
    const int quarters[] = {0x0000FF, 0xFFFF00, 0xFF0000, 0x00FF00};
    WritePicture(dir.File("quarters.ppm"), 4, 4,
                 [&](int x, int y) { return quarters[(y / 2) * 2 + x / 2]; });
    Actor* picture = AddActor(Vector2(0.0f, 0.0f), Vector2(8.0f), Color());
    ASSERT_TRUE(picture->SetSprite(dir.File("quarters.ppm"), 0, GL_CLAMP, GL_NEAREST));
    // Drawn after the picture: must come out plain, not textured.
    AddActor(Vector2(8.0f, 0.0f), Vector2(2.0f), Color(1.0f, 0.0f, 1.0f));
    for (const bool mirrored : {false, true})
    {
        const Picture frame = Shoot();
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(Shows(frame, (i % 2 == 1) == mirrored ? -2.0f : 2.0f, i < 2 ? 2.0f : -2.0f,
                              quarters[i]))
                << "quarter " << i << (mirrored ? " mirrored" : "");
        EXPECT_TRUE(Shows(frame, 8.0f, 0.0f, 0xFF00FF));
        EXPECT_TRUE(Shows(frame, 0.0f, 4.5f, 0xFFFFFF)) << "ends at its size";
        picture->SetUVs(Vector2(1.0f, 0.0f), Vector2(0.0f, 1.0f));
    }

    // The World's update steps the animation, and each frame shows its own texture.
    WritePicture(dir.File("blink_1.png"), 2, 2, [](int, int) { return 0xFF0000; });
    WritePicture(dir.File("blink_2.png"), 2, 2, [](int, int) { return 0x0000FF; });
    picture->LoadSpriteFrames(dir.File("blink_1.png"));
    picture->PlaySpriteAnimation(0.1f, SAT_Loop, 0, 1);
    EXPECT_TRUE(Shows(Shoot(0.05), 0.0f, 0.0f, 0xFF0000)) << "first frame";
    EXPECT_TRUE(Shows(Shoot(0.1), 0.0f, 0.0f, 0x0000FF)) << "0.15 s in: second frame";
}
