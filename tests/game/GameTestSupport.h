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
#include "tests/actors/PictureSupport.h"
#include "tests/tuio/TuioTestSupport.h"

#include <functional>
#include <memory>

/// A sound library without output that counts the sounds started.
class CountingSoundSystem : public sound::System
{
public:
    static inline int s_plays = 0;
    static sound::Result Create(sound::System** system)
    {
        *system = new CountingSoundSystem();
        return sound::OK;
    }

    using R = sound::Result;
    R GetVersion(unsigned int* version) override { return *version = 0x42000, sound::OK; }
    R GetDriverCaps(int, sound::Caps* caps, sound::SpeakerMode* mode) override
    {
        *caps = sound::CAPS_NONE;
        *mode = sound::SPEAKERMODE_STEREO;
        return sound::OK;
    }
    R SetSpeakerMode(sound::SpeakerMode) override { return sound::OK; }
    R SetDSPBufferSize(unsigned int, int) override { return sound::OK; }
    R Init(int, sound::InitFlags, void*) override { return sound::OK; }
    R Update() override { return sound::OK; }
    // Handles are never dereferenced: any address will do.
    R CreateSound(const char*, sound::Mode, void*, sound::Sound** sound) override
    {
        return *sound = reinterpret_cast<sound::Sound*>(this), sound::OK;
    }
    R PlaySound(int, sound::Sound*, bool, sound::Channel** channel) override
    {
        ++s_plays;
        return *channel = reinterpret_cast<sound::Channel*>(this), sound::OK;
    }
    R Release() override { return delete this, sound::OK; }
    R ReleaseSound(sound::Sound*) override { return sound::OK; }
    R SetChannelVolume(sound::Channel*, float) override { return sound::OK; }
    R SetChannelPan(sound::Channel*, float) override { return sound::OK; }
    R SetChannelPaused(sound::Channel*, bool) override { return sound::OK; }
    R GetChannelPaused(sound::Channel*, bool* paused) override { return *paused = false, 0; }
    R IsChannelPlaying(sound::Channel*, bool* playing) override { return *playing = false, 0; }
    R StopChannel(sound::Channel*) override { return sound::OK; }
    R SetChannelMode(sound::Channel*, sound::Mode) override { return sound::OK; }
    R SetChannelCallback(sound::Channel*, sound::ChannelCallbackType, sound::ChannelCallback,
                         int) override
    {
        return sound::OK;
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

class GameTest : public PictureTest
{
protected:
    static void SetUpTestSuite()
    {
        sound::SetSystemFactory(&CountingSoundSystem::Create);
        SoundDevice::GetInstance()->Shutdown(); // the next use starts the counting library
        PictureTest::SetUpTestSuite();
        World::GetInstance()->SetupPhysics(Vector2(0.0f, 0.0f), Vector2(100.0f, 100.0f),
                                           Vector2(-100.0f, -100.0f));
    }

    void SetUp() override
    {
        PictureTest::SetUp();
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
        PictureTest::TearDown();
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
