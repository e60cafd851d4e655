#include "engine/input/InputManager.h"
#include "engine/util/FileUtil.h"
#include "engine/world/glfw2/Glfw2.h"
#include "tests/input/MessageRecorder.h"
#include "tests/support/LogCapture.h"
#include "tests/util/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace
{

class InputBindingsTest : public ::testing::Test
{
protected:
    /// Writes content byte for byte (so CR LF survives) and reads it as the bindings file.
    void ReadBindings(const String& content)
    {
        ASSERT_TRUE(dir.IsValid());
        const String path = dir.File("bindings.ini");
        std::ofstream(path, std::ios::binary) << content;
        manager.Initialize(path);
    }

    String DownMessage(int key) const
    {
        const InputBinding* binding = manager.GetBinding(key);
        return binding ? binding->GetKeyDownMessage() : "<unbound>";
    }
    String UpMessage(int key) const
    {
        const InputBinding* binding = manager.GetBinding(key);
        return binding ? binding->GetKeyUpMessage() : "<unbound>";
    }

    TempDir dir;
    InputManager manager;
};

TEST_F(InputBindingsTest, KeyNamesMapToGlfw2Codes)
{
    manager.Initialize(dir.File("none.ini"));
    // Letters are stored lower-case, names match in any case.
    EXPECT_EQ(manager.GetHashFromKeyName("A"), 'a');
    EXPECT_EQ(manager.GetHashFromKeyName("z"), 'z');
    EXPECT_EQ(manager.GetHashFromKeyName("nine"), '9');
    EXPECT_EQ(manager.GetHashFromKeyName("Space"), ' ');
    // The two slash names are crossed over.
    EXPECT_EQ(manager.GetHashFromKeyName("FORWARDSLASH"), '\\');
    EXPECT_EQ(manager.GetHashFromKeyName("BACKSLASH"), '/');
    EXPECT_EQ(manager.GetHashFromKeyName("BACKSPACE"), glfw2::KEY_BACKSPACE);
    EXPECT_EQ(manager.GetHashFromKeyName("R_SHIFT"), glfw2::KEY_RSHIFT);
    EXPECT_EQ(manager.GetHashFromKeyName("P1BUTTON_RIGHTBUMPER"), 1011);
    EXPECT_EQ(manager.GetHashFromKeyName("p2button_a"), 1020);
    // Keys the engine keeps for itself have no name.
    for (const char* name : {"ESCAPE", "ENTER", "TAB", "GRAVE", "F1", "", "P3BUTTON_A"})
        EXPECT_EQ(manager.GetHashFromKeyName(name), InputManager::kUnknownKey) << name;
}

TEST_F(InputBindingsTest, SeparatorsPrefixesAndCase)
{
    ReadBindings("a = +MoveForwards\n"
                 "B=Jump\n"
                 "SPACE:-Restart\n"
                 "c\t:\t+Fire\t\n"
                 "Minus=-\n"
                 "PLUS=+\n");
    EXPECT_EQ(DownMessage('a'), "MoveForwards");
    EXPECT_EQ(UpMessage('a'), "");
    EXPECT_EQ(DownMessage('b'), "Jump");
    EXPECT_EQ(DownMessage(' '), "");
    EXPECT_EQ(UpMessage(' '), "Restart");
    EXPECT_EQ(DownMessage('c'), "Fire");
    // A bare prefix binds an empty name: the key is bound but sends nothing.
    EXPECT_EQ(UpMessage('-'), "");
    EXPECT_EQ(DownMessage('+'), "");
}

TEST_F(InputBindingsTest, LinesThatBindNothing)
{
    ReadBindings(";R=Restart\n"
                 "\n"
                 "D=\n"
                 "E\n"
                 "F =   \n"
                 "ESCAPE=Quit\n"
                 "ENTER=Go\n"
                 "NOSUCHKEY=Whatever\n");
    for (int key : {int('r'), int('d'), int('e'), int('f'), glfw2::KEY_ESC, glfw2::KEY_ENTER,
                    InputManager::kUnknownKey})
        EXPECT_EQ(manager.GetBinding(key), nullptr) << key;
}

TEST_F(InputBindingsTest, LeadingBlanksAreTrimmedFromTheKeyName)
{
    ReadBindings(" R=Restart\n"
                 "\t ;S=Stop\n");
    EXPECT_EQ(DownMessage('r'), "Restart");
    // Not a comment, but ";S" names no key.
    EXPECT_EQ(manager.GetBinding('s'), nullptr);
}

TEST_F(InputBindingsTest, CarriageReturnLineEnds)
{
    ReadBindings("; comment\r\n"
                 "\r\n"
                 "SPACE=MoveForwards\r\n"
                 "R=-Restart\r\n");
    EXPECT_EQ(DownMessage(' '), "MoveForwards");
    EXPECT_EQ(UpMessage('r'), "Restart");
}

TEST_F(InputBindingsTest, ThirdPieceIsIgnoredAndEmptyPiecesCount)
{
    ReadBindings("SPACE=Restart=x\n"
                 "R:Reset:y=z\n"
                 "T==Late\n");
    EXPECT_EQ(DownMessage(' '), "Restart");
    EXPECT_EQ(DownMessage('r'), "Reset");
    // The empty piece between the two separators is the message: nothing is bound.
    EXPECT_EQ(manager.GetBinding('t'), nullptr);
}

TEST_F(InputBindingsTest, BothDirectionsCombineAndLaterLinesReplace)
{
    ReadBindings("R=+Pressed\n"
                 "R=-Released\n"
                 "R=PressedAgain\n");
    EXPECT_EQ(DownMessage('r'), "PressedAgain");
    EXPECT_EQ(UpMessage('r'), "Released");
}

TEST_F(InputBindingsTest, MissingFileBindsNothingSilently)
{
    LogCapture::Get().Clear();
    manager.Initialize(dir.File("missing.ini"));
    EXPECT_TRUE(LogCapture::Get().Lines().empty());
    EXPECT_FALSE(manager.OnKeyDown('A'));
    EXPECT_FALSE(manager.OnKeyDown(' '));
    EXPECT_EQ(manager.GetHashFromKeyName("SPACE"), ' ');
}

TEST_F(InputBindingsTest, KeyEventsBroadcastTheBoundNames)
{
    MessageRecorder recorder({"MoveForwards", "Restart", "Fire"});
    recorder.Deliver();
    ReadBindings("a=+MoveForwards\n"
                 "A=MoveForwards\n"
                 "SPACE:-Restart\n"
                 "FORWARDSLASH=Fire\n");

    // Letters arrive upper-case and find their lower-case binding.
    EXPECT_TRUE(manager.OnKeyDown('A'));
    EXPECT_EQ(recorder.Deliver(), StringList{"MoveForwards"});
    EXPECT_TRUE(manager.OnKeyUp('A'));
    EXPECT_TRUE(recorder.Deliver().empty());

    EXPECT_TRUE(manager.OnKeyDown(' '));
    EXPECT_TRUE(recorder.Deliver().empty());
    EXPECT_TRUE(manager.OnKeyUp(' '));
    EXPECT_EQ(recorder.Deliver(), StringList{"Restart"});

    EXPECT_TRUE(manager.OnKeyDown('\\'));
    EXPECT_FALSE(manager.OnKeyDown('/'));
    EXPECT_EQ(recorder.Deliver(), StringList{"Fire"});

    EXPECT_FALSE(manager.OnKeyDown('B'));
    EXPECT_FALSE(manager.OnKeyUp(glfw2::KEY_ESC));
    EXPECT_FALSE(manager.OnKeyDown(InputManager::kUnknownKey));
    EXPECT_TRUE(recorder.Deliver().empty());
}

TEST(InputManagerInstance, ReadsTheGamesBindingsAndStartsAfreshAfterDestroy)
{
    // Tests run from the repository root, where the game's bindings live.
    InputManager* input = InputManager::GetInstance();
    EXPECT_EQ(input, InputManager::GetInstance());
    const auto down = [&input](int key)
    {
        const InputBinding* binding = input->GetBinding(key);
        return binding ? binding->GetKeyDownMessage() : "<unbound>";
    };
    EXPECT_EQ(down(' '), "MoveForwards");
    EXPECT_EQ(down('a'), "MoveForwards");
    EXPECT_EQ(down('-'), "MoveBackwards");
    EXPECT_EQ(down(glfw2::KEY_BACKSPACE), "MoveBackwards");
    EXPECT_EQ(down('r'), "Restart");

    input->BindKey("Q", "Quit");
    InputManager::Destroy();
    input = InputManager::GetInstance();
    EXPECT_EQ(input->GetBinding('q'), nullptr);
    EXPECT_EQ(down(' '), "MoveForwards");
    InputManager::Destroy();
}

} // namespace
