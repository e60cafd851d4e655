#include "game/prototypes/FingerActors.h"

#include "engine/messaging/Switchboard.h"
#include "engine/util/MathUtil.h"
#include "engine/world/Camera.h"
#include "engine/world/World.h"
#include "game/TuioCursorMessage.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"

FingerActors::FingerActors(MessageListener* listener, int layer)
    : m_listener(listener), m_layer(layer)
{
}

bool FingerActors::Handle(Message* message)
{
    const String& name = message->GetMessageName();
    const bool added = name == "TuioCursorAdded";
    const bool updated = name == "TuioCursorUpdated";
    if (!added && !updated && name != "TuioCursorRemoved")
        return false;
    // The names may also come without a cursor (from a key binding or a script).
    auto* touch = dynamic_cast<TuioCursorMessage*>(message);
    TUIO::TuioCursor* cursor = touch != nullptr ? touch->GetValue() : nullptr;
    if (cursor == nullptr)
        return true;

    const int id = cursor->getCursorID();
    auto found = m_fingers.find(id);
    if (added)
    {
        if (found != m_fingers.end())
            return true;
        auto* finger = new TuioCursorPhysicsActor();
        finger->SetName("Cursor");
        finger->SetTuioCursor(cursor);
        finger->SetCursorId(id);
        finger->SetPosition(WorldPoint(*cursor));
        finger->InitPhysics();
        World::GetInstance()->Add(finger, m_layer);
        Switchboard::GetInstance()->SubscribeTo(m_listener, "CollisionWith" + finger->GetName());
        m_fingers[id] = finger;
    }
    else if (found != m_fingers.end())
    {
        if (updated)
        {
            found->second->SetTuioCursor(cursor);
            found->second->SetPosition(WorldPoint(*cursor));
        }
        else
        {
            found->second->Destroy();
            m_fingers.erase(found);
        }
    }
    return true;
}

void FingerActors::Clear()
{
    for (auto& entry : m_fingers)
        entry.second->Destroy();
    m_fingers.clear();
}

Vector2 FingerActors::WorldPoint(const TUIO::TuioCursor& cursor)
{
    const Camera* camera = Camera::GetInstance();
    return MathUtil::ScreenToWorld(cursor.getScreenX(camera->GetWindowWidth()),
                                   cursor.getScreenY(camera->GetWindowHeight()));
}
