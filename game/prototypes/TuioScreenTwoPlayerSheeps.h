#pragma once

#include "engine/messaging/MessageListener.h"
#include "engine/util/Color.h"
#include "engine/util/StringTypes.h"
#include "engine/util/Vector2.h"
#include "game/TuioScreen.h"
#include "game/prototypes/FingerActors.h"

#include <vector>

class Actor;
class PhysicsActor;
class TextActor;
class TiledBoard;
class TuioCursorPhysicsActor;

namespace TUIO
{
class TuioCursor;
}

/// Two players at one table. Lifting a finger makes a sheep where it left the surface, in the
/// colour of the player whose half of the picture that is (red left, blue right), flung with
/// the finger's velocity. Player 1 scores on the red meadow at the right edge, player 2 on the
/// blue one at the left; a scored sheep turns white and is held there by a spring. Sheep of
/// different players knock each other out; three black dogs wander at random and hand the
/// sheep they touch to the other player. The board holds at most kMaxSheep sheep; a lift
/// beyond them makes none. Main thread only: touches arrive as the manager's cursor messages,
/// contacts as the World's collision messages.
class TuioScreenTwoPlayerSheeps : public TuioScreen, public MessageListener
{
public:
    /// The score texts' font, registered from the console's font file on the first Start.
    static constexpr const char* kScoreFont = "ConsoleBig";
    /// Points (pixels at 72 dpi): digits about 32 pixels high, the most that fits above the
    /// baseline 38 pixels below the top edge of a 1024 x 768 window.
    static constexpr int kScoreFontSize = 48;
    static constexpr int kDogCount = 3;
    /// The most sheep on the board, in play and scored together, on this screen and the grab
    /// screens: more than two players can follow at once, and few enough that a pile of them
    /// on one point costs the physics a few milliseconds a frame. A lifted touch beyond them
    /// makes no sheep, and the grab screens' new sheep wait.
    static constexpr int kMaxSheep = 100;

    TuioScreenTwoPlayerSheeps() = default;
    /// Leaves every message name still held (the ones Stop leaves in place).
    ~TuioScreenTwoPlayerSheeps() override;

    /// Blockers on; background, meadows, score texts and dogs; scores 0.
    void Start() override;
    /// Deletes everything in objects, destroys the cursor actors of touches still down, turns
    /// the blockers off and leaves the touch messages.
    void Stop() override;
    /// Leaves the collisions of the sheep knocked out since the last update, then pushes every
    /// dog by a random force (each axis a whole number from -5 to 4).
    void Update(float dt) override;
    /// Touches, contacts and "CameraChange"; nothing while inactive.
    void ReceiveMessage(Message* message) override;

    PhysicsActor* CreateDog(Vector2 position);
    /// A sheep in play for the player whose tag ("p1" or "p2") is given, whatever the cap.
    PhysicsActor* CreateSheep(String tag, Color color, Vector2 position);
    /// Whether the board holds fewer than kMaxSheep sheep of this screen (not yet destroyed).
    bool HasRoomForSheep();
    /// Knocks the sheep out with a burst; the World deletes it at the tick's clean-up. The
    /// screen leaves its collisions at the next Update or Stop, after the delivery pass.
    void RemoveSheep(Actor* sheep);
    /// Hands a sheep in play to the other player; scored sheep stay as they are.
    void SwitchSheepOwner(Actor* sheep);

    bool IsActive() const { return m_active; }
    /// player is 1 or 2.
    int GetScore(int player) const { return m_scores[player - 1]; }
    /// The screen's actors; null (or left out) once someone else has destroyed them.
    PhysicsActor* GetMeadow(int player) const;
    TextActor* GetScoreText(int player) const;
    const Color& GetPlayerColor(int player) const { return m_colors[player - 1]; }
    TiledBoard* GetBackground() const;
    std::vector<PhysicsActor*> GetDogs() const;
    /// The actor of a touch that is down, or null.
    TuioCursorPhysicsActor* GetCursorActor(int cursorId) const { return m_fingers.Find(cursorId); }

protected:
    /// Called for each new sheep and dog after its tags, before its body exists.
    virtual void PrepareAnimal(PhysicsActor* /*animal*/, bool /*isSheep*/) {}
    /// The finger was lifted; called before its actor is destroyed. Makes a sheep here.
    virtual void CursorLifted(TuioCursorPhysicsActor* cursorActor, const TUIO::TuioCursor& cursor);
    /// Any touch with this cursor ID was lifted, after CursorLifted if it had a finger (none
    /// when the touch was ignored or someone else deleted its finger).
    virtual void TouchEnded(int /*cursorId*/) {}
    /// The finger moved; its actor already stands at the new point.
    virtual void CursorMoved(TuioCursorPhysicsActor* /*cursorActor*/) {}
    /// The finger's actor touched other (never null).
    virtual void CursorTouched(TuioCursorPhysicsActor* /*cursorActor*/, Actor* /*other*/) {}

    /// Where the player's meadow stands; the edge it is placed at once it is gone.
    Vector2 GetMeadowPosition(int player) const;

private:
    void CreateMeadow(int player);
    /// The body, sprite, World and subscription every sheep and dog shares.
    PhysicsActor* FinishAnimal(PhysicsActor* animal);
    void PlaceMeadows();
    /// The world point at the edge where the player's meadow belongs.
    static Vector2 MeadowPlace(int player);
    void Touch(const String& name, TUIO::TuioCursor* cursor);
    void Collision(const String& receiver, Message* message);
    void SheepTouched(Actor* sheep, Actor* other, const String& otherName);
    void Score(int player, Actor* sheep);
    void LeaveKnockedOutCollisions();

    /// One per touch seen added and not yet removed.
    FingerActors m_fingers{this, 0};
    bool m_active = false;
    // The actors are also in objects, which owns them; a script may still destroy any of them.
    RenderableRef<TextActor> m_scoreTexts[2];
    int m_scores[2] = {};
    /// "P1Wiese" at the right edge, "P2Wiese" at the left.
    RenderableRef<PhysicsActor> m_meadows[2];
    std::vector<RenderableRef<PhysicsActor>> m_dogs;
    /// Every sheep made since Start; those gone are dropped when the sheep are counted.
    std::vector<RenderableRef<PhysicsActor>> m_sheep;
    RenderableRef<TiledBoard> m_background;
    Color m_colors[2];
    /// The Switchboard stops delivering a name as soon as leaving it is asked for, but both
    /// messages of a contact between two sheep must arrive for each to knock out the other:
    /// the collision names of knocked-out sheep are left once the delivery pass is over.
    StringList m_knockedOutCollisions;
};
