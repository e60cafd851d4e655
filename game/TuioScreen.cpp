#include "game/TuioScreen.h"

#include "engine/world/World.h"

void TuioScreen::Update(float) {}

void TuioScreen::Render() {}

void TuioScreen::Start() {}

void TuioScreen::Stop()
{
    World* world = World::GetInstance();
    for (Renderable* object : m_objects)
    {
        world->Remove(object);
        delete object;
    }
    m_objects.clear();
}

void TuioScreen::ReceiveMessage(Message*) {}
