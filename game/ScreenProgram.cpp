#include "game/ScreenProgram.h"

#include "engine/input/InputManager.h"
#include "engine/world/World.h"
#include "game/ScreenManager.h"
#include "tuio/TuioClient.h"

#include <cstdio>
#include <cstdlib>

int RunScreenProgram(ScreenManager* (*getManager)(), const char* bindingsFile)
{
    TUIO::TuioClient* client = TUIO::TuioClient::GetInstance();
    client->connect(false);
    if (!client->isConnected())
    {
        std::exit(1);
    }

    World* world = World::GetInstance();
    if (!world->Initialize(1024, 768, "Tessaly Engine", true))
    {
        // Running the loop without a window would spin forever on nothing.
        std::fprintf(stderr, "flockmar: could not open the game window.\n");
        return 1;
    }
    if (bindingsFile != nullptr)
    {
        InputManager::GetInstance()->Initialize(bindingsFile);
    }
    world->SetupPhysics(Vector2(0.0f, 0.0f), Vector2(kFieldHalfSize, kFieldHalfSize),
                        Vector2(-kFieldHalfSize, -kFieldHalfSize));
    ScreenManager* manager = getManager();
    world->SetGameManager(manager);
    world->StartGame();
    manager->StopRunningScreen();
    world->Destroy();
    // The receive thread would otherwise go on calling the manager while the process unwinds.
    client->disconnect();
    return 0;
}
