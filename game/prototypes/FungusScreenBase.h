#pragma once

#include "engine/messaging/MessageListener.h"
#include "engine/util/StringTypes.h"
#include "engine/util/Vector2.h"
#include "game/TuioScreen.h"
#include "game/prototypes/FingerActors.h"

class Actor;
class Color;
class GamePieceActor;
class PhysicsActor;
class TextActor;

/// The play of the fungus-and-root screens: spores drift under a gravity whose direction and
/// strength wander by themselves and turn into fungi where their countdown runs out; each new
/// fungus is rooted by springs to its nearest fungi and to the anchors ("grabthis") within
/// reach; a finger pops a fungus with 3 or more fungus roots and bursts one with fewer into
/// spores; a fungus that reaches food turns into a fixed fungus (an anchor) and infests it; one
/// that touches poison or an edge pops. Pieces are recognised by name prefix ("Pilz", "Spore",
/// "Cursor", "Blocker", "Root") in their collision messages.
///
/// Layers: 0 background and text, 1 roots, 2 fungi, 3 spores and puffs, 4 compass, 5 fingers.
/// The subclasses choose the pieces, the level and what happens when a wave or a level ends.
class FungusScreenBase : public TuioScreen, public MessageListener
{
public:
    /// Leaves every message name it is still subscribed to.
    ~FungusScreenBase() override;

    /// The gravity walk, the fungi's colours and the spores' countdowns; a new wave of spores
    /// when too few pieces are left. Nothing while inactive.
    void Update(float dt) override;
    /// Deletes what the screen made (pieces, roots, level actors, texts; finger actors are
    /// destroyed), turns gravity and the edge blockers off and leaves the touch messages.
    void Stop() override;
    /// Touches, collisions and the subclass's own messages; nothing while inactive.
    void ReceiveMessage(Message* message) override;

    /// Leaves the piece's collision messages, drops it from the screen's objects and destroys it.
    void RemoveActor(Actor* actor);
    /// A puff in the actor's colour where it was, then RemoveActor.
    void PopActor(Actor* actor);
    /// A fixed fungus (static body, tagged "grabthis") at position, fading to blue.
    PhysicsActor* AddStaticFungus(const Vector2& position);
    /// Replaces the fungus by a fixed one in its colour, rooted to the fungi it was rooted to.
    void TurnIntoStaticFungus(Actor* fungus);
    /// One spore in the fungus's colour per root at it, pushed about impulse; then pops it.
    void BurstFungus(Actor* fungus, const Vector2& impulse);
    /// A fungus where the spore is; the spore goes.
    void SporeToFungus(Actor* spore);

    bool IsActive() const { return m_active; }
    const FingerActors::Map& GetCursorActors() const { return m_fingers.Get(); }
    TextActor* GetStatusText() const { return m_statusText; }
    Actor* GetCompass() const { return m_compass; }
    Vector2 GetSpawnPosition() const { return m_spawnPosition; }
    Vector2 GetSpawnDirection() const { return m_spawnDirection; }
    int GetSpawnCount() const { return m_spawnCount; }
    float GetGravityAngle() const { return m_gravityAngle; }
    float GetGravityStrength() const { return m_gravityStrength; }

protected:
    explicit FungusScreenBase(const String& levelName);

    /// A fungus at position with countdown 2.5, rooted as described above; subscribed.
    GamePieceActor* SpawnFungusPiece(const Vector2& position);
    /// A spore at position with the subclass's countdown; subscribed.
    GamePieceActor* SpawnSporePiece(const Vector2& position);

    // What the subclasses differ in.
    virtual GamePieceActor* NewFungus() const = 0;
    virtual GamePieceActor* NewSpore() const = 0;
    virtual float NewSporeCountdown() const = 0;
    virtual Actor* NewRoot(PhysicsActor* first, PhysicsActor* second) const = 0;
    virtual const char* StaticFungusSprite() const = 0;
    /// Called at the end of each update with the number of fungi and spores it began with.
    virtual void CheckWave(int pieceCount) = 0;
    /// Colours food that a fungus has just reached (the tag and the counter follow).
    virtual void ColorInfestedFood(Actor* food) = 0;
    /// After the counter has shown that all food is infested.
    virtual void AllFoodInfested() {}
    /// Messages other than touches and collisions, while active.
    virtual void ReceiveOtherMessage(Message* message) = 0;
    /// Runs the level script name (World::LoadLevel); tests stand in for the scripts here.
    virtual void LoadLevelScript(const String& name);

    /// Spawns a wave of green spores at the spawn position, pushed along the spawn direction.
    void SpawnWave();
    /// Takes the spawn position, direction (its rotation) and count (its alpha) from marker.
    void SetSpawnFrom(const Actor* marker);
    /// Blockers on and the touch messages, plus the names of extra (a comma-separated list).
    void SubscribeOnStart(const String& extra);
    /// The goal text, the gravity (along +x, unscaled), the compass; then active.
    void FinishStart();
    /// Appends every live actor carrying tags to the objects, each once.
    void AdoptActorsTagged(const String& tags);
    void ShowGoalText();

    String m_levelName;
    Vector2 m_spawnPosition;
    Vector2 m_spawnDirection = Vector2(1.0f, -1.0f);
    int m_spawnCount = 3;

private:
    void ReceiveCollision(const String& subject, Message* message);
    void ShowFoodCount();
    void WalkGravity();
    void SetGravity(const Vector2& gravity);
    void DeleteRoots();

    FingerActors m_fingers;
    bool m_active = false;
    TextActor* m_statusText = nullptr;
    float m_gravityStrength = 1.5f;
    float m_turnRate = 0.0f;
    float m_gravityAngle = 0.0f;
    Vector2 m_gravityDirection = Vector2(1.0f, 0.0f);
    Actor* m_compass = nullptr;
};
