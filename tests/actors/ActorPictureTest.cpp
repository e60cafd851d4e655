// Needs an X display (run under Xvfb): actors drawn through the real loop and the default
// camera, checked pixel by pixel in the back buffer before the swap.
#include "engine/actors/Actor.h"
#include "tests/actors/PictureSupport.h"
#include "tests/actors/TestImages.h"
#include "tests/util/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace
{

// The default camera shows 26.67 x 20 world units, centred on the origin, in 1024 x 768 pixels.
constexpr float kPixelsPerUnit = 38.4f;
constexpr float kHalfWidthUnits = 1024.0f / kPixelsPerUnit / 2.0f;
constexpr float kHalfHeightUnits = 10.0f;

float PixelX(float worldX)
{
    return (worldX + kHalfWidthUnits) * kPixelsPerUnit;
}
float PixelY(float worldY)
{
    return (kHalfHeightUnits - worldY) * kPixelsPerUnit;
}

/// The picture's pixel under a world point.
Pixel AtWorld(const Picture& picture, float x, float y)
{
    return picture.At(static_cast<int>(PixelX(x)), static_cast<int>(PixelY(y)));
}

bool Near(const Pixel& actual, const Rgba& expected)
{
    return IsColour(actual, expected.r, expected.g, expected.b);
}

::testing::AssertionResult ShowsColour(const Picture& picture, float x, float y,
                                       const Rgba& expected)
{
    const Pixel actual = AtWorld(picture, x, y);
    if (Near(actual, expected))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "at world (" << x << ", " << y << ") got rgb(" << int(actual.r) << ", "
           << int(actual.g) << ", " << int(actual.b) << "), expected rgb(" << int(expected.r)
           << ", " << int(expected.g) << ", " << int(expected.b) << ")";
}

Picture::Box BoxOf(const Picture& picture, const Rgba& colour)
{
    return picture.Find([&colour](const Pixel& p) { return Near(p, colour); });
}

/// Expects the box to hold the pixels whose centres lie in the world rectangle.
void ExpectBoxCovers(const Picture::Box& box, float left, float top, float right, float bottom)
{
    ASSERT_FALSE(box.empty());
    EXPECT_NEAR(box.left, std::ceil(PixelX(left) - 0.5f), 1.0);
    EXPECT_NEAR(box.right, std::ceil(PixelX(right) - 0.5f) - 1, 1.0);
    EXPECT_NEAR(box.top, std::ceil(PixelY(top) - 0.5f), 1.0);
    EXPECT_NEAR(box.bottom, std::ceil(PixelY(bottom) - 0.5f) - 1, 1.0);
}

const Rgba kWhite{255, 255, 255, 255};
const Rgba kRed{255, 0, 0, 255};
const Rgba kGreen{0, 255, 0, 255};
const Rgba kBlue{0, 0, 255, 255};
const Rgba kYellow{255, 255, 0, 255};
const Rgba kMagenta{255, 0, 255, 255};

class ActorPictureTest : public WorldWindowTest
{
protected:
    void SetUp() override
    {
        WorldWindowTest::SetUp();
        world->SetBackgroundColor(Color(1.0f, 1.0f, 1.0f));
    }

    Actor* AddActor(const Vector2& position, const Vector2& size, const Color& color)
    {
        auto* actor = new Actor();
        actor->SetPosition(position);
        actor->SetSize(size);
        actor->SetColor(color);
        world->Add(actor);
        return actor;
    }

    /// One frame of the loop that took seconds, read back before the swap.
    Picture DrawFrame(double seconds = 1.0 / 60.0)
    {
        std::vector<unsigned char> rgba;
        Frame(seconds, [&rgba] { rgba = ReadFrame(); });
        return Picture(std::move(rgba));
    }
};

} // namespace

TEST_F(ActorPictureTest, SquaresCoverTheirWorldRectangle)
{
    AddActor(Vector2(5.0f, -3.0f), Vector2(2.0f, 1.0f), Color(1.0f, 0.0f, 0.0f));
    Actor* turned = AddActor(Vector2(-5.0f, 3.0f), Vector2(2.0f, 1.0f), Color(0.0f, 1.0f, 0.0f));
    turned->SetRotation(90.0f);

    const Picture frame = DrawFrame();
    ExpectBoxCovers(BoxOf(frame, kRed), 4.0f, -2.5f, 6.0f, -3.5f);
    ExpectBoxCovers(BoxOf(frame, kGreen), -5.5f, 4.0f, -4.5f, 2.0f);
    EXPECT_TRUE(ShowsColour(frame, 0.0f, 0.0f, kWhite));
}

