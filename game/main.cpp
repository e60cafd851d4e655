#include "game/QuorvelManager.h"
#include "game/ScreenProgram.h"

int main(int, char**)
{
    return RunScreenProgram([]() -> ScreenManager* { return QuorvelManager::GetInstance(); });
}
