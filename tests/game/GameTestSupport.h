#pragma once

// The game's and the further screens' tests in the engine's real window (run under Xvfb):
// physics set up as the programs do it, a sound library that counts the sounds started, the
// random source seeded, and touches and contacts sent as the manager and the World send them.

#include "engine/actors/ParticleActor.h"
#include "engine/actors/PhysicsActor.h"
#include "engine/input/InputManager.h"
#include "engine/messaging/TagCollection.h"
#include "engine/messaging/TypedMessage.h"
#include "engine/sound/SoundDevice.h"
#include "engine/sound/SoundSystem.h"
#include "engine/util/MathUtil.h"
#include "engine/util/StringUtil.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/ActorQueries.h"
#include "game/QuorvelManager.h"
#include "game/TuioCursorMessage.h"
#include "game/TuioScreen.h"
#include "tests/support/TuioSupport.h"
#include "tests/support/WorldWindow.h"

#include <unistd.h>

/// A sound library without output that counts the sounds started. Handles are never followed.
class CountingSoundSystem : public sound::System
{
public:
    static inline int s_plays = 0;
    using R = sound::Result;
    using C = sound::Channel*;
    R GetVersion(unsigned int* version) override { return *version = 0x42000, 0; }
    R GetDriverCaps(int, sound::Caps* caps, sound::SpeakerMode* mode) override
    {
        return *caps = sound::CAPS_NONE, *mode = sound::SPEAKERMODE_STEREO, 0;
    }
    R CreateSound(const char*, sound::Mode, void*, sound::Sound** sound) override
    {
        return *sound = reinterpret_cast<sound::Sound*>(this), 0;
    }
    R PlaySound(int, sound::Sound*, bool, C* channel) override
    {
        return ++s_plays, *channel = reinterpret_cast<C>(this), 0;
    }
    R GetChannelPaused(C, bool* paused) override { return *paused = false, 0; }
    R IsChannelPlaying(C, bool* playing) override { return *playing = false, 0; }
    R Release() override { return delete this, 0; }
    R SetSpeakerMode(sound::SpeakerMode) override { return 0; }
    R SetDSPBufferSize(unsigned int, int) override { return 0; }
    R Init(int, sound::InitFlags, void*) override { return 0; }
    R Update() override { return 0; }
    R ReleaseSound(sound::Sound*) override { return 0; }
    R SetChannelVolume(C, float) override { return 0; }
    R SetChannelPan(C, float) override { return 0; }
    R SetChannelPaused(C, bool) override { return 0; }
    R StopChannel(C) override { return 0; }
    R SetChannelMode(C, sound::Mode) override { return 0; }
    R SetChannelCallback(C, sound::ChannelCallbackType, sound::ChannelCallback, int) override
    {
        return 0;
    }
};

struct TestManager final : ScreenManager
{
    TestManager(TUIO::TuioClient* c, const std::function<ScreenList()>& s)
        : ScreenManager(c, s), client(c)
    {
        ListenForTouches();
    }
    /// Leaves the client first, as the constructor joined it last: a call from its receive
    /// thread may still be under way.
    ~TestManager() override
    {
        if (client != nullptr)
            client->removeTuioListener(this);
    }

    TUIO::TuioClient* client;
};

/// The World's game manager in the tests, standing for the manager of a test, as the programs'
/// managers do for them (the World takes one manager for good): a level unload leaves that
/// manager's screens in the World.
struct StandInManager : GameManager
{
    bool IsProtectedFromUnloadAll(Renderable* renderable) override
    {
        return manager != nullptr && manager->IsProtectedFromUnloadAll(renderable);
    }
    /// The one stand-in, made the World's game manager on first use.
    static StandInManager& Get()
    {
        static StandInManager* standIn = []
        {
            auto* made = new StandInManager();
            World::GetInstance()->SetGameManager(made);
            return made;
        }();
        return *standIn;
    }

    ScreenManager* manager = nullptr;
};

