// Names from data files and callers reach the scripts as values: they never run as code.
#include "engine/actors/PhysicsActor.h"
#include "tests/scripting/ScriptTest.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <memory>

namespace
{

using ScriptValuesTest = ScriptTest;

struct HostileName
{
    String name;
    String shownByEngine; // in the engine's log line
    String shownByScript; // in the level loader's line
};

/// Names that ran code, or broke the statement, when pasted between quotes. Each starts with an
/// archetype that exists and a level name whose loading raises nothing, so that code after it
/// would run and create the marker file.
std::vector<HostileName> HostileNames(const String& marker)
{
    const String make = "open('" + marker + "', 'w')";
    const String nul("meadow\0'); ", 11);
    return {
        // The level editor's palette, reproduced.
        {"meadow'); __import__('os').system('id > " + marker + "'); ('x", "", ""},
        {"meadow'); " + make + "; ('", "", ""},
        {"meadow')\n" + make + "\n('", "meadow')\\n" + make + "\\n('",
         "meadow')\\n" + make + "\\n('"},
        {"meadow\\'); " + make + "; ('", "", ""},
        {"meadow\\", "", ""},
        {"meadow\"); " + make + "; (\"", "", ""},
        {nul + make + "; ('", "meadow\\x00'); " + make + "; ('", "meadow\\x00'); " + make + "; ('"},
        {"meadow\xff\xfe'); " + make + "; ('", "meadow\\xff\\xfe'); " + make + "; ('",
         "meadow\\xff\\xfe'); " + make + "; ('"},
    };
}

int Count(const String& text, const String& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != String::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

} // namespace

TEST_F(ScriptValuesTest, HostileArchetypeAndLevelNamesFailWithOneErrorLineAndNeverRun)
{
    TempDir dir;
    const String marker = dir.File("ran");
    Python("archetype = levelName = tag = 'kept'");
    for (const HostileName& hostile : HostileNames(marker))
    {
        const String& name = hostile.name;
        const String engine = hostile.shownByEngine.empty() ? name : hostile.shownByEngine;
        const String script = hostile.shownByScript.empty() ? name : hostile.shownByScript;

        LogCapture::Get().Clear();
        testing::internal::CaptureStderr();
        EXPECT_EQ(Actor::Create(name), nullptr) << name;
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(
            LogCapture::Get().Take(),
            StringList{"ERROR: Script failed to create Actor with archetype " + engine + ". "});
        EXPECT_FALSE(std::filesystem::remove(marker)) << "Actor::Create ran " << name;

        testing::internal::CaptureStderr();
        world->LoadLevel(name);
        const String printed = testing::internal::GetCapturedStderr();
        EXPECT_EQ(Count(printed, "ERROR:"), 1) << printed;
        EXPECT_EQ(Count(printed, "\n"), 1) << printed;
        EXPECT_NE(printed.find("ERROR: tests/scripting/data/Level/" + script + ".ini: cannot read"),
                  String::npos)
            << printed;
        EXPECT_FALSE(std::filesystem::remove(marker)) << "World::LoadLevel ran " << name;
    }
    // The names were bound for their statements only.
    EXPECT_EQ(Python("print(archetype, levelName, tag)"), "kept kept kept\n");
}

TEST_F(ScriptValuesTest, NamesWithQuotesAndBytesBeyondUtf8MakeTheirActorsAndLevels)
{
    std::unique_ptr<Actor> hut(Actor::Create("shepherd's hut"));
    auto* physics = dynamic_cast<PhysicsActor*>(hut.get());
    ASSERT_NE(physics, nullptr);
    EXPECT_EQ(physics->GetSize(), Vector2(2.0f, 2.0f));
    EXPECT_EQ(physics->GetTags(), StringSet{"hut"});
    EXPECT_TRUE(LogCapture::Get().Lines().empty());

    std::unique_ptr<Actor> gate(Actor::Create("drover's \"pen\" \\ gate"));
    ASSERT_NE(gate, nullptr);
    EXPECT_EQ(gate->GetSize(), Vector2(3.0f, 3.0f));
    EXPECT_EQ(gate->GetTags(), StringSet{"pen"});
    EXPECT_TRUE(LogCapture::Get().Lines().empty());

    // A level file whose name has quotes, a backslash and a byte that is not UTF-8.
    TempDir dir;
    const String level = "it's \"here\" \\ \xe9";
    std::ofstream(dir.File(level + ".ini")) << "[Hut]\ntype = Shepherd's Hut\nposition = [1, 2]\n";
    world->ScriptExec("import tessaly_levels\ntessaly_levels.LEVEL_FOLDER = folder\n",
                      {{"folder", dir.Path()}});
    testing::internal::CaptureStderr();
    world->LoadLevel(level);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    auto* loaded = dynamic_cast<PhysicsActor*>(Actor::GetNamed("Hut"));
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->GetPosition(), Vector2(1.0f, 2.0f));
    EXPECT_NE(loaded->GetBody(), nullptr);
}
