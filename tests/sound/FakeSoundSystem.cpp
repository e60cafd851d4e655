#include "tests/sound/FakeSoundSystem.h"

#include <cstdint>
#include <sstream>

namespace
{

FakeSoundLibrary* s_library = nullptr;

int IdOf(const void* handle)
{
    return static_cast<int>(reinterpret_cast<uintptr_t>(handle));
}

std::string ChannelName(sound::Channel* channel)
{
    return "ch" + std::to_string(IdOf(channel));
}

std::string SoundName(sound::Sound* sound)
{
    return sound ? "s" + std::to_string(IdOf(sound)) : "null";
}

class FakeSoundSystem : public sound::System
{
public:
    explicit FakeSoundSystem(FakeSoundLibrary& library) : m_library(library) {}

    sound::Result GetVersion(unsigned int* version) override
    {
        *version = m_library.version;
        return Record("GetVersion");
    }
    sound::Result GetDriverCaps(int driver, sound::Caps* caps,
                                sound::SpeakerMode* speakerMode) override
    {
        *caps = m_library.caps;
        *speakerMode = m_library.speakerMode;
        return Record("GetDriverCaps", driver);
    }
    sound::Result SetSpeakerMode(sound::SpeakerMode speakerMode) override
    {
        return Record("SetSpeakerMode", speakerMode);
    }
    sound::Result SetDSPBufferSize(unsigned int bufferLength, int numBuffers) override
    {
        return Record("SetDSPBufferSize", bufferLength, numBuffers);
    }
    sound::Result Init(int maxChannels, sound::InitFlags flags, void* extraDriverData) override
    {
        const sound::Result result =
            Record("Init", maxChannels, flags, extraDriverData ? "data" : "null");
        m_library.initialized = result == sound::OK;
        return result;
    }
    sound::Result Update() override
    {
        const sound::Result result = Record("Update");
        for (auto& [id, state] : m_library.channels)
        {
            if (state.finished && state.callback != nullptr)
            {
                state.callback(ChannelOf(id), sound::CHANNEL_CALLBACKTYPE_END, state.command, 0, 0);
                state.callback = nullptr;
            }
        }
        return result;
    }
    sound::Result CreateSound(const char* fileName, sound::Mode mode, void* extendedInfo,
                              sound::Sound** sound) override
    {
        std::ostringstream mode16;
        mode16 << "0x" << std::hex << mode;
        sound::Result result =
            Record("CreateSound", fileName, mode16.str(), extendedInfo ? "info" : "null");
        if (result == sound::OK && !m_library.initialized)
            result = sound::ERR_UNINITIALIZED;
        *sound = nullptr;
        if (result == sound::OK)
            *sound = reinterpret_cast<sound::Sound*>(uintptr_t(++m_library.soundsCreated));
        return result;
    }
    sound::Result PlaySound(int channelIndex, sound::Sound* sound, bool paused,
                            sound::Channel** channel) override
    {
        sound::Result result =
            Record("PlaySound", channelIndex, SoundName(sound), paused ? "paused" : "playing");
        if (result == sound::OK && !m_library.initialized)
            result = sound::ERR_UNINITIALIZED;
        if (result == sound::OK && sound == nullptr)
            result = sound::ERR_INVALID_PARAM;
        *channel = nullptr;
        if (result == sound::OK)
        {
            const int id = static_cast<int>(m_library.channels.size()) + 1;
            m_library.channels[id].paused = paused;
            *channel = ChannelOf(id);
        }
        return result;
    }
    sound::Result Release() override
    {
        const sound::Result result = Record("Release");
        delete this;
        return result;
    }
    sound::Result ReleaseSound(sound::Sound* sound) override
    {
        return Record("ReleaseSound", SoundName(sound));
    }
    sound::Result SetChannelVolume(sound::Channel* channel, float volume) override
    {
        return Record("SetChannelVolume", ChannelName(channel), volume);
    }
    sound::Result SetChannelPan(sound::Channel* channel, float pan) override
    {
        return Record("SetChannelPan", ChannelName(channel), pan);
    }
    sound::Result SetChannelPaused(sound::Channel* channel, bool paused) override
    {
        const sound::Result result = Record("SetChannelPaused", ChannelName(channel), paused);
        if (result == sound::OK)
            m_library.channels[IdOf(channel)].paused = paused;
        return result;
    }
    sound::Result GetChannelPaused(sound::Channel* channel, bool* paused) override
    {
        const sound::Result result = Record("GetChannelPaused", ChannelName(channel));
        if (result == sound::OK)
            *paused = m_library.channels[IdOf(channel)].paused;
        return result;
    }
    sound::Result IsChannelPlaying(sound::Channel* channel, bool* playing) override
    {
        const sound::Result result = Record("IsChannelPlaying", ChannelName(channel));
        if (result == sound::OK)
            *playing = !m_library.channels[IdOf(channel)].finished;
        return result;
    }
    sound::Result StopChannel(sound::Channel* channel) override
    {
        return Record("StopChannel", ChannelName(channel));
    }
    sound::Result SetChannelMode(sound::Channel* channel, sound::Mode mode) override
    {
        return Record("SetChannelMode", ChannelName(channel), mode);
    }
    sound::Result SetChannelCallback(sound::Channel* channel, sound::ChannelCallbackType type,
                                     sound::ChannelCallback callback, int command) override
    {
        const sound::Result result =
            Record("SetChannelCallback", ChannelName(channel), type, "command", command);
        if (result == sound::OK)
        {
            m_library.channels[IdOf(channel)].callback = callback;
            m_library.channels[IdOf(channel)].command = command;
        }
        return result;
    }

private:
    static sound::Channel* ChannelOf(int id)
    {
        return reinterpret_cast<sound::Channel*>(uintptr_t(id));
    }

    template <typename... Args> sound::Result Record(const std::string& name, const Args&... args)
    {
        std::ostringstream line;
        line << name;
        ((line << ' ' << args), ...);
        m_library.calls.push_back(line.str());
        return m_library.Next(name);
    }

    FakeSoundLibrary& m_library;
};

sound::Result CreateFakeSystem(sound::System** system)
{
    s_library->calls.push_back("CreateSystem");
    if (s_library->createResult == sound::OK)
        *system = new FakeSoundSystem(*s_library);
    return s_library->createResult;
}

} // namespace

FakeSoundLibrary::FakeSoundLibrary()
{
    s_library = this;
    sound::SetSystemFactory(&CreateFakeSystem);
}

FakeSoundLibrary::~FakeSoundLibrary()
{
    sound::SetSystemFactory(nullptr);
    s_library = nullptr;
}

void FakeSoundLibrary::Fail(const std::string& name, sound::Result result)
{
    m_failures[name].push_back(result);
}

void FakeSoundLibrary::FinishChannel(sound::Channel* channel)
{
    channels[IdOf(channel)].finished = true;
}

sound::Result FakeSoundLibrary::Next(const std::string& name)
{
    auto& queued = m_failures[name];
    if (queued.empty())
        return sound::OK;
    const sound::Result result = queued.front();
    queued.pop_front();
    return result;
}
