#pragma once

#include "game/prototypes/TuioScreenTwoPlayerSheeps.h"

/// The two-player screen with sheep that the players grab instead of make: each player gets a
/// new sheep every 2 seconds on the other player's meadow while fewer than 10 of theirs are in
/// play (and the board holds fewer than kMaxSheep sheep), a touch grabs the first sheep it touches
/// and holds it until lifted, and sheep and dogs face the way they move. The variants differ only
/// in how a grabbed sheep is held.
class GrabSheepsScreen : public TuioScreenTwoPlayerSheeps
{
public:
    /// Seconds a player waits for the next sheep (strictly more).
    static constexpr float kSpawnInterval = 2.0f;
    /// No new sheep for a player with this many in play.
    static constexpr int kSpawnCap = 10;

    /// The scene of the two-player screen; no sheep, both timers 0.
    void Start() override;
    /// New sheep, the dogs' push, then the facing of every sheep and dog.
    void Update(float dt) override;

    /// Seconds since the player's (1 or 2) last new sheep.
    float GetSpawnTimer(int player) const { return m_spawnTimers[player - 1]; }

protected:
    /// Holds sheep on the touch; called once per touch, for the first sheep it touches.
    virtual void Grab(TuioCursorPhysicsActor* cursorActor, PhysicsActor* sheep) = 0;

    /// Faces left, and sheep are slowed so that a flung one comes to rest.
    void PrepareAnimal(PhysicsActor* animal, bool isSheep) override;
    /// Only flings what the touch carries (by its tag); no sheep is made.
    void CursorLifted(TuioCursorPhysicsActor* cursorActor, const TUIO::TuioCursor& cursor) override;
    /// Brings what the touch carries (by its tag) under it.
    void CursorMoved(TuioCursorPhysicsActor* cursorActor) override;
    /// The first sheep a touch meets is grabbed.
    void CursorTouched(TuioCursorPhysicsActor* cursorActor, Actor* other) override;
    /// What the touch still carries is let go unflung (its finger was deleted by someone else).
    void TouchEnded(int cursorId) override;

    /// The tag of the sheep the touch with that cursor ID carries.
    static String CarryTag(int cursorId);

private:
    void SpawnSheep(int player);
    void FaceMovement();

    float m_spawnTimers[2] = {};
};
