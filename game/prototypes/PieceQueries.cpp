#include "game/prototypes/PieceQueries.h"

#include "engine/actors/Actor.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/TagCollection.h"
#include "engine/world/World.h"

ActorList LiveActorsTagged(const String& tags)
{
    ActorList live;
    for (Actor* actor : TagCollection::GetInstance()->GetObjectsTagged(tags))
        if (!actor->IsDestroyed())
            live.push_back(actor);
    return live;
}

Actor* LiveSender(const Message* message)
{
    const MessageListener* sender = message->GetSender();
    if (sender == nullptr)
        return nullptr;
    World* world = World::GetInstance();
    for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
    {
        auto* actor = dynamic_cast<Actor*>(*it);
        if (actor != nullptr && static_cast<MessageListener*>(actor) == sender)
            return actor;
    }
    return nullptr;
}

bool StartsWith(const String& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}
