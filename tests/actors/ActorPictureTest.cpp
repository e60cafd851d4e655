// Needs an X display (run under Xvfb): actors drawn through the real loop and camera, checked
// pixel by pixel in the back buffer before the swap.
#include "engine/actors/Actor.h"
#include "engine/actors/FullScreenActor.h"
#include "engine/actors/ParticleActor.h"
#include "engine/util/MathUtil.h"
#include "engine/world/Camera.h"
#include "tests/actors/PictureSupport.h"
#include "tests/actors/TestImages.h"
#include "tests/util/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <tuple>

namespace
{

// The default camera shows 26.67 x 20 world units, centred on the origin, in 1024 x 768 pixels.
constexpr float kPixelsPerUnit = 38.4f;
const auto PixelX = [](float worldX) { return 512.0f + worldX * kPixelsPerUnit; };
const auto PixelY = [](float worldY) { return 384.0f - worldY * kPixelsPerUnit; };

bool Shows(const Picture& picture, float worldX, float worldY, const Rgba& c)
{
    const Pixel p = picture.At(static_cast<int>(PixelX(worldX)), static_cast<int>(PixelY(worldY)));
    return IsColour(p, c.r, c.g, c.b);
}

const Rgba kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255},
    kYellow{255, 255, 0, 255};

