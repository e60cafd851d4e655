#include "game/QuorvelManager.h"
#include "game/ScreenProgram.h"

int main(int, char**)
{
    return RunScreenProgram("flockmar",
                            []() -> ScreenManager* { return QuorvelManager::GetInstance(); });
}
