#include "game/prototypes/PrototypesManager.h"

#include "game/prototypes/TuioScreenLeveleditorSheeps.h"
#include "game/prototypes/TuioScreenPunks.h"
#include "game/prototypes/TuioScreenPunksBare.h"
#include "game/prototypes/TuioScreenSticks.h"
#include "tuio/TuioClient.h"

PrototypesManager* PrototypesManager::GetInstance()
{
    static PrototypesManager* instance = new PrototypesManager();
    return instance;
}

PrototypesManager::PrototypesManager()
    : ScreenManager(TUIO::TuioClient::GetInstance(), &PrototypesManager::MakeScreens, "Space")
{
}

PrototypesManager::ScreenList PrototypesManager::MakeScreens()
{
    ScreenList screens;
    screens.push_back(new TuioScreenSticks());
    screens.push_back(new TuioScreenPunks("punks_level1"));
    screens.push_back(new TuioScreenPunksBare("punks_level1"));
    screens.push_back(new TuioScreenLeveleditorSheeps("leveleditor_sheeps"));
    return screens;
}
