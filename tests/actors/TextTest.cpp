// Needs an X display (run under Xvfb): texture fonts live in the GL context.
#include "engine/actors/FontRegistry.h"
#include "engine/actors/TextActor.h"
#include "engine/util/DataFile.h"
#include "engine/util/MathUtil.h"
#include "engine/world/Camera.h"
#include "tests/support/LogCapture.h"
#include "tests/support/NotAFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/WorldWindow.h"

#include <filesystem>
#include <fstream>

#include <unistd.h>

namespace
{

constexpr const char* kFontFile = "Resources/Fonts/Inconsolata.otf";

/// Pixels noticeably darker than the white background.
Picture::Box Ink(const Picture& picture)
{
    return picture.Find([](const Pixel& p) { return p.r < 128 && p.g < 128 && p.b < 128; });
}

class TextTest : public WorldWindowTest
{
protected:
    void SetUp() override
    {
        WorldWindowTest::SetUp();
        ASSERT_TRUE(RegisterFont(kFontFile, 24, "Console"));
    }
};

} // namespace

TEST_F(TextTest, FontsAreRegisteredReplacedAndDroppedByNickname)
{
    LogCapture::Get().Clear();
    const Vector2 small = GetTextExtents("MMMM", "Console");
    EXPECT_GT(small.X, 20.0f);
    ASSERT_TRUE(RegisterFont(kFontFile, 48, "Console"));
    const Vector2 large = GetTextExtents("MMMM", "Console");
    EXPECT_NEAR(large.X, 2.0f * small.X, 2.0f) << "the new font replaced the old one";

    EXPECT_FALSE(RegisterFont("Resources/Fonts/NoSuchFont.otf", 24, "Console"));
    EXPECT_EQ(GetTextExtents("MMMM", "Console"), Vector2(0.0f, 0.0f))
        << "a failed registration leaves the nickname without a font";
    EXPECT_EQ(LogCapture::Get().Take(),
              StringList{"Failed to open font Resources/Fonts/NoSuchFont.otf"});
    // Names from scripts cannot forge log lines.
    EXPECT_FALSE(RegisterFont("No\nERROR: forged.otf", 24, "Console"));
    EXPECT_FALSE(UnRegisterFont("No\nERROR: forged"));
    EXPECT_EQ(LogCapture::Get().Take(),
              (StringList{"Failed to open font No\\nERROR: forged.otf",
                          "No font called \"No\\nERROR: forged\"; un-registration failed."}));
}

TEST_F(TextTest, AFontThatIsNoFileIsMissingAndOneTooLargeIsRefusedUnread)
{
    TempDir dir;
    const String font = dir.File("font.otf");
    LogCapture::Get().Clear();
    // No pipe is waited on and no device read.
    for (const char* kind : kNotAFileKinds)
    {
        NotAFile thing(kind, font);
        ASSERT_TRUE(thing.Made()) << kind;
        EXPECT_FALSE(RegisterFont(font, 24, "Other")) << kind;
        EXPECT_EQ(LogCapture::Get().Take(), StringList{"Failed to open font " + font}) << kind;
        EXPECT_FALSE(thing.Waited()) << kind;
    }
    // Sparse: it takes no room.
    std::ofstream(font).close();
    ASSERT_EQ(truncate(font.c_str(), kMaxMediaFileBytes + 1), 0);
    EXPECT_FALSE(RegisterFont(font, 24, "Other"));
    EXPECT_EQ(LogCapture::Get().Take(),
              StringList{"ERROR: Font file " + font + " is larger than 268435456 bytes."});

    // A font read from its bytes draws as one read by FreeType itself, after its file is gone.
    std::filesystem::copy_file(kFontFile, font, std::filesystem::copy_options::overwrite_existing);
    ASSERT_TRUE(RegisterFont(font, 24, "Other"));
    std::filesystem::remove(font);
    EXPECT_EQ(GetTextExtents("MMMM", "Other"), GetTextExtents("MMMM", "Console"));
    EXPECT_TRUE(UnRegisterFont("Other"));
}

