#pragma once

#include "engine/util/Vector2.h"
#include "game/prototypes/DragScreen.h"

#include <map>

/// A sheep level editor for the table. The level holds palette items (actors tagged
/// "archetyp"); a finger that touches one pulls out a fresh copy of its archetype and carries
/// it, a copy let go stays where the finger left it, and a copy dragged onto the trash bin is
/// removed. Keys w, a, s and d pan the camera. Stop writes the copies to "createdlevel.ini" when
/// the board changed since Start.
class TuioScreenLeveleditorSheeps : public DragScreen
{
public:
    /// The most copies on the board: five times the pieces of the largest level. A touch on the
    /// palette beyond them takes nothing.
    static constexpr int kMaxCopies = 100;
    /// The tag of the palette items, which a touch copies.
    static constexpr char kPaletteTag[] = "archetyp";

    /// levelName names the palette level (empty: no palette).
    explicit TuioScreenLeveleditorSheeps(const String& levelName);

    void Start() override;
    /// Saves the level if a copy was made, moved or trashed since Start (so passing through the
    /// editor keeps the last saved level), then takes everything away and puts the camera back.
    void Stop() override;
    /// The clock, then the camera keys: one world unit per frame and key.
    void Update(float dt) override;

    /// Writes the copies' names, archetypes, positions and rotations as a level file (CR LF
    /// line ends, numbers in the classic locale). The text goes to a temporary file of a unique
    /// name beside it, which then replaces it, so a failure midway keeps the old file and
    /// leaves no temporary one; a failure is an "ERROR:" line naming the file, and false. The
    /// file keeps the old one's permissions; a new one gets 0644 less the umask.
    bool SaveLevel(const String& fileName) const;

protected:
    /// A palette item may be touched for a copy only while fewer than kMaxCopies exist.
    bool MayPickUp(PhysicsActor* other) const override;
    /// A palette item gives a new copy, which is carried instead; anything else is carried.
    void AttachDragged(TuioCursorPhysicsActor* cursorActor, PhysicsActor* other,
                       b2ContactPoint* contact) override;
    void OnPickingUp(Actor* other) override;
    /// The trash bin removes the copies it touches.
    void OnOtherCollision(const String& name, Actor* other) override;
    /// What a finger lets go stops where it is.
    void OnDropped(TuioCursorPhysicsActor* cursorActor, Actor* held,
                   TUIO::TuioCursor* cursor) override;

private:
    /// A copy of the palette item made from its archetype, at the item's place; null when the
    /// archetype yields no physics actor.
    PhysicsActor* CopyPaletteItem(PhysicsActor* item, int cursorId);

    /// The level file as SaveLevel writes it.
    String LevelText() const;

    Vector2 m_cameraAtStart;
    /// A copy made, let go or trashed since Start.
    bool m_boardChanged = false;
    /// A copy's name -> the lower-case archetype it was made from. Kept across runs.
    std::map<String, String> m_archetypeOfCopy;
};
