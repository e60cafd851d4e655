#include "engine/sound/SoundDevice.h"

#include "engine/console/Log.h"
#include "engine/util/DataFile.h"
#include "engine/util/StringUtil.h"
#include "engine/world/GameManager.h"

#include <string>

namespace
{

constexpr unsigned int kRequiredVersion = 0x41600;
constexpr int kMaxChannels = 100;
constexpr unsigned int kEmulatedBufferLength = 1024;
constexpr int kEmulatedBufferCount = 10;

} // namespace

SoundDevice* SoundDevice::s_soundDevice = nullptr;

void ERRCHECK(sound::Result result)
{
    if (result != sound::OK)
        GetSystemLog()->Printf("FMOD error! (%d) %s\n", result, sound::ErrorString(result));
}

SoundDevice* SoundDevice::GetInstance()
{
    if (s_soundDevice == nullptr)
        s_soundDevice = new SoundDevice();
    return s_soundDevice;
}

SoundDevice::SoundDevice()
{
    Initialize();
}

void SoundDevice::Initialize()
{
    ERRCHECK(sound::CreateSystem(&m_system));
    // Nothing can be asked of a library that did not come up; every later call only logs.
    if (m_system == nullptr)
        return;

    unsigned int version = 0;
    ERRCHECK(m_system->GetVersion(&version));
    if (version < kRequiredVersion)
    {
        GetSystemLog()->Printf(
            "Error! You are using an old version of FMOD %08x. This program requires %08x\n",
            version, kRequiredVersion);
        return;
    }

    sound::Caps caps = sound::CAPS_NONE;
    sound::SpeakerMode speakerMode = sound::SPEAKERMODE_STEREO;
    ERRCHECK(m_system->GetDriverCaps(0, &caps, &speakerMode));
    ERRCHECK(m_system->SetSpeakerMode(speakerMode));
    if (caps & sound::CAPS_HARDWARE_EMULATED)
    {
        // Emulated drivers stutter with short buffers.
        ERRCHECK(m_system->SetDSPBufferSize(kEmulatedBufferLength, kEmulatedBufferCount));
    }

    sound::Result result = m_system->Init(kMaxChannels, sound::INIT_NORMAL, nullptr);
    if (result == sound::ERR_OUTPUT_CREATEBUFFER)
    {
        // The configured speaker mode is not supported by the output: fall back to stereo once.
        ERRCHECK(m_system->SetSpeakerMode(sound::SPEAKERMODE_STEREO));
        result = m_system->Init(kMaxChannels, sound::INIT_NORMAL, nullptr);
        ERRCHECK(result);
    }
    // Without this line a machine without a sound device would play nothing and never say why.
    if (result != sound::OK)
    {
        GetSystemLog()->Printf("WARNING: Sound is off - no sound output could be started: %s",
                               sound::ErrorString(result));
        // That line says it all: the calls that follow are quietly without effect.
        m_soundOff = true;
    }
}

SAMPLE_HANDLE SoundDevice::LoadSample(const char* filename, bool isStream)
{
    if (m_system == nullptr)
    {
        ERRCHECK(sound::ERR_UNINITIALIZED);
        return nullptr;
    }
    if (m_soundOff)
        return nullptr;
    if (filename != nullptr)
    {
        // A sound file no screen could mean is refused before the library reads it.
        const DataFile found = CheckDataFile(filename, kMaxMediaFileBytes);
        if (found.status == DataFile::Status::TooLarge)
        {
            GetSystemLog()->Log("ERROR: Sound file " + Printable(filename) + " is " +
                                found.Reason(kMaxMediaFileBytes) + ".");
            return nullptr;
        }
    }
    sound::Mode mode = sound::DEFAULT;
    if (isStream)
        mode |= sound::CREATESTREAM;
    sound::Sound* sample = nullptr;
    const sound::Result result = m_system->CreateSound(filename, mode, nullptr, &sample);
    if (result != sound::OK && filename != nullptr)
    {
        // The library's texts ("Error loading file.") do not say which file.
        GetSystemLog()->Log("FMOD error! (" + std::to_string(result) + ") " +
                            sound::ErrorString(result) + " - " + Printable(filename) + "\n");
        return nullptr;
    }
    ERRCHECK(result);
    if (result != sound::OK || sample == nullptr)
        return nullptr;
    m_samples.push_back(sample);
    return sample;
}

