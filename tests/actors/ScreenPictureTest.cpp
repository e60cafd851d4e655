// Needs an X display (run under Xvfb): checks drawn pixels read back before the swap.
#include "engine/actors/Actor.h"
#include "engine/actors/FullScreenActor.h"
#include "engine/actors/ParticleActor.h"
#include "engine/util/MathUtil.h"
#include "engine/world/Camera.h"
#include "tests/actors/PictureSupport.h"

#include <gtest/gtest.h>

namespace
{

class ScreenPictureTest : public WorldWindowTest
{
protected:
    Picture Shoot(double seconds = 1.0 / 60.0)
    {
        std::vector<unsigned char> rgba;
        Frame(seconds, [&] { rgba = ReadFrame(); });
        return Picture(std::move(rgba));
    }

    Actor* Square(const Vector2& position, float size, const Color& color, int layer)
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

TEST_F(ScreenPictureTest, HigherLayersLieOverLowerOnes)
{
    // Added first on the higher layer, so only the layer order can put red on top.
    Actor* red = Square(Vector2(-1, 0), 4.0f, Color(1.0f, 0.0f, 0.0f), 2);
    Square(Vector2(1, 0), 4.0f, Color(0.0f, 0.0f, 1.0f), 1);

    Picture picture = Shoot();
    EXPECT_TRUE(IsColour(picture.At(512, 384), 255, 0, 0)) << "the overlap is red";
    EXPECT_TRUE(IsColour(picture.At(512 - 100, 384), 255, 0, 0));
    EXPECT_TRUE(IsColour(picture.At(512 + 100, 384), 0, 0, 255));
    EXPECT_TRUE(IsColour(picture.At(512, 384 - 100), 255, 255, 255)) << "background above";

    red->SetLayer(0);
    picture = Shoot();
    EXPECT_TRUE(IsColour(picture.At(512, 384), 0, 0, 255)) << "now the blue one is above";
    EXPECT_TRUE(IsColour(picture.At(512 - 100, 384), 255, 0, 0));
}

TEST_F(ScreenPictureTest, TheCameraMapsWorldPositionsToPixels)
{
    Square(Vector2(5, -3), 0.5f, Color(0.0f, 1.0f, 0.0f), 0);

    // 38.4 pixels per unit: (5, -3) is at pixel (704, 499.2), about 19 pixels across.
    Picture picture = Shoot();
    Picture::Box green = picture.Find([](const Pixel& p) { return IsColour(p, 0, 255, 0); });
    ASSERT_FALSE(green.empty());
    EXPECT_NEAR((green.left + green.right + 1) / 2.0f, 704.0f, 1.0f);
    EXPECT_NEAR((green.top + green.bottom + 1) / 2.0f, 499.2f, 1.0f);
    EXPECT_NEAR(green.width(), 19.2f, 1.5f);
    const Vector2 expected = MathUtil::WorldToScreen(5, -3);
    EXPECT_TRUE(IsColour(picture.At(static_cast<int>(expected.X), static_cast<int>(expected.Y)), 0,
                         255, 0));

    Camera::GetInstance()->SetPosition(Vector2(5, -3));
    picture = Shoot();
    EXPECT_TRUE(IsColour(picture.At(512, 384), 0, 255, 0)) << "looking at it: window centre";
    EXPECT_TRUE(IsColour(picture.At(704, 499), 255, 255, 255));

    // Twice as far away, half as large.
    Camera::GetInstance()->SetPosition(0.0f, 0.0f, 20.0f);
    picture = Shoot();
    green = picture.Find([](const Pixel& p) { return IsColour(p, 0, 255, 0); });
    EXPECT_NEAR((green.left + green.right + 1) / 2.0f, 512.0f + 5 * 19.2f, 1.0f);
    EXPECT_NEAR((green.top + green.bottom + 1) / 2.0f, 384.0f + 3 * 19.2f, 1.0f);
    EXPECT_NEAR(green.width(), 9.6f, 1.5f);
}

TEST_F(ScreenPictureTest, AFullScreenActorCoversTheWholeWindow)
{
    auto* backdrop = new FullScreenActor();
    backdrop->SetColor(Color(0.0f, 0.5f, 0.0f));
    world->Add(backdrop);
    Camera::GetInstance()->SetPosition(Vector2(7, -2));

    const Picture picture = Shoot();
    for (const auto& corner : {std::make_pair(0, 0), std::make_pair(1023, 0),
                               std::make_pair(0, 767), std::make_pair(1023, 767)})
        EXPECT_TRUE(IsColour(picture.At(corner.first, corner.second), 0, 128, 0))
            << corner.first << ", " << corner.second;
}

TEST_F(ScreenPictureTest, ParticlesAreDrawnAndTheEmitterIsNot)
{
    auto* emitter = new ParticleActor();
    emitter->SetColor(Color(1.0f, 0.0f, 0.0f));
    emitter->SetPosition(Vector2(-4, 2));
    emitter->SetSize(2.0f);
    emitter->SetSpeedRange(0.0f, 0.0f);
    emitter->SetGravity(Vector2(0, 0));
    world->Add(emitter);

    const Vector2 at = MathUtil::WorldToScreen(-4, 2);
    const int x = static_cast<int>(at.X), y = static_cast<int>(at.Y);
    EXPECT_TRUE(IsColour(Shoot().At(x, y), 255, 255, 255)) << "no pool: nothing drawn";

    emitter->SetMaxParticles(4);
    Picture picture = Shoot(0.5); // ten due, four emitted
    const Picture::Box red = picture.Find([](const Pixel& p) { return IsColour(p, 255, 0, 0); });
    ASSERT_FALSE(red.empty());
    EXPECT_NEAR(red.width(), 2 * 38.4f, 2.0f) << "the actor's size";
    EXPECT_NEAR((red.left + red.right + 1) / 2.0f, at.X, 1.0f);

    // Scaled down over their lifetime.
    emitter->SetEndScale(0.0f);
    emitter->SetEndColor(Color(1.0f, 0.0f, 0.0f));
    emitter->SetMaxParticles(1);
    emitter->SetParticlesPerSecond(1.0f);
    Shoot(1.0);
    emitter->SetParticlesPerSecond(0.0f);
    Shoot(0.75);
    picture = Shoot(0.75); // three quarters through a two-second life
    const Picture::Box small = picture.Find([](const Pixel& p) { return IsColour(p, 255, 0, 0); });
    EXPECT_NEAR(small.width(), 0.25f * 2 * 38.4f, 2.0f);
}