TEST_F(ActorPictureTest, CirclesAreRound)
{
    Actor* circle = AddActor(Vector2(-6.0f, 2.0f), Vector2(4.0f, 4.0f), Color(0.0f, 0.0f, 1.0f));
    circle->SetDrawShape(ADS_Circle);

    const Picture frame = DrawFrame();
    const float centreX = PixelX(-6.0f), centreY = PixelY(2.0f);
    const float radius = 2.0f * kPixelsPerUnit;
    int blue = 0, wrongInside = 0, wrongOutside = 0;
    for (int y = static_cast<int>(centreY - radius) - 4; y <= centreY + radius + 4; ++y)
        for (int x = static_cast<int>(centreX - radius) - 4; x <= centreX + radius + 4; ++x)
        {
            const float distance = std::hypot(x + 0.5f - centreX, y + 0.5f - centreY);
            const bool isBlue = Near(frame.At(x, y), kBlue);
            blue += isBlue ? 1 : 0;
            wrongInside += (distance < radius - 1.5f && !isBlue) ? 1 : 0;
            wrongOutside += (distance > radius + 1.5f && isBlue) ? 1 : 0;
        }
    EXPECT_EQ(wrongInside, 0) << "holes inside the disc";
    EXPECT_EQ(wrongOutside, 0) << "blue beyond the rim (a square has corners)";
    const float discArea = MathUtil::Pi * radius * radius;
    EXPECT_GT(blue, 0.98f * discArea);
    EXPECT_LT(blue, 1.01f * discArea);
}

TEST_F(ActorPictureTest, TexturesShowUpRightAndMirrorWithSwappedUVs)
{
    TempDir dir;
    // 4 x 4, top row first: blue | yellow over red | green.
    std::vector<unsigned char> rgb;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
        {
            const Rgba& c = y < 2 ? (x < 2 ? kBlue : kYellow) : (x < 2 ? kRed : kGreen);
            rgb.insert(rgb.end(), {c.r, c.g, c.b});
        }
    ASSERT_TRUE(WritePpm(dir.File("quarters.ppm"), 4, 4, rgb));

    Actor* picture = AddActor(Vector2(0.0f, 0.0f), Vector2(8.0f, 8.0f), Color());
    ASSERT_TRUE(picture->SetSprite(dir.File("quarters.ppm"), 0, GL_CLAMP, GL_NEAREST));
    // Drawn after the picture: must come out plain, not textured.
    AddActor(Vector2(8.0f, 0.0f), Vector2(2.0f, 2.0f), Color(1.0f, 0.0f, 1.0f));

    Picture frame = DrawFrame();
    EXPECT_TRUE(ShowsColour(frame, -2.0f, 2.0f, kBlue));
    EXPECT_TRUE(ShowsColour(frame, 2.0f, 2.0f, kYellow));
    EXPECT_TRUE(ShowsColour(frame, -2.0f, -2.0f, kRed));
    EXPECT_TRUE(ShowsColour(frame, 2.0f, -2.0f, kGreen));
    EXPECT_TRUE(ShowsColour(frame, 8.0f, 0.0f, kMagenta));
    EXPECT_TRUE(ShowsColour(frame, 0.0f, 4.5f, kWhite)) << "the picture ends at its size";

    picture->SetUVs(Vector2(1.0f, 0.0f), Vector2(0.0f, 1.0f));
    frame = DrawFrame();
    EXPECT_TRUE(ShowsColour(frame, -2.0f, 2.0f, kYellow));
    EXPECT_TRUE(ShowsColour(frame, 2.0f, 2.0f, kBlue));
    EXPECT_TRUE(ShowsColour(frame, -2.0f, -2.0f, kGreen));
    EXPECT_TRUE(ShowsColour(frame, 2.0f, -2.0f, kRed));

    // Tinting multiplies: a red tint keeps only the red channel.
    picture->SetUVs(Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f));
    picture->SetColor(1.0f, 0.0f, 0.0f);
    frame = DrawFrame();
    EXPECT_TRUE(ShowsColour(frame, 2.0f, 2.0f, kRed)) << "yellow tinted red";
    EXPECT_TRUE(ShowsColour(frame, -2.0f, 2.0f, Rgba{0, 0, 0, 255})) << "blue tinted red";
}

TEST_F(ActorPictureTest, SpriteFramesChangeWhatIsDrawn)
{
    TempDir dir;
    ASSERT_TRUE(WriteSolidPng(dir.File("blink_1.png"), 2, 2, kRed));
    ASSERT_TRUE(WriteSolidPng(dir.File("blink_2.png"), 2, 2, kBlue));
    Actor* blinker = AddActor(Vector2(0.0f, 0.0f), Vector2(2.0f, 2.0f), Color());
    blinker->LoadSpriteFrames(dir.File("blink_1.png"));
    blinker->PlaySpriteAnimation(0.1f, SAT_Loop, 0, 1);

    EXPECT_TRUE(ShowsColour(DrawFrame(0.05), 0.0f, 0.0f, kRed)) << "first frame";
    EXPECT_TRUE(ShowsColour(DrawFrame(0.1), 0.0f, 0.0f, kBlue)) << "0.15 s in: second frame";
    EXPECT_TRUE(ShowsColour(DrawFrame(0.1), 0.0f, 0.0f, kRed)) << "0.25 s in: looped back";
}
