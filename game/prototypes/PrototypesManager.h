#pragma once

#include "game/ScreenManager.h"

/// The manager of the further screens' program: the same switching, hints and touch messages
/// as the game's, over the list of further screens.
class PrototypesManager final : public ScreenManager
{
public:
    /// The one instance, made on the first call (with the World initialised).
    static PrototypesManager* GetInstance();

    /// A fresh list of the further screens, in the order the program shows them.
    static ScreenList MakeScreens();

private:
    PrototypesManager();
};
