#pragma once

#include "engine/actors/PhysicsActor.h"

/// The pieces of the fungus games: physics actors preset by their constructors (no body yet:
/// the screen positions them, calls InitPhysics and adds them) that carry a countdown the
/// screens use as a timer.
class GamePieceActor : public PhysicsActor
{
public:
    void SetCountdown(float seconds) { m_countdown = seconds; }
    float GetCountdown() const { return m_countdown; }
    void IncreaseCountdown(float seconds) { m_countdown += seconds; }
    void DecreaseCountdown(float seconds) { m_countdown -= seconds; }

protected:
    GamePieceActor() = default;
    /// The presets the pieces share, in the order the engine's setters must see them: name,
    /// tag, white, a square size, a circle body drawn as a square, then isSensor (when
    /// requested), density (when above 0), the damping, fixed rotation and a random whole angle.
    void Preset(const char* name, const char* tag, float size, bool isSensor, float density,
                float linearDamping);

private:
    float m_countdown = 0.0f;
};

/// A spore that drifts without damping.
class SporePhysicsActor : public GamePieceActor
{
public:
    SporePhysicsActor();
};

/// A spore slowed by damping.
class SporenActor : public GamePieceActor
{
public:
    SporenActor();
};

/// A spore slowed by damping.
class SporenPhysicsActor : public GamePieceActor
{
public:
    SporenPhysicsActor();
};

/// A breathing fungus: heavy, so roots and spores hardly move it.
class FungusPhysicsActor : public GamePieceActor
{
public:
    FungusPhysicsActor();
};

/// A flower, soft and strongly damped.
class FlowerActor : public GamePieceActor
{
public:
    FlowerActor();
};

/// A soft fungus, strongly damped.
class PilzPhysicsActor : public GamePieceActor
{
public:
    PilzPhysicsActor();
};