constexpr char kDown[] = "TuioCursorAdded", kMove[] = "TuioCursorUpdated",
               kUp[] = "TuioCursorRemoved";

class ScreenTest : public WorldWindowTest
{
protected:
    static void SetUpTestSuite()
    {
        sound::SetSystemFactory([](sound::System** made)
                                { return *made = new CountingSoundSystem, 0; });
        SoundDevice::GetInstance()->Shutdown(); // the next use starts the counting library
        WorldWindowTest::SetUpTestSuite();
        World::GetInstance()->SetupPhysics(Vector2(0.0f), Vector2(100.0f), Vector2(-100.0f));
    }
    void SetUp() override
    {
        WorldWindowTest::SetUp();
        MathUtil::RandomInt(1); // the engine's one seeding by the clock happens first
        std::srand(7);
        Deliver();
        world->ResetPhysicsTimeCarried();
    }
    void TearDown() override
    {
        End();
        if (manager)
        {
            manager->StopRunningScreen();
            const ScreenManager::ScreenList screens = manager->GetScreens();
            manager.reset();
            for (TuioScreen* each : screens)
                delete each;
        }
        world->SetBlockers(false, 0.0f);
        UseFolders();
        WorldWindowTest::TearDown();
    }
    /// Where the level loader reads levels and archetypes (by default the programs' folders).
    void UseFolders(const String& levels = "Config/Level",
                    const String& archetypes = "Config/ActorDef")
    {
        world->ScriptExec("import tessaly_levels\n"
                          "tessaly_levels.LEVEL_FOLDER = levels\n"
                          "tessaly_levels.ARCHETYPE_FOLDER = archetypes\n",
                          {{"levels", levels}, {"archetypes", archetypes}});
    }

    /// Started, then added to the World, as the manager does; the screen before ends.
    template <typename Screen> Screen* Run(Screen* started)
    {
        End();
        Frame(0.0); // the World's time is the clock's
        screen.reset(started);
        Restart();
        world->Add(started, 0);
        return started;
    }
    void Restart() { screen->Start(), running = true; }
    /// Contacts queued before the stop reach the screen while it is stopped, as in the program.
    void Stop()
    {
        if (std::exchange(running, false))
            screen->Stop();
        Deliver();
    }
    void End()
    {
        if (screen)
            Stop(), world->Remove(screen.get()), screen.reset();
    }

    /// Queues the touch message of cursor id at normalised (x, y) moving at (xs, ys).
    static void Touch(const char* name, int id, float x, float y, float xs = 0, float ys = 0)
    {
        auto* cursor = new TUIO::TuioCursor(TUIO::TuioTime(), 100 + id, id, x, y);
        cursor->update(x, y, xs, ys, 0.0f);
        Switchboard::GetInstance()->Broadcast(new TuioCursorMessage(name, cursor));
    }
    /// A touch at a world point, then frames (a new finger needs two to touch something).
    void Down(int id, Vector2 at, int frames = 2) { Finger(kDown, id, at, frames); }
    void Move(int id, Vector2 at, int frames = 1) { Finger(kMove, id, at, frames); }
    void Up(int id, int frames = 1) { Finger(kUp, id, Vector2(), frames); }
    void Finger(const char* name, int id, Vector2 at, int frames)
    {
        const Vector2 pixel = MathUtil::WorldToScreen(at);
        Touch(name, id, pixel.X / Picture::kWidth, pixel.Y / Picture::kHeight);
        while (frames-- > 0)
            Frame();
    }
    /// Queues "CollisionWith" + subject's name from other, as the World sends it.
    static void Collide(const Actor* subject, MessageListener* other, b2ContactPoint* at = nullptr)
    {
        Switchboard::GetInstance()->Broadcast(
            new TypedMessage<b2ContactPoint*>("CollisionWith" + subject->GetName(), at, other));
    }
    static void Deliver() { Switchboard::GetInstance()->SendAllMessages(); }

