#pragma once

#include "engine/console/Console.h"

/// The console the engine registers at start-up: it echoes every line and completes nothing.
class TestConsole : public Console
{
public:
    TestConsole() { SetPrompt("::>"); }

    /// Writes "Test Console Echo: " and the line, without a line end, so echoes join one line.
    void Execute(const String& input) override;
    StringList GetCompletions(const String& input) override;
};
