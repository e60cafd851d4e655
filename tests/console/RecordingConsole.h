#pragma once

#include "engine/console/Console.h"

/// A console that records the lines it runs and the completions it is asked for, and offers
/// the completions a test chooses.
class RecordingConsole : public Console
{
public:
    void Execute(const String& input) override { executed.push_back(input); }
    StringList GetCompletions(const String& input) override
    {
        completionRequests.push_back(input);
        return completions;
    }

    /// Types each character of text, as the character callback would.
    void Type(const String& text)
    {
        for (char c : text)
            GetInput(static_cast<unsigned char>(c));
    }

    StringList executed;
    StringList completionRequests;
    StringList completions;
};
