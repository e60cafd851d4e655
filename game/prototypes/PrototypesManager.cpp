#include "game/prototypes/PrototypesManager.h"

#include "game/prototypes/TuioScreenCarrySheeps.h"
#include "game/prototypes/TuioScreenFungus.h"
#include "game/prototypes/TuioScreenFungusLevels.h"
#include "game/prototypes/TuioScreenLeveleditorSheeps.h"
#include "game/prototypes/TuioScreenPizza.h"
#include "game/prototypes/TuioScreenPunks.h"
#include "game/prototypes/TuioScreenPunksBare.h"
#include "game/prototypes/TuioScreenSpringSheeps.h"
#include "game/prototypes/TuioScreenSticks.h"
#include "game/prototypes/TuioScreenTwoPlayerSheeps.h"
#include "tuio/TuioClient.h"

PrototypesManager* PrototypesManager::GetInstance()
{
    static PrototypesManager* instance = new PrototypesManager();
    return instance;
}

PrototypesManager::PrototypesManager()
    : ScreenManager(TUIO::TuioClient::GetInstance(), &PrototypesManager::MakeScreens, "Space")
{
    ListenForTouches();
}

PrototypesManager::ScreenList PrototypesManager::MakeScreens()
{
    return ScreenList{
        new TuioScreenFungus("fungus_level"),
        new TuioScreenPizza(),
        new TuioScreenFungusLevels("flower_level"),
        new TuioScreenSticks(),
        new TuioScreenPunks("punks_level1"),
        new TuioScreenPunksBare("punks_level1"),
        new TuioScreenLeveleditorSheeps("leveleditor_sheeps"),
        new TuioScreenTwoPlayerSheeps(),
        new TuioScreenCarrySheeps(),
        new TuioScreenSpringSheeps(),
    };
}