    /// Presses ("keydown") or releases ("keyup") the keys in this program's window and waits
    /// until the window has the last. Only on a display of its own: keys go to the focus.
    void Keys(const char* action, const String& keys)
    {
        const String xdotool = "xdotool search --all --pid " + std::to_string(getpid()) +
                               " --name Tessaly " + action + " --window %1 " + keys;
        ASSERT_EQ(std::system(xdotool.c_str()), 0);
        const bool down = String(action) == "keydown";
        for (int i = 0; i < 300 && InputManager::GetInstance()->IsKeyDown(keys.back()) != down; ++i)
            Frame(0.0);
        ASSERT_EQ(InputManager::GetInstance()->IsKeyDown(keys.back()), down);
    }

    static ActorList Live(const String& tags) { return LiveActorsTagged(tags); }
    static auto* Named(const char* n) { return static_cast<PhysicsActor*>(Actor::GetNamed(n)); }
    static size_t Tagged(const String& tags) { return Live(tags).size(); }
    /// Puts a physics actor at rest at a place.
    static void Stand(PhysicsActor* actor, Vector2 at)
    {
        actor->SetPosition(at);
        actor->GetBody()->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
    }
    static Vector2 Velocity(const Actor* actor)
    {
        const b2Vec2 v = static_cast<const PhysicsActor*>(actor)->GetBody()->GetLinearVelocity();
        return Vector2(v.x, v.y);
    }
    static void ExpectNear(const Vector2& actual, const Vector2& expected, float within = 1e-3f)
    {
        EXPECT_LT(Vector2::Distance(actual, expected), within) << actual.X << ", " << actual.Y;
    }
    /// The World's particle actors of colour (white: any), and its other renderables but the
    /// screen.
    std::pair<int, int> PuffsAndOthers(const Color& colour = Color())
    {
        std::pair<int, int> counts(0, 0);
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            if (auto* puff = dynamic_cast<ParticleActor*>(*it))
                counts.first += colour == Color() || puff->GetColor() == colour;
            else
                counts.second += *it != screen.get();
        return counts;
    }

    /// The manager over screens, listening to a client on a free port; its first screen runs.
    void StartManager(
        const std::function<ScreenManager::ScreenList()>& screens = &QuorvelManager::MakeScreens)
    {
        touches = std::make_unique<TuioTest::ConnectedClient>();
        manager = std::make_unique<TestManager>(touches->client.get(), screens);
        CountingSoundSystem::s_plays = 0;
        // Listening after the manager, the recorder sees a refresh once its messages are queued.
        touches->client->removeTuioListener(&touches->listener);
        touches->client->addTuioListener(&touches->listener);
    }
    /// The screens in the World.
    std::vector<Renderable*> ScreensInWorld() const
    {
        std::vector<Renderable*> screens;
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            if (dynamic_cast<TuioScreen*>(*it) != nullptr)
                screens.push_back(*it);
        return screens;
    }
    /// The manager's running screen as a T (null if it is another kind).
    template <typename T> T* Running() const
    {
        return dynamic_cast<T*>(manager->GetScreens()[manager->GetCurrentScreenIndex()]);
    }
    /// Broadcasts the messages, then one frame of the main loop without drawing.
    void Tick(const std::vector<const char*>& names = {}, double seconds = 1.0 / 30.0)
    {
        for (const char* name : names)
            Switchboard::GetInstance()->Broadcast(new Message(name));
        clock.Advance(seconds);
        world->Tick(true);
    }
    /// Sends a cursor bundle to the manager's client; true once its messages are queued.
    bool Send(const std::vector<int>& alive, const std::vector<TuioTest::CursorSet>& sets)
    {
        TuioTest::SendTo(touches->port, TuioTest::CursorBundle(alive, sets, ++m_frame));
        return touches->listener.WaitFor(static_cast<size_t>(m_frame));
    }

    std::unique_ptr<TuioScreen> screen;
    bool running = false;
    std::unique_ptr<TuioTest::ConnectedClient> touches;
    std::unique_ptr<TestManager> manager;

private:
    int m_frame = 0;
};
