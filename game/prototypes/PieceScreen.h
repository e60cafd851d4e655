#pragma once

#include "engine/messaging/MessageListener.h"
#include "engine/util/StringTypes.h"
#include "engine/util/Vector2.h"
#include "game/TuioScreen.h"
#include "game/prototypes/FingerActors.h"

class Actor;
class GamePieceActor;
class TextActor;
class TuioCursorPhysicsActor;

/// The frame the fungus screens share (the fungus-and-root screens and the pizza screen): game
/// pieces with countdowns (fungi and spores) whose collisions the screen follows, one finger
/// actor per touch, a status line and the edge blockers. Collision messages from live actors go
/// to ReceiveCollision, other messages the screen subscribed to to ReceiveOtherMessage. A
/// finger's burst throws spores only while fewer than kMaxPieces fungi and spores are about.
class PieceScreen : public TuioScreen, public MessageListener
{
public:
    /// Leaves every message name it is still subscribed to.
    ~PieceScreen() override;

    /// Deletes what the screen made (finger actors are destroyed), turns the edge blockers off
    /// and leaves the touch messages and the pieces' collisions.
    void Stop() override;
    /// Touches, collisions and the subclass's messages; nothing while inactive.
    void ReceiveMessage(Message* message) override;

    /// Leaves the piece's collision messages, drops it from the objects and destroys it.
    void RemoveActor(Actor* actor);
    /// A fungus where the spore is; the spore goes.
    void SporeToFungus(Actor* spore);

    bool IsActive() const { return m_active; }
    /// The fingers not yet destroyed, by cursor ID.
    FingerActors::Map GetCursorActors() const { return m_fingers.Get(); }
    /// The status line; null once someone else has destroyed it.
    TextActor* GetStatusText() const;

    /// The most fungi and spores on the board together that a finger's burst makes more of:
    /// twice the largest wave a level may bring. A burst throws only as many spores as there
    /// is room for below it; the fungus still pops.
    static constexpr int kMaxPieces = 200;

protected:
    /// Where the status line stands, centred, in world units.
    static constexpr float kStatusY = 9.0f;

    /// Finger actors go to fingerLayer.
    explicit PieceScreen(int fingerLayer);

    /// The first steps of Start: edge blockers on, the touch messages and "CameraChange".
    void BeginStart();
    /// The last steps of Start: the status line at (0, kStatusY), centred; then active.
    void FinishStart(const String& statusText);
    /// Shows text on the status line, while it exists.
    void ShowStatus(const String& text);
    /// Sets the piece's countdown, places it, makes its body, adds it to layer as an object and
    /// follows its collisions.
    template <typename Piece>
    Piece* AddPiece(Piece* piece, float countdown, const Vector2& position, int layer)
    {
        PlacePiece(piece, countdown, position, layer);
        return piece;
    }
    /// A short puff of particles in the actor's colour where it is, in layer.
    static void AddPuff(const Actor* actor, int layer);
    /// How many more spores a burst may throw: kMaxPieces less the fungi and spores about.
    static int RoomForPieces();
    /// Counts every live spore down by the frame time and turns those below 0 into fungi;
    /// returns how many spores there were.
    int AgeSpores();
    /// The status line counts the live actors tagged what that are "infested"; true when all
    /// of them are.
    bool ShowInfested(const char* what);
    /// The live actors tagged what lose "infested" and fade back to white over 2 s.
    static void CleanInfested(const char* what);

    /// A new fungus at position, as the screen makes them.
    virtual GamePieceActor* SpawnFungusPiece(const Vector2& position) = 0;
    /// "CollisionWith" + subject from other, an actor in the World not yet destroyed.
    virtual void ReceiveCollision(const String& subject, Actor* other) = 0;
    /// Any other message the screen subscribed to, while active.
    virtual void ReceiveOtherMessage(Message* /*message*/) {}

private:
    void PlacePiece(GamePieceActor* piece, float countdown, const Vector2& position, int layer);

    FingerActors m_fingers;
    bool m_active = false;
    RenderableRef<TextActor> m_statusText;
};
