#pragma once

#include "engine/messaging/MessageListener.h"
#include "engine/util/StringTypes.h"
#include "engine/util/Vector2.h"
#include "game/TuioScreen.h"
#include "game/prototypes/FingerActors.h"

class Actor;
class FullScreenActor;
class FungusPhysicsActor;
class PhysicsActor;
class SporePhysicsActor;
class TextActor;

/// Fungi spread over a mouldy board towards three pizzas. A fungus lives 2.5 to 10 s and turns
/// blue, cyan and green in its last 2 s, in which a finger bursts it into three spores; a spore
/// becomes a fungus where it is after 0.5 to 2 s; a fungus that touches a pizza infests it.
/// When no fungus and no spore is left, a new round of three fungi starts near the top-left
/// corner and the pizzas are cleaned. Everything goes to layer 0.
class TuioScreenPizza : public TuioScreen, public MessageListener
{
public:
    TuioScreenPizza();
    /// Leaves every message name it is still subscribed to.
    ~TuioScreenPizza() override;

    void Start() override;
    /// Deletes what the screen made (finger actors are destroyed), turns the edge blockers off
    /// and leaves the touch messages.
    void Stop() override;
    /// Ages the fungi and spores; a new round when none is left. Nothing while inactive.
    void Update(float dt) override;
    /// Touches, collisions and "CameraChange"; nothing while inactive.
    void ReceiveMessage(Message* message) override;

    /// A static sensor pizza, 6 units wide.
    PhysicsActor* AddPizza(const Vector2& position);
    /// A fungus that lives 2.5 to 10 s; subscribed.
    FungusPhysicsActor* SpawnFungus(const Vector2& position);
    /// A spore that becomes a fungus after 0.5 to 2 s; subscribed.
    SporePhysicsActor* SpawnSpore(const Vector2& position);
    /// Leaves the piece's collision messages, drops it from the objects and destroys it.
    void RemoveActor(Actor* actor);
    /// A puff and three spores in the fungus's colour; the fungus goes.
    void BurstFungus(Actor* fungus);
    void SporeToFungus(Actor* spore);

    bool IsActive() const { return m_active; }
    const FingerActors::Map& GetCursorActors() const { return m_fingers.Get(); }
    TextActor* GetStatusText() const { return m_statusText; }
    FullScreenActor* GetBackground() const { return m_background; }

private:
    void ReceiveCollision(const String& subject, Message* message);
    void TileBackground();
    void StartRound();

    FullScreenActor* m_background = nullptr;
    FingerActors m_fingers;
    bool m_active = false;
    TextActor* m_statusText = nullptr;
};
