#pragma once

#include "game/ScreenManager.h"

/// The game's manager: the start screen, the five herding levels and the farewell screen.
class QuorvelManager final : public ScreenManager
{
public:
    /// The one instance, made on the first call (with the World initialised): it registers with
    /// the TUIO client singleton and starts the first screen.
    static QuorvelManager* GetInstance();

    /// The game's seven screens, newly made, in their order: start, the five herding levels
    /// ("bush_level1", "sheeps_level1" ... "sheeps_level4"), farewell.
    static ScreenList MakeScreens();

private:
    QuorvelManager();
};
