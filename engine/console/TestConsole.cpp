#include "engine/console/TestConsole.h"

void TestConsole::Execute(const String& input)
{
    WriteToOutput("Test Console Echo: " + input);
}

StringList TestConsole::GetCompletions(const String&)
{
    return StringList();
}
