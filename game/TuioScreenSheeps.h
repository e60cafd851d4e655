#pragma once

#include "engine/input/MouseInput.h"
#include "engine/messaging/MessageListener.h"
#include "engine/util/Lifeline.h"
#include "engine/util/StringTypes.h"
#include "engine/util/Vector2.h"
#include "game/TuioScreen.h"

#include <optional>

class Actor;
class PhysicsActor;
class TextActor;

/// One herding level. The level script lays the field out (the meadow "Wiese", the start area
/// "Startwiese", fires tagged "sheepdestroyer", optional obstacles tagged "barks"), ten sheep
/// are placed on the start area, and every touch or mouse click is a bark that pushes the
/// nearby sheep away. A sheep touching the meadow is saved, one touching a fire burns. Eight
/// saved sheep win ("MoveForwards" after 2 s); when eight can no longer be reached the level
/// restarts ("Restart" after 2 s). Either follow-on is dropped if the level stops first. Main
/// thread only: touches arrive as the manager's cursor messages.
class TuioScreenSheeps : public TuioScreen, public MouseListener, public MessageListener
{
public:
    static constexpr int kSheepCount = 10;
    static constexpr int kGoal = 8;
    /// World units; a bark pushes a sheep closer than this by (radius - distance) * strength.
    static constexpr float kBarkRadius = 5.0f;

    /// Inactive until Start. Receives mouse events from construction on.
    explicit TuioScreenSheeps(const String& levelName);
    /// Leaves every message name it is still subscribed to.
    ~TuioScreenSheeps() override;

    /// Loads the level, creates and places the sheep, the bark wave and the two texts. A level
    /// without "Wiese" or "Startwiese", or with a start area narrower than a sheep, gets no
    /// sheep: the status line names what is missing and the screen stands still.
    void Start() override;
    /// Removes and deletes everything the screen and its level made, the effects included.
    void Stop() override;
    /// Clock, win and loss tests, the [B] line and which way the sheep look.
    void Update(float dt) override;
    /// Touch messages and the sheep's collision messages; nothing while inactive.
    void ReceiveMessage(Message* message) override;
    void MouseMotionEvent(Vec2i screenCoords) override;
    /// Any button barks at the click, while active.
    void MouseDownEvent(Vec2i screenCoords, MouseButtonInput button) override;

    /// Moves the bark wave to position and pushes every free sheep within kBarkRadius away.
    void Bark(const Vector2& position, float strength);
    /// Sheep still in play: neither saved nor burned nor deleted by anyone else.
    int CountFreeSheep() const;
    int CountSavedSheep() const;
    /// Takes sheep index out of play: unsubscribes from its collisions, drops it from the
    /// screen's objects and destroys it. Its saved and burned flags stay.
    void RemoveSheep(int index);

    const String& GetLevelName() const { return m_levelName; }
    bool IsActive() const { return m_active; }
    /// Set once the level is won or lost (or found broken), until the next Start.
    bool IsFinished() const { return m_finished; }
    /// Null once the sheep is out of play (or before Start).
    PhysicsActor* GetSheep(int index) const;
    bool IsSaved(int index) const { return m_saved[index]; }
    bool IsDead(int index) const { return m_dead[index]; }
    /// These are null once someone else has destroyed them.
    TextActor* GetStatusText() const;
    /// Null while the level is broken.
    TextActor* GetCounterText() const;
    Actor* GetBarkWave() const;

private:
    bool IsFree(int index) const;
    /// The status line for a level that cannot be played, or empty when it can.
    String CheckLevel() const;
    void CreateSheep();
    void PlaceSheep();
    void ShowCounter();
    void BarkAtCursor(Message* message, float strength);
    void HandleCollision(int index, Message* message);
    void BurnSheep(int index);
    void TurnSheep();
    void ShowStatus(const String& text);
    /// Leaves the collision messages of sheep index.
    void ForgetSheep(int index);

    // The actors are the screen's objects; a script may still destroy them.
    RenderableRef<TextActor> m_statusText;
    RenderableRef<TextActor> m_counterText;
    bool m_finished = false;
    RenderableRef<PhysicsActor> m_sheep[kSheepCount];
    /// The collision message each sheep in play was subscribed under.
    String m_sheepCollisions[kSheepCount];
    bool m_saved[kSheepCount] = {};
    bool m_dead[kSheepCount] = {};
    String m_levelName;
    bool m_active = false;
    float m_startTime = 0.0f;
    RenderableRef<Actor> m_barkWave;
    /// Lives from Start to Stop: the follow-on of a won or lost level belongs to this run.
    std::optional<Lifeline> m_run;
};
