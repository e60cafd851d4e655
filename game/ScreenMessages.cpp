#include "game/ScreenMessages.h"

#include "engine/actors/Actor.h"
#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TypedMessage.h"
#include "engine/util/MathUtil.h"
#include "engine/world/Camera.h"
#include "game/TuioCursorMessage.h"
#include "tuio/TuioCursor.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr const char* kTouchMessages[] = {"TuioCursorAdded", "TuioCursorRemoved",
                                          "TuioCursorUpdated"};
constexpr char kCollisionPrefix[] = "CollisionWith";
constexpr size_t kCollisionPrefixLength = sizeof(kCollisionPrefix) - 1;

/// value within low ... high; the middle for a value that is not a number.
float Limit(float value, float low, float high)
{
    if (std::isnan(value))
        return (low + high) / 2.0f;
    return std::min(std::max(value, low), high);
}
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
    const TUIO::TuioPoint onTable(TUIO::TuioTime(), Limit(cursor.getX(), -1.0f, 2.0f),
                                  Limit(cursor.getY(), -1.0f, 2.0f));
    return MathUtil::ScreenToWorld(onTable.getScreenX(camera->GetWindowWidth()),
                                   onTable.getScreenY(camera->GetWindowHeight()));
}

Vector2 CursorWorldVelocity(const TUIO::TuioCursor& cursor)
{
    const Vector2 visible = MathUtil::GetVisibleWorldSize();
    const float limit = kMaxCursorWorldSpeed;
    return Vector2(Limit(cursor.getXSpeed() * visible.X, -limit, limit),
                   Limit(-cursor.getYSpeed() * visible.Y, -limit, limit));
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
    // A sender deleted since the broadcast reads null (the message watches its sender).
    auto* actor = dynamic_cast<Actor*>(message->GetSender());
    return actor != nullptr && !actor->IsDestroyed() ? actor : nullptr;
}
