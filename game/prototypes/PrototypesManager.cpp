#include "game/prototypes/PrototypesManager.h"

#include "game/prototypes/TuioScreenCarrySheeps.h"
#include "game/prototypes/TuioScreenSpringSheeps.h"
#include "game/prototypes/TuioScreenTwoPlayerSheeps.h"
#include "tuio/TuioClient.h"

PrototypesManager* PrototypesManager::GetInstance()
{
    static PrototypesManager* instance = new PrototypesManager();
    return instance;
}

PrototypesManager::PrototypesManager()
    : ScreenManager(TUIO::TuioClient::GetInstance(), &PrototypesManager::MakeScreens)
{
}

PrototypesManager::ScreenList PrototypesManager::MakeScreens()
{
    ScreenList screens;
    screens.push_back(new TuioScreenTwoPlayerSheeps());
    screens.push_back(new TuioScreenCarrySheeps());
    screens.push_back(new TuioScreenSpringSheeps());
    return screens;
}
