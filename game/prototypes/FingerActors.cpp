#include "game/prototypes/FingerActors.h"

#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/world/World.h"
#include "game/ScreenMessages.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "tuio/TuioCursor.h"

#include <iterator>

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
    TUIO::TuioCursor* cursor = CursorOf(message);
    if (cursor == nullptr)
        return true;
    if (added)
        Add(cursor);
    else if (updated)
        Move(cursor);
    else if (TuioCursorPhysicsActor* finger = Lift(cursor->getCursorID()))
        finger->Destroy();
    return true;
}

TuioCursorPhysicsActor* FingerActors::Add(TUIO::TuioCursor* cursor)
{
    if (Find(cursor->getCursorID()) != nullptr)
        return nullptr;
    // Fingers destroyed by someone else count as lifted (and one under this ID is replaced).
    for (auto entry = m_fingers.begin(); entry != m_fingers.end();)
    {
        if (entry->second.GetLive() != nullptr)
        {
            ++entry;
            continue;
        }
        m_lifted.Add(entry->second.Get());
        entry = m_fingers.erase(entry);
    }
    if (static_cast<int>(m_fingers.size()) + m_lifted.Count() >= kMaxFingers)
        return nullptr;
    TuioCursorPhysicsActor* made = Make(cursor, m_listener, m_layer);
    m_fingers[cursor->getCursorID()] = made;
    return made;
}

TuioCursorPhysicsActor* FingerActors::Move(TUIO::TuioCursor* cursor)
{
    TuioCursorPhysicsActor* finger = Find(cursor->getCursorID());
    if (finger != nullptr)
    {
        finger->SetTuioCursor(cursor);
        finger->SetPosition(CursorWorldPoint(*cursor));
    }
    return finger;
}

TuioCursorPhysicsActor* FingerActors::Lift(int id)
{
    TuioCursorPhysicsActor* finger = Find(id);
    m_fingers.erase(id);
    m_lifted.Add(finger);
    return finger;
}

void FingerActors::Clear()
{
    for (const auto& [id, finger] : Get())
    {
        finger->Destroy();
        m_lifted.Add(finger);
    }
    m_fingers.clear();
}

FingerActors::Map FingerActors::Get() const
{
    Map live;
    for (const auto& entry : m_fingers)
        if (TuioCursorPhysicsActor* finger = entry.second.GetLive())
            live.emplace(entry.first, finger);
    return live;
}

TuioCursorPhysicsActor* FingerActors::Find(int id) const
{
    const auto found = m_fingers.find(id);
    return found == m_fingers.end() ? nullptr : found->second.GetLive();
}

TuioCursorPhysicsActor* FingerActors::Make(TUIO::TuioCursor* cursor, MessageListener* listener,
                                           int layer)
{
    auto* finger = new TuioCursorPhysicsActor();
    finger->SetName("Cursor");
    finger->SetTuioCursor(cursor);
    finger->SetCursorId(cursor->getCursorID());
    finger->SetPosition(CursorWorldPoint(*cursor));
    finger->InitPhysics();
    World::GetInstance()->Add(finger, layer);
    Switchboard::GetInstance()->SubscribeTo(listener, CollisionName(finger));
    return finger;
}
