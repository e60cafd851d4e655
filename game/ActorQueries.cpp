#include "game/ActorQueries.h"

#include "engine/actors/Actor.h"
#include "engine/messaging/TagCollection.h"

ActorList LiveActorsTagged(const String& tags)
{
    ActorList live;
    for (Actor* actor : TagCollection::GetInstance()->GetObjectsTagged(tags))
        if (!actor->IsDestroyed())
            live.push_back(actor);
    return live;
}

bool StartsWith(const String& text, const char* prefix)
{
    return text.rfind(prefix, 0) == 0;
}
