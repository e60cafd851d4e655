#pragma once

#include "engine/util/Vector2.h"
#include "game/prototypes/PieceScreen.h"

class FungusPhysicsActor;
class PhysicsActor;
class SporePhysicsActor;
class TiledBoard;

/// Fungi spread over a mouldy board towards three pizzas. A fungus lives 2.5 to 10 s and turns
/// blue, cyan and green in its last 2 s, in which a finger bursts it into three spores; a spore
/// becomes a fungus where it is after 0.5 to 2 s; a fungus that touches a pizza infests it.
/// When no fungus and no spore is left, a new round of three fungi starts near the top-left
/// corner and the pizzas are cleaned. Everything goes to layer 0.
class TuioScreenPizza : public PieceScreen
{
public:
    TuioScreenPizza();

    void Start() override;
    void Stop() override;
    /// Ages the fungi and spores; a new round when none is left. Nothing while inactive.
    void Update(float dt) override;

    /// A static sensor pizza, 6 units wide.
    PhysicsActor* AddPizza(const Vector2& position);
    /// A fungus that lives 2.5 to 10 s; subscribed.
    FungusPhysicsActor* SpawnFungus(const Vector2& position);
    /// A spore that becomes a fungus after 0.5 to 2 s; subscribed.
    SporePhysicsActor* SpawnSpore(const Vector2& position);
    /// A puff and three spores in the fungus's colour (fewer when kMaxPieces are near); the
    /// fungus goes.
    void BurstFungus(Actor* fungus);

    /// Null once someone else has deleted it.
    TiledBoard* GetBackground() const { return m_background.Get(); }

protected:
    GamePieceActor* SpawnFungusPiece(const Vector2& position) override;
    void ReceiveCollision(const String& subject, Actor* other) override;

private:
    void StartRound();

    RenderableRef<TiledBoard> m_background;
};
