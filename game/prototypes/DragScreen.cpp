#include "game/prototypes/DragScreen.h"

#include "engine/actors/TextActor.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/Color.h"
#include "engine/util/MathUtil.h"
#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/ActorQueries.h"
#include "game/ScreenMessages.h"
#include "game/prototypes/FingerActors.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "tuio/TuioCursor.h"

#include <algorithm>
#include <cstdio>

namespace
{
constexpr char kDragsSomething[] = "drags_something";
constexpr char kPlaceholder[] = "delete_me_after_add";
constexpr float kTitleY = 3.5f;

/// Placeholders are the screen's to delete (a script may have put one into the World); live
/// cursor actors are the World's.
void Dispose(const RenderableRef<TuioCursorPhysicsActor>& actor, bool placeholder)
{
    if (!placeholder)
    {
        if (TuioCursorPhysicsActor* live = actor.GetLive())
            live->Destroy();
    }
    else if (TuioCursorPhysicsActor* owned = actor.Get())
    {
        World::GetInstance()->Remove(owned);
        delete owned;
    }
}
} // namespace

DragScreen::DragScreen(const String& levelName, const String& titleText, bool sweepsCopies)
    : m_levelName(levelName), m_titleText(titleText), m_sweepsCopies(sweepsCopies)
{
}

DragScreen::~DragScreen()
{
    for (auto& entry : m_cursors)
    {
        if (entry.second.kind == CursorEntry::Kind::Placeholder)
            Dispose(entry.second.actor, true);
    }
    Switchboard::GetInstance()->UnsubscribeFromAll(this);
}

void DragScreen::BeginStart()
{
    m_active = true;
    SubscribeToTouches(this);

    World* world = World::GetInstance();
    world->SetBlockers(true, 1.0f);
    world->SetBackgroundColor(Color(0.2f, 2.0f, 0.5f, 1.0f, true));
    if (!m_levelName.empty())
        world->LoadLevel(m_levelName);
    m_startTime = world->GetCurrentTimeSeconds();
}

void DragScreen::AddTitle()
{
    m_title = AddCentredText(m_titleText, Vector2(0.0f, kTitleY));
}

void DragScreen::AddClassLabel(const String& className)
{
    auto* label = new TextActor("ConsoleSmall", className, TXT_Left, 5);
    // Pixel (5, 763): the bottom-left corner of a 768 pixel high window.
    label->SetPosition(MathUtil::ScreenToWorld(5, 763));
    label->SetColor(0.3f, 0.3f, 0.3f, 1.0f);
    AddObject(label, 0);
}

TextActor* DragScreen::GetTitle() const
{
    return m_title.GetLive();
}

void DragScreen::Update(float)
{
    TextActor* title = m_title.GetLive();
    if (title == nullptr)
        return;
    const int elapsed =
        static_cast<int>(World::GetInstance()->GetCurrentTimeSeconds() - m_startTime);
    char clock[32];
    std::snprintf(clock, sizeof clock, "%02d:%02d", elapsed / 60, elapsed % 60);
    title->SetDisplayString(clock);
}

void DragScreen::Stop()
{
    TuioScreen::Stop();
    m_title.Reset();
    DestroyCursorEntries();
    if (m_sweepsCopies)
    {
        for (Actor* copy : TagCollection::GetInstance()->GetObjectsTagged(kCopyTag))
            copy->Destroy();
    }
    UnsubscribeFromTouches(this);
    m_active = false;
}

void DragScreen::DestroyCursorEntries()
{
    // Touches still down let go: an actor they hold that outlives the screen is held by nobody.
    CursorTable entries;
    entries.swap(m_cursors);
    for (const auto& [id, entry] : entries)
    {
        LetGo(id, entry, nullptr);
        Retire(entry);
    }
}

void DragScreen::Retire(const CursorEntry& entry)
{
    // A cursor actor counts against the finger cap until the World deletes it.
    if (entry.kind == CursorEntry::Kind::Cursor)
        m_lifted.Add(entry.actor.Get());
    Dispose(entry.actor, entry.kind == CursorEntry::Kind::Placeholder);
}

bool DragScreen::HasRoomForCursor()
{
    const auto taken = std::count_if(m_cursors.begin(), m_cursors.end(),
                                     [](const auto& entry)
                                     {
                                         const CursorEntry& filed = entry.second;
                                         return filed.kind == CursorEntry::Kind::Cursor ||
                                                (filed.kind == CursorEntry::Kind::Placeholder &&
                                                 filed.actor.Get());
                                     });
    return taken + m_lifted.Count() < FingerActors::kMaxFingers;
}

void DragScreen::ReceiveMessage(Message* message)
{
    if (!m_active)
        return;
    const String& name = message->GetMessageName();
    if (TUIO::TuioCursor* cursor = CursorOf(message))
    {
        if (name == "TuioCursorAdded")
            OnCursorAdded(cursor);
        else if (name == "TuioCursorUpdated")
            OnCursorUpdated(cursor);
        else if (name == "TuioCursorRemoved")
            OnCursorRemoved(cursor);
        return;
    }

    const String actorName = CollisionSubject(name);
    Actor* other = LiveSender(message);
    if (actorName.empty() || other == nullptr)
        return;
    if (!StartsWith(actorName, "Cursor"))
    {
        OnOtherCollision(actorName, other);
        return;
    }

    auto* cursorActor = dynamic_cast<TuioCursorPhysicsActor*>(Actor::GetNamed(actorName));
    auto* otherBody = dynamic_cast<PhysicsActor*>(other);
    b2ContactPoint* contact = ContactOf(message);
    if (cursorActor == nullptr || otherBody == nullptr || contact == nullptr)
        return;
    // Only the screen's own live cursor actors pick things up: a contact reported for a finger
    // lifted earlier in this delivery pass must not start a new hold.
    auto entry = m_cursors.find(cursorActor->GetCursorId());
    if (entry == m_cursors.end() || entry->second.kind != CursorEntry::Kind::Cursor ||
        entry->second.actor.GetLive() != cursorActor)
        return;
    OnCursorCollision(cursorActor, otherBody, contact);
}

