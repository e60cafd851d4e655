#include "game/prototypes/PrototypesManager.h"

#include "game/prototypes/TuioScreenFungus.h"
#include "game/prototypes/TuioScreenFungusLevels.h"
#include "game/prototypes/TuioScreenPizza.h"
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
    return ScreenList{
        new TuioScreenFungus("fungus_level"),
        new TuioScreenPizza(),
        new TuioScreenFungusLevels("flower_level"),
    };
}
