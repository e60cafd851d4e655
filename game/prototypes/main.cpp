#include "game/ScreenProgram.h"
#include "game/prototypes/PrototypesManager.h"

int main(int, char**)
{
    // The level editor pans with w, a, s and d, so A must not move on to the next screen here.
    return RunScreenProgram(
        "flockmar-prototypes", []() -> ScreenManager* { return PrototypesManager::GetInstance(); },
        "Config/prototypes_bindings.ini");
}
