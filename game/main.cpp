#include "engine/world/World.h"

#include <cstdio>

int main(int, char**)
{
    World* world = World::GetInstance();
    if (!world->Initialize(1024, 768, "Tessaly Engine", true))
    {
        std::fprintf(stderr, "flockmar: could not open the game window.\n");
        return 1;
    }
    world->StartGame();
    world->Destroy();
    return 0;
}
