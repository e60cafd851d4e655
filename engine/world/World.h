#pragma once

#include "engine/messaging/MessageListener.h"
#include "engine/util/StringTypes.h"
#include "engine/util/Vector2.h"
#include "engine/world/RenderableIterator.h"
#include "engine/world/RenderableRef.h"

#include <atomic>
#include <cstdint>
#include <map>
#include <vector>

class b2World;
struct b2ContactPoint;
class CollisionRecord;
class Color;
class Console;
class DebugDraw;
class FrameClock;
class GameManager;
class PhysicsActor;
class Renderable;

/// The engine's central singleton: opens the window, brings the services up, runs the main
/// loop and owns the layers of renderables. Everything here runs on the main thread.
class World : public MessageListener
{
public:
    static World* GetInstance();

    /// Opens the window and brings the services up. False when already initialised, or (with an
    /// "ERROR: " line in the system log) when no window could be opened.
    bool Initialize(int windowWidth, int windowHeight, const String& windowTitle,
                    bool antiAliasing);
    /// Runs the main loop until StopGame; only the first call does anything.
    void StartGame();
    /// Ends the loop after the current frame and closes the window.
    void StopGame();
    /// Asks the loop to StopGame at the start of its next frame (at once if it has not begun).
    /// Any thread.
    void RequestStop() { m_stopRequested.store(true); }
    /// Shuts the services down. Deletes neither the game manager nor the renderables.
    void Destroy();

    void TickAndRender();
    void Tick(bool simulate);
    /// Reads the clock and returns the frame time clamped to 0 ... 1 s.
    float CalculateNewDT();

    /// Stores the one game manager; a second or a null one is refused with an error line.
    void SetGameManager(GameManager* gameManager);
    GameManager* GetGameManager() const { return m_gameManager; }
    void RegisterConsole(Console* console) { m_console = console; }
    Console* GetConsole() const { return m_console; }

    /// The timer value taken at the start of the current frame's tick, in seconds.
    float GetCurrentTimeSeconds() const { return static_cast<float>(m_currentTime); }
    /// How many ticks have begun: 0 before the first, then one more at the start of each. Two
    /// frames may share a clock reading (a paused clock, a tiny step); they never share this.
    std::uint64_t GetFrameCount() const { return m_frameCount; }
    /// The last frame's clamped time step, in seconds.
    float GetDT() const { return m_dt; }
    bool IsRunning() const { return m_running; }
    bool IsInitialized() const { return m_initialized; }
    /// The clear colour; alpha is ignored.
    void SetBackgroundColor(const Color& color);

    /// Replaces the frame timer (not owned; null restores the window system's timer). The
    /// previous frame time is re-read from the new clock.
    void SetClock(FrameClock* clock);

    // Layers (see WorldLayers.cpp).

    /// Takes ownership of element on layer. Deferred while the world walks its renderables;
    /// deferred adds, removes and layer changes take effect in the order they were asked for.
    void Add(Renderable* element, int layer = 0);
    void Add(Renderable* element, const String& layerName);
    /// Gives element back to the caller. Deferred while the world walks its renderables.
    void Remove(Renderable* element);
    /// Moves element after the next simulated update pass, to the end of the new layer, if it
    /// is in the World then on another layer.
    void UpdateLayer(Renderable* element, int newLayer);
    void UpdateLayer(Renderable* element, const String& layerName);
    void NameLayer(const String& name, int layer);
    /// The layer's number, or 0 for a name never entered.
    int GetLayerByName(const String& name) const;

    /// Applies the adds, layer changes and removes deferred so far, in the order they were
    /// asked for.
    void ProcessDeferredChanges();
    void UpdateRenderables(float dt);
    void CleanupRenderables();
    void DrawRenderables();

    /// Called by every renderable as it is deleted: drops it from the deferred changes and,
    /// when it is still in a layer, leaves a gap in its place (a walk of the layers may be under
    /// way), which the iterator skips and the next tick takes out.
    void ForgetDeleted(Renderable* element);

    /// Destroys and deletes every renderable the game manager does not protect; asked for
    /// during the update or clean-up pass, once that pass and its deferred changes are over.
    void UnloadAll();
    void ResetWorld();
    /// Runs the script's LoadLevel with the name as a value (see ScriptExec).
    void LoadLevel(const String& levelName);
    void ScriptExec(const String& code);
    /// Runs the fixed statement code with each of values bound to its name as a Python str,
    /// never pasted into the code (ScriptInterface::ExecuteInScript).
    void ScriptExec(const String& code, const std::map<String, String>& values);

