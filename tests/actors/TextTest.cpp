// Needs an X display (run under Xvfb): texture fonts live in the GL context.
#include "engine/actors/FontRegistry.h"
#include "engine/actors/TextActor.h"
#include "engine/util/MathUtil.h"
#include "engine/world/Camera.h"
#include "tests/actors/PictureSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

namespace
{

constexpr const char* kFontFile = "Resources/Fonts/Inconsolata.otf";

class TextTest : public WorldWindowTest
{
protected:
    void SetUp() override
    {
        WorldWindowTest::SetUp();
        ASSERT_TRUE(RegisterFont(kFontFile, 24, "Console"));
    }

    /// Renders one frame with draw in it and returns the picture.
    Picture Draw(const std::function<void()>& draw)
    {
        world->Add(new DrawHook(draw));
        std::vector<unsigned char> rgba;
        Frame(1.0 / 60.0, [&] { rgba = ReadFrame(); });
        world->UnloadAll();
        return Picture(std::move(rgba));
    }

    /// Renders one frame of the world as it is.
    Picture Shoot()
    {
        std::vector<unsigned char> rgba;
        Frame(1.0 / 60.0, [&] { rgba = ReadFrame(); });
        return Picture(std::move(rgba));
    }
};

} // namespace

TEST_F(TextTest, FontsAreRegisteredReplacedAndDroppedByNickname)
{
    LogCapture& log = LogCapture::Get();
    log.Clear();

    const Vector2 small = GetTextExtents("MMMM", "Console");
    EXPECT_GT(small.X, 20.0f);
    EXPECT_GT(small.Y, 10.0f);
    EXPECT_EQ(GetTextExtents("MMMM", "Nobody"), Vector2(0, 0));
    EXPECT_EQ(GetTextExtents("", "Console"), Vector2(0, 0));

    ASSERT_TRUE(RegisterFont(kFontFile, 48, "Console"));
    const Vector2 large = GetTextExtents("MMMM", "Console");
    EXPECT_NEAR(large.X, 2.0f * small.X, 2.0f) << "the new font replaced the old one";
    EXPECT_NEAR(large.Y, 2.0f * small.Y, 2.0f);

    EXPECT_FALSE(RegisterFont("Resources/Fonts/NoSuchFont.otf", 24, "Console"));
    EXPECT_EQ(log.Count("Failed to open font Resources/Fonts/NoSuchFont.otf"), 1);
    EXPECT_EQ(GetTextExtents("MMMM", "Console"), Vector2(0, 0))
        << "a failed registration leaves the nickname without a font";

    EXPECT_FALSE(UnRegisterFont("Console"));
    EXPECT_EQ(log.Count("No font called \"Console\"; un-registration failed."), 1);

    ASSERT_TRUE(RegisterFont(kFontFile, 18, "ConsoleSmall"));
    EXPECT_TRUE(UnRegisterFont("ConsoleSmall"));
    EXPECT_EQ(GetTextExtents("MMMM", "ConsoleSmall"), Vector2(0, 0));
}

TEST_F(TextTest, ScreenTextSitsOnItsBaselineAtTheGivenPixel)
{
    Vector2 returned;
    const Picture picture = Draw(
        [&]
        {
            glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
            returned = DrawScreenText("Hello", "Console", 100, 200, 0.0f);
        });
    EXPECT_EQ(returned, GetTextExtents("Hello", "Console"));

    const Picture::Box ink = picture.FindDark();
    ASSERT_FALSE(ink.empty()) << "no text drawn";
    EXPECT_NEAR(ink.left, 100, 3);
    EXPECT_NEAR(ink.bottom, 199, 2) << "no descender in Hello: the ink ends on the baseline";
    EXPECT_NEAR(ink.width(), returned.X, 3);
    EXPECT_NEAR(ink.height(), returned.Y, 3);
    EXPECT_TRUE(IsColour(picture.At(5, 5), 255, 255, 255)) << "the rest stays background";

    // The colour is the caller's.
    const Picture red = Draw(
        []
        {
            glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
            DrawScreenText("Hello", "Console", 100, 200, 0.0f);
        });
    const Picture::Box redInk =
        red.Find([](const Pixel& p) { return p.r > 200 && p.g < 60 && p.b < 60; });
    EXPECT_NEAR(redInk.left, ink.left, 1);
    EXPECT_NEAR(redInk.bottom, ink.bottom, 1);
}

TEST_F(TextTest, RotatedScreenTextRunsUpwardsFromItsOrigin)
{
    const Vector2 extents = GetTextExtents("Hello", "Console");
    const Picture picture = Draw(
        []
        {
            glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
            DrawScreenText("Hello", "Console", 300, 500, 90.0f);
        });
    const Picture::Box ink = picture.FindDark();
    ASSERT_FALSE(ink.empty());
    EXPECT_NEAR(ink.bottom, 500, 3) << "starts at the origin";
    EXPECT_NEAR(ink.height(), extents.X, 3) << "and climbs by the text's width";
    EXPECT_NEAR(ink.right, 300, 2) << "glyphs stand to the left of the baseline";
    EXPECT_NEAR(ink.width(), extents.Y, 3);
}

