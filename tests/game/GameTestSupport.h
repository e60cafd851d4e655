#pragma once

// The game's pieces in the engine's real window (run under Xvfb): physics without gravity as the
// program sets it up, a sound library that only counts what is played, and the game's manager
// with its seven screens over a TUIO client on a free port.

#include "engine/messaging/Switchboard.h"
#include "engine/sound/SoundDevice.h"
#include "engine/sound/SoundSystem.h"
#include "game/QuorvelManager.h"
#include "game/TuioScreen.h"
#include "tests/actors/PictureSupport.h"
#include "tests/tuio/TuioTestSupport.h"

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

    sound::Result GetVersion(unsigned int* version) override
    {
        *version = 0x00042000;
        return sound::OK;
    }
    sound::Result GetDriverCaps(int, sound::Caps* caps, sound::SpeakerMode* mode) override
    {
        *caps = sound::CAPS_NONE;
        *mode = sound::SPEAKERMODE_STEREO;
        return sound::OK;
    }
    sound::Result SetSpeakerMode(sound::SpeakerMode) override { return sound::OK; }
    sound::Result SetDSPBufferSize(unsigned int, int) override { return sound::OK; }
    sound::Result Init(int, sound::InitFlags, void*) override { return sound::OK; }
    sound::Result Update() override { return sound::OK; }
    sound::Result CreateSound(const char*, sound::Mode, void*, sound::Sound** sound) override
    {
        *sound = reinterpret_cast<sound::Sound*>(this); // a handle, never dereferenced
        return sound::OK;
    }
    sound::Result PlaySound(int, sound::Sound*, bool, sound::Channel** channel) override
    {
        ++s_plays;
        *channel = reinterpret_cast<sound::Channel*>(this);
        return sound::OK;
    }
    sound::Result Release() override
    {
        delete this;
        return sound::OK;
    }
    sound::Result ReleaseSound(sound::Sound*) override { return sound::OK; }
    sound::Result SetChannelVolume(sound::Channel*, float) override { return sound::OK; }
    sound::Result SetChannelPan(sound::Channel*, float) override { return sound::OK; }
    sound::Result SetChannelPaused(sound::Channel*, bool) override { return sound::OK; }
    sound::Result GetChannelPaused(sound::Channel*, bool* paused) override
    {
        *paused = false;
        return sound::OK;
    }
    sound::Result IsChannelPlaying(sound::Channel*, bool* playing) override
    {
        *playing = false;
        return sound::OK;
    }
    sound::Result StopChannel(sound::Channel*) override { return sound::OK; }
    sound::Result SetChannelMode(sound::Channel*, sound::Mode) override { return sound::OK; }
    sound::Result SetChannelCallback(sound::Channel*, sound::ChannelCallbackType,
                                     sound::ChannelCallback, int) override
    {
        return sound::OK;
    }
};

/// The game's manager and screens over a client that the test chooses.
class TestManager : public ScreenManager
{
public:
    explicit TestManager(TUIO::TuioClient* client)
        : ScreenManager(client, &QuorvelManager::MakeScreens)
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
        CountingSoundSystem::s_plays = 0;
    }

    /// Stops the running screen and deletes the manager and its screens, so that the World
    /// holds nothing of the game.
    void TearDown() override
    {
        const int current = manager->GetCurrentScreenIndex();
        TuioScreen* running = manager->GetScreens()[current];
        running->Stop();
        world->Remove(running);
        const ScreenManager::ScreenList screens = manager->GetScreens();
        manager.reset();
        for (TuioScreen* screen : screens)
            delete screen;
        world->ResetPhysicsTimeCarried();
        PictureTest::TearDown();
    }

    /// The running screen as a T (null if it is another kind).
    template <typename T> T* Running() const
    {
        return dynamic_cast<T*>(manager->GetScreens()[manager->GetCurrentScreenIndex()]);
    }

    /// Broadcasts the message names and delivers them in one pass.
    void Deliver(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            Switchboard::GetInstance()->Broadcast(new Message(name));
        Switchboard::GetInstance()->SendAllMessages();
    }

    TuioTest::ConnectedClient touches;
    std::unique_ptr<TestManager> manager;
};
