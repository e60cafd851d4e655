#include "game/ScreenMessages.h"

#include "engine/actors/Actor.h"
#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TypedMessage.h"
#include "engine/util/MathUtil.h"
#include "engine/world/Camera.h"
#include "game/TuioCursorMessage.h"

namespace
{
constexpr const char* kTouchMessages[] = {"TuioCursorAdded", "TuioCursorRemoved",
                                          "TuioCursorUpdated"};
constexpr char kCollisionPrefix[] = "CollisionWith";
constexpr size_t kCollisionPrefixLength = sizeof(kCollisionPrefix) - 1;
} // namespace

void SubscribeToTouches(MessageListener* listener)
{
    for (const char* name : kTouchMessages)
        Switchboard::GetInstance()->SubscribeTo(listener, name);
}

void UnsubscribeFromTouches(MessageListener* listener)
{
    for (const char* name : kTouchMessages)
        Switchboard::GetInstance()->UnsubscribeFrom(listener, name);
}

TUIO::TuioCursor* CursorOf(Message* message)
{
    auto* touch = dynamic_cast<TuioCursorMessage*>(message);
    return touch != nullptr ? touch->GetValue() : nullptr;
}

Vector2 CursorWorldPoint(const TUIO::TuioCursor& cursor)
{
    const Camera* camera = Camera::GetInstance();
    return MathUtil::ScreenToWorld(cursor.getScreenX(camera->GetWindowWidth()),
                                   cursor.getScreenY(camera->GetWindowHeight()));
}

String CollisionName(const Actor* actor)
{
    return kCollisionPrefix + actor->GetName();
}

String CollisionSubject(const String& messageName)
{
    if (messageName.compare(0, kCollisionPrefixLength, kCollisionPrefix) != 0)
        return String();
    return messageName.substr(kCollisionPrefixLength);
}

b2ContactPoint* ContactOf(Message* message)
{
    auto* contact = dynamic_cast<TypedMessage<b2ContactPoint*>*>(message);
    return contact != nullptr ? contact->GetValue() : nullptr;
}

Actor* LiveSender(const Message* message)
{
    // A sender deleted since the broadcast reads null (the Switchboard forgets it).
    auto* actor = dynamic_cast<Actor*>(message->GetSender());
    return actor != nullptr && !actor->IsDestroyed() ? actor : nullptr;
}
