#include "game/ScreenProgram.h"
#include "game/prototypes/PrototypesManager.h"

int main(int, char**)
{
    return RunScreenProgram([]() -> ScreenManager* { return PrototypesManager::GetInstance(); });
}
