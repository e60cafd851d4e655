#include "game/QuorvelManager.h"

#include "game/TuioScreenByeBye.h"
#include "game/TuioScreenSheeps.h"
#include "game/TuioScreenStart.h"
#include "tuio/TuioClient.h"

QuorvelManager* QuorvelManager::GetInstance()
{
    static QuorvelManager* instance = new QuorvelManager();
    return instance;
}

QuorvelManager::ScreenList QuorvelManager::MakeScreens()
{
    return ScreenList{
        new TuioScreenStart(),
        new TuioScreenSheeps("bush_level1"),
        new TuioScreenSheeps("sheeps_level1"),
        new TuioScreenSheeps("sheeps_level2"),
        new TuioScreenSheeps("sheeps_level3"),
        new TuioScreenSheeps("sheeps_level4"),
        new TuioScreenByeBye(),
    };
}

QuorvelManager::QuorvelManager() : ScreenManager(TUIO::TuioClient::GetInstance(), &MakeScreens)
{
    ListenForTouches();
}
