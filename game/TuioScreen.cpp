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
    // Taken out first: deleting one object may delete another (its owner, an actor it holds).
    std::vector<RenderableRef<Renderable>> objects;
    objects.swap(m_objects);
    m_pruneAt = kFirstPrune;
    for (const RenderableRef<Renderable>& object : objects)
    {
        if (Renderable* renderable = object.Get())
        {
            world->Remove(renderable);
            delete renderable;
        }
    }
}

void TuioScreen::ReceiveMessage(Message*) {}

void TuioScreen::AddRenderable(Renderable* renderable, int layer)
{
    World::GetInstance()->Add(renderable, layer);
    AdoptObject(renderable);
}

void TuioScreen::AdoptObject(Renderable* renderable)
{
    // Objects deleted by others stay in the list until Stop: on a screen that makes and loses
    // actors for hours they are dropped now and then, at doubling sizes.
    if (m_objects.size() >= m_pruneAt)
    {
        m_objects.erase(std::remove_if(m_objects.begin(), m_objects.end(),
                                       [](const RenderableRef<Renderable>& object)
                                       { return object.Get() == nullptr; }),
                        m_objects.end());
        m_pruneAt = 2 * m_objects.size() + kFirstPrune;
    }
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
    auto found = std::find_if(m_objects.begin(), m_objects.end(),
                              [renderable](const RenderableRef<Renderable>& object)
                              { return object.Is(renderable); });
    if (found != m_objects.end())
        m_objects.erase(found);
}

void TuioScreen::AdoptActorsTagged(const String& tags)
{
    for (Actor* actor : LiveActorsTagged(tags))
    {
        const Renderable* renderable = actor;
        auto isActor = [renderable](const RenderableRef<Renderable>& object)
        { return object.Is(renderable); };
        if (std::none_of(m_objects.begin(), m_objects.end(), isActor))
            AdoptObject(actor);
    }
}

std::vector<Renderable*> TuioScreen::LiveObjects() const
{
    return LiveOf(m_objects);
}

void TuioScreen::MirrorSprite(Actor* actor)
{
    Vector2 lowerLeft, upperRight;
    actor->GetUVs(lowerLeft, upperRight);
    std::swap(lowerLeft.X, upperRight.X);
    actor->SetUVs(lowerLeft, upperRight);
}