SOUND_HANDLE SoundDevice::PlaySound(SAMPLE_HANDLE sample, float volume, bool looping, int flags)
{
    if (flags != 0)
        GetSystemLog()->Log("WARNING: PlaySound doesn't use the passed in flags yet.");
    if (m_soundOff)
        return nullptr;
    if (m_system == nullptr)
    {
        ERRCHECK(sound::ERR_UNINITIALIZED);
        return nullptr;
    }

    // Started paused so that volume and loop mode apply before the first sample is heard.
    sound::Channel* channel = nullptr;
    const sound::Result result = m_system->PlaySound(sound::CHANNEL_FREE, sample, true, &channel);
    ERRCHECK(result);
    if (result != sound::OK || channel == nullptr)
        return nullptr;

    ERRCHECK(m_system->SetChannelVolume(channel, volume));
    ERRCHECK(m_system->SetChannelMode(channel, looping ? sound::LOOP_NORMAL : sound::LOOP_OFF));
    ERRCHECK(m_system->SetChannelPaused(channel, false));
    m_system->SetChannelCallback(channel, sound::CHANNEL_CALLBACKTYPE_END, &FMODChannelCallback, 0);
    return channel;
}

template <typename... Params, typename... Args>
void SoundDevice::CallChannel(sound::Result (sound::System::*call)(sound::Channel*, Params...),
                              SOUND_HANDLE sound, Args... args)
{
    if (sound == nullptr || m_soundOff)
        return;
    ERRCHECK(m_system ? (m_system->*call)(sound, args...) : sound::ERR_UNINITIALIZED);
}

void SoundDevice::StopSound(SOUND_HANDLE sound)
{
    CallChannel(&sound::System::StopChannel, sound);
}

void SoundDevice::PauseSound(SOUND_HANDLE sound, bool paused)
{
    CallChannel(&sound::System::SetChannelPaused, sound, paused);
}

void SoundDevice::SetVolume(SOUND_HANDLE sound, float volume)
{
    CallChannel(&sound::System::SetChannelVolume, sound, volume);
}

void SoundDevice::SetPan(SOUND_HANDLE sound, float pan)
{
    CallChannel(&sound::System::SetChannelPan, sound, pan);
}

bool SoundDevice::IsPlaying(SOUND_HANDLE sound)
{
    bool playing = false;
    CallChannel(&sound::System::IsChannelPlaying, sound, &playing);
    return playing;
}

bool SoundDevice::IsPaused(SOUND_HANDLE sound)
{
    bool paused = false;
    CallChannel(&sound::System::GetChannelPaused, sound, &paused);
    return paused;
}

void SoundDevice::SetSoundCallback(GameManager* target, void (GameManager::*function)(void*))
{
    m_soundCallback.SetCallback(target, function);
}

void SoundDevice::Update()
{
    if (m_system != nullptr)
        ERRCHECK(m_system->Update());
}

void SoundDevice::Shutdown()
{
    if (m_system != nullptr)
    {
        for (SAMPLE_HANDLE sample : m_samples)
            m_system->ReleaseSound(sample);
        m_samples.clear();
        ERRCHECK(m_system->Release());
        m_system = nullptr;
    }
    s_soundDevice = nullptr;
    delete this;
}

sound::Result SoundDevice::FMODChannelCallback(sound::Channel* channel, sound::ChannelCallbackType,
                                               int, unsigned int, unsigned int)
{
    SoundDevice* device = s_soundDevice;
    if (device == nullptr || device->m_soundCallback.GetTarget() == nullptr ||
        device->m_soundCallback.GetFunction() == nullptr)
        return sound::OK;
    device->m_soundCallback(channel);
    return sound::OK;
}
