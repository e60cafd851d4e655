#pragma once

#include "engine/messaging/MessageListener.h"
#include "engine/util/StringTypes.h"
#include "engine/util/Vector2.h"
#include "engine/world/RenderableRef.h"
#include "game/TuioScreen.h"
#include "game/prototypes/LiftedFingers.h"

#include <map>

class Actor;
class PhysicsActor;
class TextActor;
class TuioCursorPhysicsActor;
struct b2ContactPoint;

namespace TUIO
{
class TuioCursor;
}

/// The frame the drag-and-drop screens share: each finger on the table becomes a cursor actor;
/// the first physics actor a cursor actor touches is picked up (tagged "draggedby<id>" and
/// joined to it by a zero-length distance joint) and follows the finger until it is lifted. The
/// title line turns into a clock. Subclasses add their content in Start and differ only where
/// the hooks below let them. At most FingerActors::kMaxFingers cursor actors and placeholders
/// exist at once, those lifted in this frame included; a touch beyond them is ignored until it
/// is lifted. Main thread only.
class DragScreen : public TuioScreen, public MessageListener
{
public:
    /// Frees the placeholders and leaves every subscription.
    ~DragScreen() override;

    /// Shows the time since Start as "mm:ss" in the title line.
    void Update(float dt) override;
    /// Deletes the screen's objects and the cursor actors and placeholders, sweeps the editor's
    /// copies where the screen does, drops the touch subscriptions and goes inactive.
    void Stop() override;
    /// Touch and "CollisionWith" messages while active; everything else is ignored.
    void ReceiveMessage(Message* message) override;

    void OnCursorAdded(TUIO::TuioCursor* cursor);
    void OnCursorUpdated(TUIO::TuioCursor* cursor);
    void OnCursorRemoved(TUIO::TuioCursor* cursor);
    /// Picks other up when cursorActor holds nothing yet and MayPickUp allows it; otherwise the
    /// contact is ignored.
    void OnCursorCollision(TuioCursorPhysicsActor* cursorActor, PhysicsActor* other,
                           b2ContactPoint* contact);

    bool IsActive() const { return m_active; }
    /// Null before the first Start, after Stop and once someone else has destroyed it.
    TextActor* GetTitle() const;

protected:
    /// levelName is loaded by Start when not empty; sweepsCopies makes Stop destroy every actor
    /// tagged "dropped_levelactor".
    DragScreen(const String& levelName, const String& titleText, bool sweepsCopies);

    /// The shared first steps of Start: active, the touch subscriptions, edge blockers, the
    /// background colour, the level, the start time.
    void BeginStart();
    /// The title line at (0, 3.5), centred; the clock replaces it from the first Update on.
    void AddTitle();
    /// The small grey name of the screen's class in the window's bottom-left corner.
    void AddClassLabel(const String& className);

    /// Joins the cursor actor's body to other's at the contact point.
    virtual void AttachDragged(TuioCursorPhysicsActor* cursorActor, PhysicsActor* other,
                               b2ContactPoint* contact);
    /// Whether a cursor that holds nothing may pick other up; when not, the touch may still
    /// pick up something else.
    virtual bool MayPickUp(PhysicsActor* /*other*/) const { return true; }
    /// Called before a cursor that holds nothing picks other up.
    virtual void OnPickingUp(Actor* /*other*/) {}
    /// A "CollisionWith" message for a name that is not a cursor actor's; the sender is the
    /// other actor.
    virtual void OnOtherCollision(const String& /*name*/, Actor* /*other*/) {}
    /// Hooks for the held actors when their finger moves or is lifted; cursorActor is null on
    /// a lift when someone else deleted the cursor actor before, and cursor when the screen
    /// stops with the finger down.
    virtual void OnDragMoved(TuioCursorPhysicsActor* /*cursorActor*/, Actor* /*held*/,
                             TUIO::TuioCursor* /*cursor*/)
    {
    }
    virtual void OnDropped(TuioCursorPhysicsActor* /*cursorActor*/, Actor* /*held*/,
                           TUIO::TuioCursor* /*cursor*/)
    {
    }

    /// A zero-length, rigid distance joint between the two bodies at the contact point, which
    /// lives until one of the bodies is destroyed.
    static void JoinAtContact(PhysicsActor* cursorActor, PhysicsActor* held,
                              const b2ContactPoint* contact);
    /// "draggedby<id>": the tag of the actors the cursor with that ID holds.
    static String DraggedByTag(int cursorId);

    const String& GetLevelName() const { return m_levelName; }

    /// The tag of the copies the level editor makes, which the punks screens and the editor
    /// sweep away at Stop.
    static constexpr char kCopyTag[] = "dropped_levelactor";

private:
    /// One touch the screen follows, filed under its cursor ID.
    struct CursorEntry
    {
        enum class Kind
        {
            Cursor,      ///< the touch's cursor actor
            Placeholder, ///< its removal came before its addition (no actor at the cap)
            Ignored,     ///< down while kMaxFingers others were: nothing until it is lifted
        };
        /// The touch's session ID: a later touch that reuses the cursor ID is another touch.
        long sessionId = 0;
        /// The cursor actor (the World's) or a placeholder (the screen's, never added); none
        /// for an ignored touch. Either may be deleted by someone else (a script, a level
        /// unload): then it reads null.
        RenderableRef<TuioCursorPhysicsActor> actor;
        Kind kind = Kind::Cursor;
    };
    using CursorTable = std::map<int, CursorEntry>;

    /// Lets go of what the entry's cursor actor holds, then erases the entry and disposes of its
    /// actor.
    void Lift(CursorTable::iterator entry, TUIO::TuioCursor* cursor);
    /// Untags what the cursor actor of entry (filed under id) holds and calls OnDropped for it.
    void LetGo(int id, const CursorEntry& entry, TUIO::TuioCursor* cursor);
    void DestroyCursorEntries();
    /// Disposes of the entry's actor; a cursor actor is noted as lifted in this frame.
    void Retire(const CursorEntry& entry);
    /// Whether another cursor actor or placeholder actor may be made: fewer than kMaxFingers
    /// exist, counting the cursor actors destroyed in this frame.
    bool HasRoomForCursor();

    String m_levelName;
    String m_titleText;
    bool m_sweepsCopies;
    bool m_active = false;
    float m_startTime = 0.0f;
    RenderableRef<TextActor> m_title;
    /// A placeholder stands for a touch whose removal came before its addition (one held down
    /// when the screen started): it waits for that touch's addition only.
    CursorTable m_cursors;
    LiftedFingers m_lifted;
};
