#pragma once

// The game in the engine's real window (run under Xvfb): physics without gravity as the program
// sets it up, a sound library that only counts the sounds played, and the game's manager and
// screens over a TUIO client on a free port.

#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/sound/SoundDevice.h"
#include "engine/sound/SoundSystem.h"
#include "game/QuorvelManager.h"
#include "game/TuioScreen.h"
#include "tests/support/TuioSupport.h"
#include "tests/support/WorldWindow.h"

#include <functional>
#include <memory>

/// A sound library without output that counts the sounds started. Handles are never followed:
/// any address will do.
class CountingSoundSystem : public sound::System
{
public:
    static inline int s_plays = 0;
    static sound::Result Create(sound::System** system)
    {
        return *system = new CountingSoundSystem, 0;
    }

    using R = sound::Result;
    using C = sound::Channel*;
    R GetVersion(unsigned int* version) override { return *version = 0x42000, 0; }
    R GetDriverCaps(int, sound::Caps* caps, sound::SpeakerMode* mode) override
    {
        return *caps = sound::CAPS_NONE, *mode = sound::SPEAKERMODE_STEREO, 0;
    }
    R SetSpeakerMode(sound::SpeakerMode) override { return 0; }
    R SetDSPBufferSize(unsigned int, int) override { return 0; }
    R Init(int, sound::InitFlags, void*) override { return 0; }
    R Update() override { return 0; }
    R CreateSound(const char*, sound::Mode, void*, sound::Sound** sound) override
    {
        return *sound = reinterpret_cast<sound::Sound*>(this), 0;
    }
    R PlaySound(int, sound::Sound*, bool, C* channel) override
    {
        return ++s_plays, *channel = reinterpret_cast<C>(this), 0;
    }
    R Release() override { return delete this, 0; }
    R ReleaseSound(sound::Sound*) override { return 0; }
    R SetChannelVolume(C, float) override { return 0; }
    R SetChannelPan(C, float) override { return 0; }
    R SetChannelPaused(C, bool) override { return 0; }
    R GetChannelPaused(C, bool* paused) override { return *paused = false, 0; }
    R IsChannelPlaying(C, bool* playing) override { return *playing = false, 0; }
    R StopChannel(C) override { return 0; }
    R SetChannelMode(C, sound::Mode) override { return 0; }
    R SetChannelCallback(C, sound::ChannelCallbackType, sound::ChannelCallback, int) override
    {
        return 0;
    }
};

/// The game's manager and screens (or others) over a client of the test's choosing.
class TestManager : public ScreenManager
{
public:
    explicit TestManager(TUIO::TuioClient* client,
                         const std::function<ScreenList()>& screens = &QuorvelManager::MakeScreens)
        : ScreenManager(client, screens)
    {
    }
};

class GameTest : public WorldWindowTest
{
protected:
    static void SetUpTestSuite()
    {
        sound::SetSystemFactory(&CountingSoundSystem::Create);
        SoundDevice::GetInstance()->Shutdown(); // the next use starts the counting library
        WorldWindowTest::SetUpTestSuite();
        World::GetInstance()->SetupPhysics(Vector2(0.0f, 0.0f), Vector2(100.0f, 100.0f),
                                           Vector2(-100.0f, -100.0f));
    }

    void SetUp() override
    {
        WorldWindowTest::SetUp();
        Switchboard::GetInstance()->SendAllMessages(); // nothing left over from earlier tests
        manager = std::make_unique<TestManager>(touches.client.get());
        // Called after the manager, the recorder sees a bundle's refresh once the manager has
        // queued its touch messages.
        touches.client->removeTuioListener(&touches.listener);
        touches.client->addTuioListener(&touches.listener);
        CountingSoundSystem::s_plays = 0;
    }

    void TearDown() override
    {
        DeleteManager();
        world->ResetPhysicsTimeCarried();
        WorldWindowTest::TearDown();
    }

    /// Stops the running screen and deletes the manager and its screens.
    void DeleteManager()
    {
        TuioScreen* running = manager->GetScreens()[manager->GetCurrentScreenIndex()];
        running->Stop();
        world->Remove(running);
        const ScreenManager::ScreenList screens = manager->GetScreens();
        manager.reset();
        for (TuioScreen* screen : screens)
            delete screen;
    }

    /// The running screen as a T (null if it is another kind).
    template <typename T> T* Running() const
    {
        return dynamic_cast<T*>(manager->GetScreens()[manager->GetCurrentScreenIndex()]);
    }

    /// Broadcasts the messages, then runs one frame of the main loop without drawing, which
    /// delivers them; the frame takes seconds.
    void Tick(std::initializer_list<const char*> names = {}, double seconds = 1.0 / 30.0)
    {
        for (const char* name : names)
            Switchboard::GetInstance()->Broadcast(new Message(name));
        clock.Advance(seconds);
        world->Tick(true);
    }

    /// Sends a cursor bundle to the client; true once its messages are queued. Every bundle
    /// of the test goes through here.
    bool Touch(const std::vector<int>& alive, const std::vector<TuioTest::CursorSet>& sets)
    {
        TuioTest::SendTo(touches.port, TuioTest::CursorBundle(alive, sets, ++m_frame));
        return touches.listener.WaitFor(static_cast<size_t>(m_frame));
    }

    TuioTest::ConnectedClient touches;
    std::unique_ptr<TestManager> manager;

private:
    int m_frame = 0;
};
