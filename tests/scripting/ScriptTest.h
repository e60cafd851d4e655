#pragma once

// Needs an X display: World::Initialize opens the window and starts Python, which runs the real
// start script (the tessaly classes in the main module, the Python console registered).

#include "tests/support/LogCapture.h"
#include "tests/support/WorldWindow.h"

#include <gtest/gtest.h>

class ScriptTest : public WorldWindowTest
{
protected:
    void SetUp() override
    {
        WorldWindowTest::SetUp();
        world->SetupPhysics(Vector2(0.0f, 0.0f)); // once per test program
        Python("import tessaly_levels\n"
               "tessaly_levels.ARCHETYPE_FOLDER = 'tests/scripting/data/ActorDef'\n"
               "tessaly_levels.LEVEL_FOLDER = 'tests/scripting/data/Level'\n");
        LogCapture::Get().Clear();
    }

    /// Runs code in the main module; returns what it printed; its standard error goes to `errors`.
    String Python(const String& code)
    {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        world->ScriptExec(code);
        errors = testing::internal::GetCapturedStderr();
        return testing::internal::GetCapturedStdout();
    }

    bool ErrorsHave(const String& text) const { return errors.find(text) != String::npos; }

    String errors;
};