void DragScreen::OnCursorAdded(TUIO::TuioCursor* cursor)
{
    const int id = cursor->getCursorID();
    auto entry = m_cursors.find(id);
    if (entry != m_cursors.end())
    {
        // Either this touch's removal came first (its placeholder), or what is filed is left
        // from an earlier touch with this cursor ID, which is over.
        const bool sameTouch = entry->second.sessionId == cursor->getSessionID();
        if (sameTouch && entry->second.kind == CursorEntry::Kind::Ignored)
            return;
        Lift(entry, cursor);
        if (sameTouch)
            return;
    }
    // The touch is followed to its removal either way, so that the removal leaves no
    // placeholder for the next touch with this cursor ID.
    if (!HasRoomForCursor())
        m_cursors[id] = CursorEntry{cursor->getSessionID(), nullptr, CursorEntry::Kind::Ignored};
    else
        m_cursors[id] = CursorEntry{cursor->getSessionID(), FingerActors::Make(cursor, this, 0),
                                    CursorEntry::Kind::Cursor};
}

void DragScreen::OnCursorUpdated(TUIO::TuioCursor* cursor)
{
    auto entry = m_cursors.find(cursor->getCursorID());
    if (entry == m_cursors.end() || entry->second.kind != CursorEntry::Kind::Cursor ||
        entry->second.sessionId != cursor->getSessionID())
        return;
    TuioCursorPhysicsActor* actor = entry->second.actor.GetLive();
    if (actor == nullptr)
        return;
    actor->SetPosition(CursorWorldPoint(*cursor));
    if (!actor->IsTagged(kDragsSomething))
        return;
    for (Actor* held :
         TagCollection::GetInstance()->GetObjectsTagged(DraggedByTag(actor->GetCursorId())))
        OnDragMoved(actor, held, cursor);
}

void DragScreen::OnCursorRemoved(TUIO::TuioCursor* cursor)
{
    const int id = cursor->getCursorID();
    auto entry = m_cursors.find(id);
    if (entry != m_cursors.end())
    {
        const bool sameTouch = entry->second.sessionId == cursor->getSessionID();
        Lift(entry, cursor);
        if (sameTouch)
            return;
    }
    // Filed at the cap too, without its actor then: a touch that is over never gets a finger.
    TuioCursorPhysicsActor* placeholder = nullptr;
    if (HasRoomForCursor())
    {
        placeholder = new TuioCursorPhysicsActor();
        placeholder->Tag(kPlaceholder);
    }
    m_cursors[id] =
        CursorEntry{cursor->getSessionID(), placeholder, CursorEntry::Kind::Placeholder};
}

void DragScreen::Lift(CursorTable::iterator entry, TUIO::TuioCursor* cursor)
{
    const int id = entry->first;
    const CursorEntry lifted = entry->second;
    m_cursors.erase(entry);
    LetGo(id, lifted, cursor);
    // The body goes when the World deletes the cursor actor, and the joints with it.
    Retire(lifted);
}

void DragScreen::LetGo(int id, const CursorEntry& entry, TUIO::TuioCursor* cursor)
{
    TuioCursorPhysicsActor* actor = entry.actor.Get();
    // A cursor actor deleted by someone else may have held something: its tag is gone with it.
    if (entry.kind != CursorEntry::Kind::Cursor ||
        (actor != nullptr && !actor->IsTagged(kDragsSomething)))
        return;
    const String tag = DraggedByTag(id);
    for (Actor* held : TagCollection::GetInstance()->GetObjectsTagged(tag))
    {
        held->Untag(tag);
        OnDropped(actor, held, cursor);
    }
}

void DragScreen::OnCursorCollision(TuioCursorPhysicsActor* cursorActor, PhysicsActor* other,
                                   b2ContactPoint* contact)
{
    if (cursorActor->IsTagged(kDragsSomething))
        return;
    if (!MayPickUp(other))
        return;
    OnPickingUp(other);
    cursorActor->Tag(kDragsSomething);
    cursorActor->SetGrabOffset(other->GetPosition() -
                               Vector2(contact->position.x, contact->position.y));
    other->Tag(DraggedByTag(cursorActor->GetCursorId()));
    AttachDragged(cursorActor, other, contact);
}

void DragScreen::AttachDragged(TuioCursorPhysicsActor* cursorActor, PhysicsActor* other,
                               b2ContactPoint* contact)
{
    JoinAtContact(cursorActor, other, contact);
}

void DragScreen::JoinAtContact(PhysicsActor* cursorActor, PhysicsActor* held,
                               const b2ContactPoint* contact)
{
    b2World* physics = World::GetInstance()->GetPhysicsWorld();
    if (physics == nullptr || cursorActor->GetBody() == nullptr || held->GetBody() == nullptr)
        return;
    box2d20::DistanceJointDef joint;
    joint.Initialize(cursorActor->GetBody(), held->GetBody(), contact->position, contact->position);
    joint.collideConnected = true;
    box2d20::CreateDistanceJoint(physics, joint);
}

String DragScreen::DraggedByTag(int cursorId)
{
    return "draggedby" + std::to_string(cursorId);
}