TEST_F(TextTest, AnUnknownNicknameDrawsNothing)
{
    Vector2 returned(-1, -1);
    const Picture picture = Draw(
        [&]
        {
            glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
            returned = DrawScreenText("Hello", "Nobody", 100, 200, 0.0f);
        });
    EXPECT_EQ(returned, Vector2(0, 0));
    EXPECT_TRUE(picture.FindDark().empty());
}

TEST_F(TextTest, TextLeavesTheDepthTestOnAndDoesNotHideLaterDrawing)
{
    // A square drawn after text that overlaps it must still show: text writes no depth.
    const Picture picture = Draw(
        []
        {
            glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
            DrawScreenText("MMMMMMMM", "Console", 400, 400, 0.0f);
            EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
            EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
            glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
            const Vector2 centre = MathUtil::ScreenToWorld(420, 390);
            glBegin(GL_QUADS);
            glVertex2f(centre.X + 1, centre.Y + 1);
            glVertex2f(centre.X - 1, centre.Y + 1);
            glVertex2f(centre.X - 1, centre.Y - 1);
            glVertex2f(centre.X + 1, centre.Y - 1);
            glEnd();
        });
    EXPECT_TRUE(IsColour(picture.At(420, 390), 0, 0, 255));
}

TEST_F(TextTest, TextActorsLayTheirLinesOutAtTheirWorldPosition)
{
    auto* text = new TextActor("Console", "Hello\nworld, wide", TXT_Center);
    EXPECT_EQ(text->GetClassName(), "TextActor");
    EXPECT_EQ(text->GetColor(), Color(0.0f, 0.0f, 0.0f, 1.0f)) << "black by default";
    EXPECT_EQ(text->GetLineSpacing(), 5);
    ASSERT_EQ(text->GetLines().size(), 2u);

    text->SetPosition(Vector2(2, -1)); // window pixel (588.8, 422.4)
    const TextLine& first = text->GetLines()[0];
    const TextLine& second = text->GetLines()[1];
    EXPECT_EQ(first.extents, GetTextExtents("Hello", "Console"));
    const float tallest = std::max(first.extents.Y, second.extents.Y);
    EXPECT_NEAR(first.position.X, 588.8f - first.extents.X / 2, 1e-3f);
    EXPECT_NEAR(first.position.Y, 422.4f, 1e-3f);
    EXPECT_NEAR(second.position.X, 588.8f - second.extents.X / 2, 1e-3f);
    EXPECT_NEAR(second.position.Y, 422.4f + tallest + 5, 1e-3f);

    world->Add(text);
    const Picture picture = Shoot();
    const Picture::Box ink = picture.FindDark();
    ASSERT_FALSE(ink.empty());
    EXPECT_NEAR((ink.left + ink.right) / 2.0f, 588.8f, 3.0f) << "centred on the actor";
    EXPECT_NEAR(ink.top, 422 - first.extents.Y, 3.0f);
    EXPECT_NEAR(ink.bottom, 422 + tallest + 5, 6.0f) << "the comma reaches below the baseline";

    text->SetAlignment(TXT_Right);
    const Picture right = Shoot();
    EXPECT_NEAR(right.FindDark().right, 588, 3) << "right-aligned lines end on the actor";

    text->SetDisplayString("");
    EXPECT_TRUE(text->GetLines().empty());
    EXPECT_TRUE(Shoot().FindDark().empty());
}

TEST_F(TextTest, TextActorsFollowTheCameraAndLateFonts)
{
    auto* text = new TextActor("Later", "Hello", TXT_Center);
    world->Add(text);
    EXPECT_EQ(text->GetLines()[0].extents, Vector2(0, 0));
    EXPECT_TRUE(Shoot().FindDark().empty()) << "an unregistered font draws nothing";

    ASSERT_TRUE(RegisterFont(kFontFile, 24, "Later"));
    text->SetLineSpacing(5); // lays the lines out again, now measured
    const Picture::Box before = Shoot().FindDark();
    ASSERT_FALSE(before.empty());
    EXPECT_NEAR((before.left + before.right) / 2.0f, 512.0f, 3.0f);

    Camera::GetInstance()->SetPosition(Vector2(-1, 0));
    const float centredX = 512.0f - text->GetLines()[0].extents.X / 2;
    EXPECT_NEAR(text->GetLines()[0].position.X, centredX, 1e-3f) << "only once the message comes";
    const Picture::Box after = Shoot().FindDark();
    EXPECT_NEAR(text->GetLines()[0].position.X, centredX + 38.4f, 1e-3f);
    EXPECT_NEAR(after.left, before.left + 38, 2) << "one unit to the right on screen";

    // A timed move goes through the overridden SetPosition and relays out each frame.
    text->MoveTo(Vector2(-1, 1), 0.0f);
    Shoot();
    EXPECT_NEAR(text->GetLines()[0].position.Y, 384.0f - 38.4f, 1e-3f);
    EXPECT_TRUE(UnRegisterFont("Later"));
}
