#include "engine/input/InputManager.h"
#include "engine/util/DataFile.h"
#include "engine/world/glfw2/Glfw2.h"
#include "tests/support/Locales.h"
#include "tests/support/LogCapture.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/NotAFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

#include <unistd.h>

namespace
{

constexpr int kUnknown = InputManager::kUnknownKey;

TEST(InputBindings, FileSeparatorsPrefixesCommentsKeyNamesAndLinesThatBindNothing)
{
    TempDir dir;
    const String path = dir.File("bindings.ini");
    std::ofstream(path, std::ios::binary)
        << "a = +MoveForwards\nB=Jump\r\nSPACE:-Restart\r\nc\t:\t+Fire\t\nMinus=-\n"
           "; comment\r\n\r\n;D=Commented\n E=Indented\n\t ;F=NotAComment\n"
           "G=\nH\nI =   \nESCAPE=Quit\nenter=Go\nTAB=Go\nF1=Go\nNOSUCHKEY=Whatever\n"
           "J=Jump=x\nK:Kick:y=z\nL==Late\nM=+Pressed\nM=-Released\nM=PressedAgain\n"
           "forwardslash=Fwd\nBACKSLASH=Back\nBackSpace=Erase\nP1BUTTON_RIGHTBUMPER=Bump\n"
           "p2button_a=Pad\nP3BUTTON_A=None\n";
    InputManager input;
    input.Initialize(path);
    // A bare prefix binds an empty name (bound, sends nothing). Only a ';' in column one makes
    // a comment, so ";F" names no key. A third piece is ignored, and an empty piece between two
    // separators is the message. A later line replaces only its own direction. The two slash
    // names are crossed over. Escape, Enter, Tab and F keys have no name.
    // clang-format off
    const std::pair<int, const char*> expected[] = {
        {'a', "MoveForwards|"}, {'b', "Jump|"}, {' ', "|Restart"}, {'c', "Fire|"}, {'-', "|"},
        {'d', "unbound"}, {'e', "Indented|"}, {'f', "unbound"}, {'g', "unbound"},
        {'h', "unbound"}, {'i', "unbound"}, {glfw2::KEY_ESC, "unbound"},
        {glfw2::KEY_ENTER, "unbound"}, {glfw2::KEY_TAB, "unbound"}, {glfw2::KEY_F1, "unbound"},
        {kUnknown, "unbound"}, {'j', "Jump|"}, {'k', "Kick|"}, {'l', "unbound"},
        {'m', "PressedAgain|Released"}, {'\\', "Fwd|"}, {'/', "Back|"},
        {glfw2::KEY_BACKSPACE, "Erase|"}, {1011, "Bump|"}, {1020, "Pad|"}};
    // clang-format on
    for (const auto& [key, bound] : expected)
    {
        const InputBinding* binding = input.GetBinding(key);
        EXPECT_EQ(binding ? binding->GetKeyDownMessage() + "|" + binding->GetKeyUpMessage()
                          : "unbound",
                  bound)
            << key;
    }
}

TEST(InputBindings, AMissingFileBindsNothingSilentlyAndLettersArriveUpperCase)
{
    MessageRecorder recorder({"MoveForwards"});
    LogCapture::Get().Clear();
    InputManager input;
    input.Initialize("no-such-file.ini");
    EXPECT_TRUE(LogCapture::Get().Lines().empty());
    input.BindKey("a", "MoveForwards");
    // A bound key counts as handled both ways, even sending nothing.
    EXPECT_TRUE(input.OnKeyDown('A') && input.OnKeyUp('A'));
    EXPECT_FALSE(input.OnKeyDown(glfw2::KEY_ESC) || input.OnKeyDown(kUnknown));
    EXPECT_EQ(recorder.Deliver(), StringList{"MoveForwards"});
    input.Initialize("no-such-file.ini"); // another file replaces every binding
    EXPECT_FALSE(input.OnKeyDown('A'));
}

// Key names are case-insensitive in every locale: in a Turkish one, upper-casing 'i' by the
// locale's rules made "minus" into "MiNUS", which names no key.
TEST(InputBindings, KeyNamesOfAnyCaseBindInEveryLocale)
{
    TempDir dir;
    const String path = dir.File("bindings.ini");
    std::ofstream(path) << "minus=MoveBackwards\ni=Jump\np1button_rightthumb=Bump\nSpace=Go\n";
    for (const String& name : OtherLocales())
    {
        const ScopedLocale locale(name);
        ASSERT_TRUE(locale.IsSet()) << name << " could not be made (localedef, locales)";
        InputManager input;
        input.Initialize(path);
        for (const auto& [key, bound] : std::initializer_list<std::pair<int, const char*>>{
                 {'-', "MoveBackwards"}, {'i', "Jump"}, {1007, "Bump"}, {' ', "Go"}})
        {
            const InputBinding* binding = input.GetBinding(key);
            EXPECT_EQ(binding ? binding->GetKeyDownMessage() : "unbound", bound) << name;
        }
        EXPECT_EQ(input.GetHashFromKeyName("backslash"), '/') << name;
    }
}

TEST(InputBindings, ABindingsFileThatIsNoFileBindsNothingAndOneTooLargeSaysSo)
{
    TempDir dir;
    const String path = dir.File("bindings.ini");
    LogCapture::Get().Clear();
    // No pipe is waited on and no device read; as a missing file, silently.
    for (const char* kind : kNotAFileKinds)
    {
        NotAFile thing(kind, path);
        ASSERT_TRUE(thing.Made()) << kind;
        InputManager input;
        input.Initialize(path);
        EXPECT_EQ(input.GetBinding(' '), nullptr) << kind;
        EXPECT_TRUE(LogCapture::Get().Take().empty()) << kind;
        EXPECT_FALSE(thing.Waited()) << kind;
    }
    // Binding lines and then room up to a byte beyond the cap (sparse: it takes no room).
    std::ofstream(path) << "SPACE = MoveForwards\n";
    ASSERT_EQ(truncate(path.c_str(), kMaxTextFileBytes + 1), 0);
    InputManager input;
    input.Initialize(path);
    EXPECT_EQ(input.GetBinding(' '), nullptr);
    EXPECT_EQ(LogCapture::Get().Take(),
              StringList{"ERROR: Key bindings file " + path +
                         " is larger than 16777216 bytes: no key is bound."});
    ASSERT_EQ(truncate(path.c_str(), kMaxTextFileBytes), 0);
    input.Initialize(path);
    EXPECT_NE(input.GetBinding(' '), nullptr) << "a file of just the cap is read";
    EXPECT_TRUE(LogCapture::Get().Take().empty());
}

} // namespace