    RenderableIterator GetRenderablesBegin() { return RenderableIterator(m_layers); }
    RenderableIterator GetRenderablesEnd() { return RenderableIterator(); }

    // Physics (see WorldPhysics.cpp).

    /// Most contact points stored (and reported) per tick; the rest are dropped.
    static constexpr int kMaxContactPoints = 2048;

    /// Creates the Box2D world, once; false when it already exists. The vertices bounded
    /// 2.0's world and are no longer used: bodies may leave any box.
    bool SetupPhysics(const Vector2& gravity = Vector2(0.0f, -10.0f),
                      const Vector2& maxVertex = Vector2(100.0f, 100.0f),
                      const Vector2& minVertex = Vector2(-100.0f, -100.0f));
    bool IsPhysicsSetUp() const { return m_physicsWorld != nullptr; }
    /// Null before SetupPhysics.
    b2World* GetPhysicsWorld() const { return m_physicsWorld; }
    /// Steps the physics in fixed 1/60 s steps, carrying the remainder to the next tick; sends
    /// the collision messages and syncs every physics actor, also when no step was due. Once
    /// the tick's steps took 0.1 s on the World's clock, the time not yet stepped is dropped.
    void RunPhysics(float dt);
    /// Stores the point and broadcasts "CollisionWith" + name once per ordered pair and tick
    /// to names that have subscribers. Points without an actor on both bodies are ignored.
    void ProcessContact(const b2ContactPoint* point);
    /// Surrounds the visible area with four static edge actors, or removes them. A restitution
    /// of -1 keeps the remembered one. Call it outside the update and clean-up passes.
    void SetBlockers(bool turnOn, float restitution);
    /// Frame time not yet stepped (under one step). Tests start from an empty accumulator.
    float GetPhysicsTimeCarried() const { return m_physicsDelta; }
    void ResetPhysicsTimeCarried() { m_physicsDelta = 0.0f; }

    /// Rebuilds the edge blockers around the new view on "CameraChange".
    void ReceiveMessage(Message* message) override;

private:
    World() = default;
    ~World() = default;

    struct DeferredChange
    {
        enum class Kind
        {
            Add,
            Move,
            Remove
        };
        Kind kind;
        Renderable* element;
        int layer;
    };

    double ReadClock() const;
    /// Drops every deferred add, layer change and remove of element, before it is deleted.
    void ForgetDeferred(Renderable* element);
    /// Puts element at the end of layer's list, unless it is in the World already.
    void PutInLayer(Renderable* element, int layer);
    /// Takes element out of its layer's list, if it is in one.
    void TakeOutOfLayer(Renderable* element);
    /// Drops the gaps that deletions during walks left in the layers.
    void CloseGaps();

    bool m_running = false;
    std::atomic<bool> m_stopRequested{false};
    // Frame times are kept in double so that frame steps stay exact after hours of running;
    // a float has only millisecond resolution past 4.6 hours.
    double m_previousTime = 0.0;
    double m_currentTime = 0.0;
    std::uint64_t m_frameCount = 0;
    float m_dt = 0.0f;
    float m_physicsDelta = 0.0f;
    bool m_simulate = true;
    bool m_initialized = false;
    bool m_started = false;

    LayerMap m_layers;
    std::vector<DeferredChange> m_deferredChanges;
    std::map<String, int> m_layerNames;
    bool m_elementsLocked = false;
    bool m_unloadDeferred = false;
    /// Some layer holds the gap of a renderable deleted by someone else.
    bool m_layersHaveGaps = false;

    b2World* m_physicsWorld = nullptr;
    DebugDraw* m_debugDraw = nullptr;
    // kMaxContactPoints entries, allocated with the physics world and never freed, so the
    // points that collision messages carry stay valid until the next tick's delivery is over.
    b2ContactPoint* m_contactPoints = nullptr;
    int m_contactPointCount = 0;
    CollisionRecord* m_collisionRecord = nullptr;
    bool m_blockersOn = false;
    float m_blockerRestitution = 0.0f;
    /// Right, left, top, bottom. Blockers deleted by someone else (a level unload) turn
    /// null rather than being deleted again.
    RenderableRef<PhysicsActor> m_blockers[4];
    void DestroyDebugDraw();

    GameManager* m_gameManager = nullptr;
    Console* m_console = nullptr;
    FrameClock* m_clock = nullptr;
};
