#include "engine/sound/openal/OpenALSystem.h"

#include "engine/sound/openal/SoundFile.h"

#include <AL/alext.h>

#include <algorithm>

namespace sound
{
namespace openal
{
namespace
{

constexpr unsigned int kVersion = 0x00041600;
constexpr int kMaxChannels = 4095;

} // namespace

Result TakeALError()
{
    switch (alGetError())
    {
    case AL_NO_ERROR:
        return OK;
    case AL_OUT_OF_MEMORY:
        return ERR_MEMORY;
    default:
        return ERR_INTERNAL;
    }
}

ALenum FormatFor(int channels)
{
    return channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
}

Result OpenALSystem::GetVersion(unsigned int* version)
{
    if (version == nullptr)
        return ERR_INVALID_PARAM;
    *version = kVersion;
    return OK;
}

Result OpenALSystem::GetDriverCaps(int driver, Caps* caps, SpeakerMode* speakerMode)
{
    if (driver != 0)
        return ERR_INVALID_PARAM;
    // OpenAL Soft mixes in software with its own short periods: nothing to emulate.
    if (caps != nullptr)
        *caps = CAPS_NONE;
    if (speakerMode != nullptr)
        *speakerMode = SPEAKERMODE_STEREO;
    return OK;
}

Result OpenALSystem::SetSpeakerMode(SpeakerMode speakerMode)
{
    if (m_initialized)
        return ERR_INITIALIZED;
    if (speakerMode < SPEAKERMODE_RAW || speakerMode > SPEAKERMODE_7POINT1)
        return ERR_INVALID_PARAM;
    m_speakerMode = speakerMode;
    return OK;
}

Result OpenALSystem::SetDSPBufferSize(unsigned int bufferLength, int numBuffers)
{
    if (m_initialized)
        return ERR_INITIALIZED;
    if (bufferLength == 0 || numBuffers < 1)
        return ERR_INVALID_PARAM;
    m_dspBufferLength = bufferLength;
    return OK;
}

Result OpenALSystem::Init(int maxChannels, InitFlags, void*)
{
    if (m_initialized)
        return ERR_INITIALIZED;
    if (maxChannels < 1 || maxChannels > kMaxChannels)
        return ERR_INVALID_PARAM;

    std::vector<ALCint> attributes;
    m_device = m_openOutput ? m_openOutput(attributes) : alcOpenDevice(nullptr);
    if (m_device == nullptr)
        return ERR_OUTPUT_INIT;
    if (m_dspBufferLength > 0)
    {
        ALCint frequency = 44100;
        alcGetIntegerv(m_device, ALC_FREQUENCY, 1, &frequency);
        attributes.push_back(ALC_REFRESH);
        attributes.push_back(std::max<ALCint>(1, frequency / ALCint(m_dspBufferLength)));
    }
    attributes.push_back(0);
    m_context = alcCreateContext(m_device, attributes.data());
    if (m_context == nullptr)
    {
        CloseOutput();
        return ERR_OUTPUT_CREATEBUFFER;
    }
    alcMakeContextCurrent(m_context);
    alGetError();

    std::vector<ALuint> sources(static_cast<size_t>(maxChannels));
    alGenSources(maxChannels, sources.data());
    if (alGetError() != AL_NO_ERROR)
    {
        CloseOutput();
        return ERR_MEMORY;
    }
    m_slots.resize(sources.size());
    for (size_t i = 0; i < sources.size(); ++i)
    {
        m_slots[i].source = sources[i];
        // Channels are heard as they are, not placed in a scene.
        alSourcei(sources[i], AL_SOURCE_RELATIVE, AL_TRUE);
        alSourcef(sources[i], AL_ROLLOFF_FACTOR, 0.0f);
    }
    m_stereoAngles = alIsExtensionPresent("AL_EXT_STEREO_ANGLES") == AL_TRUE;
    m_scratch.resize(static_cast<size_t>(kStreamBufferFrames * 2));
    m_initialized = true;
    return OK;
}

void OpenALSystem::MakeCurrent()
{
    if (m_context != nullptr && alcGetCurrentContext() != m_context)
        alcMakeContextCurrent(m_context);
}

void OpenALSystem::CloseOutput()
{
    if (m_context != nullptr)
    {
        MakeCurrent();
        for (ChannelSlot& slot : m_slots)
        {
            FreeSlot(slot);
            alDeleteSources(1, &slot.source);
        }
        for (auto& entry : m_samples)
            alDeleteBuffers(1, &entry.second->buffer);
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_context);
    }
    if (m_device != nullptr)
        alcCloseDevice(m_device);
    m_slots.clear();
    m_samples.clear();
    m_pendingEnds.clear();
    m_context = nullptr;
    m_device = nullptr;
    m_initialized = false;
}

Sample* OpenALSystem::Find(Sound* sound)
{
    auto found = m_samples.find(sound);
    return found == m_samples.end() ? nullptr : found->second.get();
}

Result OpenALSystem::Update()
{
    if (!m_initialized)
        return OK;
    MakeCurrent();
    alGetError();

    std::vector<EndNotice> ended;
    ended.swap(m_pendingEnds);
    for (size_t i = 0; i < m_slots.size(); ++i)
    {
        ChannelSlot& slot = m_slots[i];
        if (!slot.inUse)
            continue;
        if (slot.file)
        {
            Refill(slot);
            if (StateOf(slot) == AL_STOPPED && !slot.endOfFile)
            {
                if (!slot.paused)
                    alSourcePlay(slot.source);
                continue;
            }
        }
        if (!HasFinished(slot))
            continue;
        if (slot.callback != nullptr)
            ended.push_back({HandleOf(i), slot.callback, slot.command});
        FreeSlot(slot);
    }
    const Result result = alGetError() == AL_NO_ERROR ? OK : ERR_UPDATE;

    // Last, from a copy: a callback may play, stop or even release everything.
    for (const EndNotice& notice : ended)
        notice.callback(notice.channel, CHANNEL_CALLBACKTYPE_END, notice.command, 0, 0);
    return result;
}

Result OpenALSystem::CreateSound(const char* fileName, Mode mode, void* extendedInfo, Sound** sound)
{
    if (sound == nullptr)
        return ERR_INVALID_PARAM;
    *sound = nullptr;
    if (fileName == nullptr || extendedInfo != nullptr || (mode & ~CREATESTREAM) != 0)
        return ERR_INVALID_PARAM;
    if (!m_initialized)
        return ERR_UNINITIALIZED;

    SoundFile file;
    Result result = file.Open(fileName);
    if (result != OK)
        return result;

    auto sample = std::make_unique<Sample>();
    sample->channels = file.Channels();
    if (mode & CREATESTREAM)
    {
        sample->stream = true;
        sample->fileName = fileName;
    }
    else
    {
        std::vector<int16_t> samples;
        result = file.ReadAll(&samples);
        if (result != OK)
            return result;
        MakeCurrent();
        alGetError();
        alGenBuffers(1, &sample->buffer);
        if ((result = TakeALError()) != OK)
            return result;
        alBufferData(sample->buffer, FormatFor(file.Channels()), samples.data(),
                     static_cast<ALsizei>(samples.size() * sizeof(int16_t)), file.SampleRate());
        if ((result = TakeALError()) != OK)
        {
            alDeleteBuffers(1, &sample->buffer);
            return result;
        }
    }
    Sound* handle = reinterpret_cast<Sound*>(sample.get());
    m_samples[handle] = std::move(sample);
    *sound = handle;
    return OK;
}

Result OpenALSystem::Release()
{
    CloseOutput();
    delete this;
    return OK;
}

Result OpenALSystem::ReleaseSound(Sound* sound)
{
    Sample* sample = Find(sound);
    if (sample == nullptr)
        return sound == nullptr ? ERR_INVALID_PARAM : ERR_INVALID_HANDLE;
    MakeCurrent();
    for (ChannelSlot& slot : m_slots)
    {
        if (slot.inUse && slot.sample == sample)
            FreeSlot(slot);
    }
    if (sample->buffer != 0)
        alDeleteBuffers(1, &sample->buffer);
    m_samples.erase(sound);
    return OK;
}

Result CreateOpenALSystem(System** system, OutputOpener openOutput)
{
    if (system == nullptr)
        return ERR_INVALID_PARAM;
    *system = new OpenALSystem(openOutput);
    return OK;
}

} // namespace openal
} // namespace sound