class ActorPictureTest : public PictureTest
{
protected:
    Actor* AddActor(const Vector2& position, float size, const Color& color, int layer = 0)
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

TEST_F(ActorPictureTest, SquaresCoverTheirWorldRectangleThroughTheCamera)
{
    Actor* red = AddActor(Vector2(5.0f, -3.0f), 2.0f, Color(1.0f, 0.0f, 0.0f));
    red->SetSize(Vector2(2.0f, 1.0f));
    Actor* green = AddActor(Vector2(-5.0f, 3.0f), 0.0f, Color(0.0f, 1.0f, 0.0f));
    green->SetSize(Vector2(2.0f, 1.0f));
    green->SetRotation(90.0f);

    // Each box holds the pixels inside the world rectangle (left, top) to (right, bottom).
    const Picture frame = Shoot();
    for (const auto& [box, left, top, right, bottom] :
         {std::tuple(frame.Find(255, 0, 0), 4.0f, -2.5f, 6.0f, -3.5f),
          std::tuple(frame.Find(0, 255, 0), -5.5f, 4.0f, -4.5f, 2.0f)})
    {
        EXPECT_NEAR(box.left, PixelX(left), 1.5f);
        EXPECT_NEAR(box.right + 1, PixelX(right), 1.5f);
        EXPECT_NEAR(box.top, PixelY(top), 1.5f);
        EXPECT_NEAR(box.bottom + 1, PixelY(bottom), 1.5f);
    }

    // Looking at the red square from twice as far: centred, half as large.
    Camera::GetInstance()->SetPosition(5.0f, -3.0f, 20.0f);
    const Picture::Box box = Shoot().Find(255, 0, 0);
    EXPECT_NEAR((box.left + box.right + 1) / 2.0f, 512.0f, 1.0f);
    EXPECT_NEAR((box.top + box.bottom + 1) / 2.0f, 384.0f, 1.0f);
    EXPECT_NEAR(box.width(), kPixelsPerUnit, 1.5f);
    EXPECT_NEAR(box.height(), kPixelsPerUnit / 2, 1.5f);
}

TEST_F(ActorPictureTest, CirclesAreRound)
{
    AddActor(Vector2(-6.0f, 2.0f), 4.0f, Color(0.0f, 0.0f, 1.0f))->SetDrawShape(ADS_Circle);
    const Picture::Box disc = Shoot().Find(0, 0, 255);
    const float radius = 2.0f * kPixelsPerUnit;
    EXPECT_NEAR((disc.left + disc.right + 1) / 2.0f, PixelX(-6.0f), 1.0f);
    EXPECT_NEAR((disc.top + disc.bottom + 1) / 2.0f, PixelY(2.0f), 1.0f);
    EXPECT_NEAR(disc.width(), 2 * radius, 2.0f);
    EXPECT_NEAR(disc.height(), 2 * radius, 2.0f);
    EXPECT_NEAR(disc.count, MathUtil::Pi * radius * radius, 0.02f * disc.count)
        << "a square of that size has 27% more pixels";
}

TEST_F(ActorPictureTest, HigherLayersLieOverLowerOnesAndFullScreenActorsCoverTheWindow)
{
    // Added first on the higher layer, so only the layer order can put red on top.
    Actor* red = AddActor(Vector2(-1.0f, 0.0f), 4.0f, Color(1.0f, 0.0f, 0.0f), 2);
    AddActor(Vector2(1.0f, 0.0f), 4.0f, Color(0.0f, 0.0f, 1.0f), 1);
    EXPECT_TRUE(Shows(Shoot(), 0.0f, 0.0f, kRed)) << "the overlap";
    red->SetLayer(0);
    Picture frame = Shoot();
    EXPECT_TRUE(Shows(frame, 0.0f, 0.0f, kBlue)) << "now the blue one is above";
    EXPECT_TRUE(Shows(frame, -2.5f, 0.0f, kRed));

    auto* backdrop = new FullScreenActor();
    backdrop->SetColor(Color(0.0f, 0.5f, 0.0f));
    world->Add(backdrop, 3);
    Camera::GetInstance()->SetPosition(Vector2(7.0f, -2.0f));
    frame = Shoot();
    for (const auto& [x, y] : {std::pair(0, 0), std::pair(1023, 767), std::pair(512, 384)})
        EXPECT_TRUE(IsColour(frame.At(x, y), 0, 128, 0)) << x << ", " << y;
}

TEST_F(ActorPictureTest, TexturesShowUpRightMirrorWithSwappedUVsAndStepThroughFrames)
{
    // A PPM (top row first) so that "up" does not rest on FreeImage's own row order:
    // blue | yellow over red | green.
    TempDir dir;
    String rgb;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
        {
            const Rgba& c = y < 2 ? (x < 2 ? kBlue : kYellow) : (x < 2 ? kRed : kGreen);
            rgb += {char(c.r), char(c.g), char(c.b)};
        }
    std::ofstream(dir.File("quarters.ppm"), std::ios::binary) << "P6\n4 4\n255\n" << rgb;

    Actor* picture = AddActor(Vector2(0.0f, 0.0f), 8.0f, Color());
    ASSERT_TRUE(picture->SetSprite(dir.File("quarters.ppm"), 0, GL_CLAMP, GL_NEAREST));
    // Drawn after the picture: must come out plain, not textured.
    AddActor(Vector2(8.0f, 0.0f), 2.0f, Color(1.0f, 0.0f, 1.0f));

    const Rgba quarters[] = {kBlue, kYellow, kRed, kGreen};
    for (const bool mirrored : {false, true})
    {
        const Picture frame = Shoot();
        for (int i = 0; i < 4; ++i)
            EXPECT_TRUE(Shows(frame, (i % 2 == 1) == mirrored ? -2.0f : 2.0f, i < 2 ? 2.0f : -2.0f,
                              quarters[i]))
                << "quarter " << i << (mirrored ? " mirrored" : "");
        EXPECT_TRUE(Shows(frame, 8.0f, 0.0f, Rgba{255, 0, 255, 255}));
        EXPECT_TRUE(Shows(frame, 0.0f, 4.5f, Rgba{255, 255, 255, 255})) << "ends at its size";
        picture->SetUVs(Vector2(1.0f, 0.0f), Vector2(0.0f, 1.0f));
    }

    ASSERT_TRUE(WriteSolidPng(dir.File("blink_1.png"), 2, 2, kRed));
    ASSERT_TRUE(WriteSolidPng(dir.File("blink_2.png"), 2, 2, kBlue));
    picture->SetUVs(Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f));
    picture->LoadSpriteFrames(dir.File("blink_1.png"));
    picture->PlaySpriteAnimation(0.1f, SAT_Loop, 0, 1);
    EXPECT_TRUE(Shows(Shoot(0.05), 0.0f, 0.0f, kRed)) << "first frame";
    EXPECT_TRUE(Shows(Shoot(0.1), 0.0f, 0.0f, kBlue)) << "0.15 s in: second frame";
    EXPECT_TRUE(Shows(Shoot(0.1), 0.0f, 0.0f, kRed)) << "0.25 s in: looped back";
}

TEST_F(ActorPictureTest, ParticlesAreDrawnAtTheirScaleAndTheEmitterIsNot)
{
    auto* emitter = new ParticleActor();
    emitter->SetColor(Color(1.0f, 0.0f, 0.0f));
    emitter->SetPosition(Vector2(-4.0f, 2.0f));
    emitter->SetSize(2.0f);
    emitter->SetSpeedRange(0.0f, 0.0f);
    emitter->SetEndColor(Color(1.0f, 0.0f, 0.0f));
    emitter->SetEndScale(0.0f);
    world->Add(emitter);
    EXPECT_TRUE(Shoot().Find(255, 0, 0).empty()) << "no pool: nothing drawn";

    // One particle, shown three quarters through its two-second life: a quarter of the size.
    emitter->SetMaxParticles(1);
    Shoot(0.5);
    emitter->SetParticlesPerSecond(0.0f);
    Shoot(0.5);
    const Picture::Box red = Shoot(1.0).Find(255, 0, 0);
    EXPECT_NEAR(red.width(), 0.25f * 2 * kPixelsPerUnit, 2.0f);
    EXPECT_NEAR((red.left + red.right + 1) / 2.0f, PixelX(-4.0f), 1.0f);
}
