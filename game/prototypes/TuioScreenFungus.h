#pragma once

#include "game/prototypes/FungusScreenBase.h"

class PilzPhysicsActor;
class SporenPhysicsActor;
class TiledBoard;

/// The fungus-and-root screen on a tiled mouldy board: soft fungi, spores that live 1 to 5 s,
/// black roots. The level (food, poison, anchors, the spawn marker, every piece tagged
/// "levelactor") comes from the level script. Whenever no fungus and no spore is left, a new
/// wave starts and the food is cleaned.
class TuioScreenFungus : public FungusScreenBase
{
public:
    explicit TuioScreenFungus(const String& levelName = "fungus_level");

    void Start() override;
    void Stop() override;

    /// A fungus at position, rooted to its neighbours and to anchors in reach.
    PilzPhysicsActor* SpawnFungus(const Vector2& position);
    SporenPhysicsActor* SpawnSpore(const Vector2& position);

    /// Null once someone else has deleted it.
    TiledBoard* GetBackground() const { return m_background.Get(); }

protected:
    void CheckWave(int pieceCount) override;
    void ColorInfestedFood(Actor* food) override;

private:
    RenderableRef<TiledBoard> m_background;
};