TEST_F(TextTest, TextActorsLayTheirLinesOutAtTheirWorldPositionAndFollowTheCamera)
{
    auto* text = new TextActor("Later", "Hello\nworld, wide", TXT_Center);
    text->SetPosition(Vector2(2.0f, -1.0f)); // window pixel (588.8, 422.4)
    world->Add(text);
    EXPECT_TRUE(Ink(Shoot()).empty()) << "an unregistered font draws nothing";

    ASSERT_TRUE(RegisterFont(kFontFile, 24, "Later"));
    text->SetLineSpacing(5); // lays the lines out again, now measured
    ASSERT_EQ(text->GetLines().size(), 2u);
    const TextLine& first = text->GetLines()[0];
    const float tallest = std::max(first.extents.Y, text->GetLines()[1].extents.Y);
    EXPECT_NEAR(first.position.X, 588.8f - first.extents.X / 2, 1e-3f);
    EXPECT_NEAR(text->GetLines()[1].position.Y, 422.4f + tallest + 5, 1e-3f);
    const Picture::Box ink = Ink(Shoot());
    ASSERT_FALSE(ink.empty()) << "black by default";
    EXPECT_NEAR((ink.left + ink.right) / 2.0f, 588.8f, 3.0f) << "centred on the actor";
    EXPECT_NEAR(ink.top, 422 - first.extents.Y, 3.0f);
    EXPECT_NEAR(ink.bottom, 422 + tallest + 5, 6.0f) << "the comma reaches below the baseline";

    text->SetAlignment(TXT_Right);
    Camera::GetInstance()->SetPosition(Vector2(-1.0f, 0.0f));
    EXPECT_NEAR(Ink(Shoot()).right, 588 + 38, 3) << "ends on the actor, a unit further right";

    // A timed move goes through the overridden SetPosition and lays the lines out again.
    text->MoveTo(Vector2(-1.0f, 1.0f), 0.0f);
    Shoot();
    EXPECT_NEAR(text->GetLines()[0].position.Y, 384.0f - 38.4f, 1e-3f);
    text->SetDisplayString("");
    EXPECT_TRUE(Ink(Shoot()).empty());
    EXPECT_TRUE(UnRegisterFont("Later"));
}

TEST_F(TextTest, ScreenTextStandsOnItsBaselineAndASingleByteUmlautDrawsAsItsUtf8Form)
{
    // The herding screen's [B] line stores the A umlaut as the one Windows-1252 byte 0xC4.
    Vector2 returned, unknown(-1.0f, -1.0f);
    world->Add(new DrawHook(
        [&]
        {
            glColor4f(1.0f, 0.0f, 0.0f, 1.0f);
            DrawScreenText("\xC4", "Console", 100, 200, 0.0f);
            glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
            DrawScreenText("\xC3\x84", "Console", 300, 200, 0.0f);
            glColor4f(0.0f, 0.0f, 0.0f, 1.0f);
            returned = DrawScreenText("A", "Console", 500, 200, 0.0f);
            unknown = DrawScreenText("A", "Nobody", 700, 200, 0.0f);
            EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D)) << "left on for what is drawn next";
        }));
    const Picture picture = Shoot();
    const Picture::Box single =
        picture.Find([](const Pixel& p) { return p.r > 128 && p.g < 100 && p.b < 100; });
    const Picture::Box utf8 =
        picture.Find([](const Pixel& p) { return p.b > 128 && p.r < 100 && p.g < 100; });
    const Picture::Box plain = Ink(picture);
    EXPECT_EQ(returned, GetTextExtents("A", "Console"));
    EXPECT_EQ(unknown, Vector2(0.0f, 0.0f));
    EXPECT_NEAR(plain.left, 500, 3) << "an unknown nickname draws nothing, at 700";
    EXPECT_NEAR(plain.right, 500 + returned.X, 3);
    EXPECT_NEAR(plain.bottom, 199, 2) << "no descender in A: the ink ends on the baseline";
    ASSERT_FALSE(single.empty()) << "the byte 0xC4 drew nothing";
    ASSERT_FALSE(utf8.empty());
    EXPECT_EQ(single.width(), utf8.width());
    EXPECT_EQ(single.height(), utf8.height());
    EXPECT_NEAR(single.count, utf8.count, utf8.count / 20 + 1);
    EXPECT_EQ(single.bottom, plain.bottom) << "both stand on the baseline";
    EXPECT_LT(single.top, plain.top - 2) << "the dots stand above a plain A";
    EXPECT_EQ(GetTextExtents("M\xC4H.", "Console").X, GetTextExtents("MAH.", "Console").X)
        << "one glyph per byte in this monospaced font";
}
