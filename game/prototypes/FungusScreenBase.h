#pragma once

#include "engine/util/StringTypes.h"
#include "engine/util/Vector2.h"
#include "game/prototypes/PieceScreen.h"

class Actor;
class Color;
class GamePieceActor;
class PhysicsActor;

/// The play of the fungus-and-root screens: spores drift under a gravity whose direction and
/// strength wander by themselves and turn into fungi where their countdown runs out; each new
/// fungus is rooted by springs to its nearest fungi and to the anchors ("grabthis") within
/// reach; a finger pops a fungus with 3 or more fungus roots and bursts one with fewer into
/// spores; a fungus that reaches food turns into a fixed fungus (an anchor) and infests it; one
/// that touches poison or an edge pops. Pieces are recognised by name prefix ("Pilz", "Spore",
/// "Cursor", "Blocker", "Root") in their collision messages.
///
/// Layers: 0 background and text, 1 roots, 2 fungi, 3 spores and puffs, 4 compass, 5 fingers.
/// The subclasses choose the pieces (Kinds), the level and what happens when a wave or a level
/// ends.
class FungusScreenBase : public PieceScreen
{
public:
    /// The gravity walk, the fungi's colours and the spores' countdowns; a new wave of spores
    /// when too few pieces are left. Nothing while inactive.
    void Update(float dt) override;
    /// Also deletes the roots and turns gravity off.
    void Stop() override;

    /// A puff in the actor's colour where it was, then RemoveActor.
    void PopActor(Actor* actor);
    /// A fixed fungus (static body, tagged "grabthis") at position, fading to blue.
    PhysicsActor* AddStaticFungus(const Vector2& position);
    /// Replaces the fungus by a fixed one in its colour, rooted to the fungi it was rooted to.
    void TurnIntoStaticFungus(Actor* fungus);
    /// One spore in the fungus's colour per root at it (as many as there is room for below
    /// kMaxPieces), pushed about impulse; then pops it.
    void BurstFungus(Actor* fungus, const Vector2& impulse);

    /// Null once someone else has destroyed it.
    Actor* GetCompass() const;
    Vector2 GetSpawnPosition() const { return m_spawnPosition; }
    Vector2 GetSpawnDirection() const { return m_spawnDirection; }
    int GetSpawnCount() const { return m_spawnCount; }
    float GetGravityAngle() const { return m_gravityAngle; }
    float GetGravityStrength() const { return m_gravityStrength; }

protected:
    /// The pieces a screen plays with.
    struct Kinds
    {
        GamePieceActor* (*newFungus)();
        GamePieceActor* (*newSpore)();
        /// A new spore's countdown is drawn from this range, in seconds.
        float sporeLifeMin, sporeLifeMax;
        Actor* (*newRoot)(PhysicsActor* first, PhysicsActor* second);
        const char* staticFungusSprite;
    };
    template <typename Piece> static GamePieceActor* New() { return new Piece(); }
    template <typename Root> static Actor* NewRoot(PhysicsActor* first, PhysicsActor* second)
    {
        return new Root(first, second);
    }

    FungusScreenBase(const String& levelName, const Kinds& kinds);

    /// A fungus at position with countdown 2.5, rooted as described above; subscribed.
    GamePieceActor* SpawnFungusPiece(const Vector2& position) override;
    /// A spore at position with a countdown from the kinds' range; subscribed.
    GamePieceActor* SpawnSporePiece(const Vector2& position);

    /// Called at the end of each update with the number of fungi and spores it began with.
    virtual void CheckWave(int pieceCount) = 0;
    /// Colours food that a fungus has just reached (the tag and the counter follow).
    virtual void ColorInfestedFood(Actor* food) = 0;
    /// After the counter has shown that all food is infested.
    virtual void AllFoodInfested() {}
    /// Runs the level script name (World::LoadLevel); tests stand in for the scripts here.
    virtual void LoadLevelScript(const String& name);

    /// Spawns a wave of green spores at the spawn position, pushed along the spawn direction.
    void SpawnWave();
    /// Takes the spawn position, direction (its rotation) and count (its alpha) from marker.
    void SetSpawnFrom(const Actor* marker);
    /// The goal text, the gravity (along +x, unscaled), the compass; then active.
    void FinishFungusStart();
    void ShowGoalText();

    String m_levelName;
    Vector2 m_spawnPosition;
    Vector2 m_spawnDirection = Vector2(1.0f, -1.0f);
    int m_spawnCount = 3;

private:
    void ReceiveCollision(const String& subject, Actor* other) override;
    void RootTo(GamePieceActor* fungus, Actor* other, const char* tag);
    void WalkGravity();
    void SetGravity(const Vector2& gravity);
    void DeleteRoots();

    Kinds m_kinds;
    float m_gravityStrength = 1.5f;
    float m_turnRate = 0.0f;
    float m_gravityAngle = 0.0f;
    Vector2 m_gravityDirection = Vector2(1.0f, 0.0f);
    RenderableRef<Actor> m_compass;
};
