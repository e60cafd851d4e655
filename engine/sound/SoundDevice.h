#pragma once

#include "engine/sound/GenericCallback.h"
#include "engine/sound/SoundSystem.h"

#include <vector>

class GameManager;

/// A loaded sample; null means none. Owned by the device until Shutdown.
using SAMPLE_HANDLE = sound::Sound*;
/// A playing channel; null means none. Turns invalid when its sound ends or it is stopped.
using SOUND_HANDLE = sound::Channel*;

/// Logs a sound library result other than success as "FMOD error! (<code>) <text>\n".
void ERRCHECK(sound::Result result);

/// The engine's single point of sound: loads samples, plays them on up to 100 channels and
/// tells the game manager when a channel has finished. Main thread only. Failures are logged
/// and never stop the program: without output every call is quietly without effect.
class SoundDevice
{
public:
    /// The device, started on first use.
    static SoundDevice* GetInstance();
    /// Whether device is the one GetInstance gives, without starting one: a pointer kept from
    /// before a Shutdown (by a script's thread at exit) is not.
    static bool IsCurrent(const SoundDevice* device)
    {
        return device != nullptr && device == s_soundDevice;
    }

    /// Starts the sound library: version check, driver set-up, 100 channels. An output that
    /// cannot be started leaves one "WARNING: Sound is off ..." line in the system log.
    void Initialize();

    /// Decodes the file into memory, or with `isStream` reads it from disk while it plays.
    /// Null when the file cannot be loaded: the reason is logged with the file's name (anything
    /// but a regular file is not found; one beyond kMaxMediaFileBytes is an "ERROR:" line).
    SAMPLE_HANDLE LoadSample(const char* filename, bool isStream);
    /// Plays `sample` once or in a loop at `volume` (0 ... 1) on a free channel. Null when it
    /// could not be started. `flags` are not used yet.
    SOUND_HANDLE PlaySound(SAMPLE_HANDLE sample, float volume = 1.0f, bool looping = false,
                           int flags = 0);

    // Null handles are ignored by the setters; the queries answer false for them.
    void StopSound(SOUND_HANDLE sound);
    void PauseSound(SOUND_HANDLE sound, bool paused);
    /// 0 silent ... 1 full.
    void SetVolume(SOUND_HANDLE sound, float volume);
    /// -1 full left ... 1 full right.
    void SetPan(SOUND_HANDLE sound, float pan);
    /// True until the channel has finished, also while it is paused.
    bool IsPlaying(SOUND_HANDLE sound);
    bool IsPaused(SOUND_HANDLE sound);

    /// `function` is called on `target` with the channel whenever a channel finishes, from
    /// inside Update.
    void SetSoundCallback(GameManager* target, void (GameManager::*function)(void*));

    /// Once a frame: feeds streams and delivers the end-of-channel calls.
    void Update();
    /// Releases every sample and the sound library and deletes the device; the next
    /// GetInstance starts a new one.
    void Shutdown();

    /// The sound library's end-of-channel callback: hands the channel to the game manager.
    static sound::Result FMODChannelCallback(sound::Channel* channel,
                                             sound::ChannelCallbackType type, int command,
                                             unsigned int commandData1, unsigned int commandData2);

private:
    SoundDevice();
    ~SoundDevice() = default;

    /// Calls the library for a channel: nothing for a null one, only a logged error without a
    /// library, else the result checked.
    template <typename... Params, typename... Args>
    void CallChannel(sound::Result (sound::System::*call)(sound::Channel*, Params...),
                     SOUND_HANDLE sound, Args... args);

    static SoundDevice* s_soundDevice;

    TGenericCallback<GameManager, void*> m_soundCallback;
    sound::System* m_system = nullptr;
    std::vector<SAMPLE_HANDLE> m_samples;
    /// The output could not be started, and the log has said so once.
    bool m_soundOff = false;
};
