#include "game/prototypes/PrototypesManager.h"

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
    return ScreenList{};
}
