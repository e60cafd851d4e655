#include "game/TuioScreen.h"

#include "engine/actors/TextActor.h"
#include "engine/world/World.h"
#include "game/ActorQueries.h"

#include <algorithm>
#include <utility>

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

void TuioScreen::AddRenderable(Renderable* renderable, int layer)
{
    World::GetInstance()->Add(renderable, layer);
    m_objects.push_back(renderable);
}

TextActor* TuioScreen::AddCentredText(const String& text, const Vector2& position, const char* font)
{
    auto* actor = new TextActor(font, text, TXT_Left, 5);
    actor->SetPosition(position);
    actor->SetAlignment(TXT_Center);
    return AddObject(actor, 0);
}

void TuioScreen::ForgetObject(const Renderable* renderable)
{
    auto found = std::find(m_objects.begin(), m_objects.end(), renderable);
    if (found != m_objects.end())
        m_objects.erase(found);
}

void TuioScreen::AdoptActorsTagged(const String& tags)
{
    for (Actor* actor : LiveActorsTagged(tags))
        if (std::find(m_objects.begin(), m_objects.end(), actor) == m_objects.end())
            m_objects.push_back(actor);
}

void TuioScreen::MirrorSprite(Actor* actor)
{
    Vector2 lowerLeft, upperRight;
    actor->GetUVs(lowerLeft, upperRight);
    std::swap(lowerLeft.X, upperRight.X);
    actor->SetUVs(lowerLeft, upperRight);
}
