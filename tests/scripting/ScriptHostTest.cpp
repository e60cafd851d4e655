// The interpreter's life: each test needs a process of its own (ctest runs every test alone).
#include "engine/actors/TextActor.h"
#include "engine/console/TestConsole.h"
#include "engine/scripting/ScriptInterface.h"
#include "engine/world/World.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace
{

bool FirstStartInThisProcess()
{
    static int starts = 0;
    return starts++ == 0;
}

TEST(ScriptHostTest, WithoutTheStartScriptStatementsAreIgnoredAndOnlyLogged)
{
    if (!FirstStartInThisProcess())
        GTEST_SKIP() << "needs a process of its own";
    TempDir dir;
    const std::filesystem::path root = std::filesystem::current_path();
    std::filesystem::current_path(dir.Path());
    LogCapture::Get().Clear();

    ScriptInterface::Initialize();
    EXPECT_FALSE(ScriptInterface::IsInitialized());
    World::GetInstance()->ScriptExec("open('ran', 'w')");
    World::GetInstance()->LoadLevel("sheeps_level1");
    EXPECT_EQ(Actor::Create("sheep"), nullptr);
    EXPECT_FALSE(std::filesystem::exists("ran"));
    EXPECT_EQ(LogCapture::Get().Lines(),
              (StringList{"Error initializing Python: couldn't find startup file.",
                          "ERROR: Script failed to create Actor with archetype sheep. "}));
    std::filesystem::current_path(root);
}

// Needs a display. Under AddressSanitizer: nothing with a Python half outlives the interpreter.
TEST(ScriptHostTest, ShutDownDeletesPythonActorsAndConsolesBeforeTheInterpreter)
{
    if (!FirstStartInThisProcess())
        GTEST_SKIP() << "needs a process of its own";
    World* world = World::GetInstance();
    ASSERT_TRUE(world->Initialize(1024, 768, "Tessaly Engine", false));
    ASSERT_TRUE(ScriptInterface::IsInitialized());
    ASSERT_EQ(dynamic_cast<TestConsole*>(world->GetConsole()), nullptr) << "a Python console";
    world->ScriptExec("class Walker(Actor):\n"
                      "    def Update(self, dt): pass\n"
                      "kept = Walker()\n"
                      "World.GetInstance().Add(kept)\n"
                      "World.GetInstance().Add(Walker(), 3)\n"
                      "World.GetInstance().Add(TextActor(), 3)\n");

    world->Destroy();
    EXPECT_FALSE(ScriptInterface::IsInitialized());
    EXPECT_NE(dynamic_cast<TestConsole*>(world->GetConsole()), nullptr);
    // The text actor has no Python half and stays, alone.
    ASSERT_NE(dynamic_cast<TextActor*>(*world->GetRenderablesBegin()), nullptr);
    EXPECT_TRUE(++world->GetRenderablesBegin() == world->GetRenderablesEnd());
    world->UnloadAll();
}

} // namespace
