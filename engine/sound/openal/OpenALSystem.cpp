// The engine's sound interface (engine/sound/SoundSystem.h), which imitates the system, sound and
// channel calls of FMOD Ex 4.x that the engine uses, over OpenAL Soft 1.19 for output and
// libsndfile 1.2 for decoding.
//
// Known differences from the imitated library:
// - Output is OpenAL Soft's default device, chosen by OpenAL Soft's own configuration
//   (alsoft.conf, ALSOFT_CONF, ALSOFT_DRIVERS). Driver 0 reports no capability bits and a
//   stereo speaker mode; the speaker mode set is kept, but OpenAL Soft takes its channel layout
//   from its configuration.
// - SetDSPBufferSize sets OpenAL Soft's mixing period (ALC_REFRESH); the buffer count is not
//   applied.
// - Init fails with ERR_OUTPUT_INIT when no device opens and with ERR_OUTPUT_CREATEBUFFER when
//   the device refuses a context; both leave the system uninitialised so Init may be retried.
// - Update on a system that is not initialised has nothing to do and succeeds, so a machine
//   without sound output does not report an error every frame.
// - Only CHANNEL_FREE is accepted. When every channel is busy PlaySound fails with
//   ERR_CHANNEL_ALLOC instead of taking a busy channel over.
// - Sounds are mono or stereo; more channels fail with ERR_FORMAT. A file cut short fails with
//   ERR_FILE_EOF instead of playing what is left.
// - Each channel playing a stream reads the file on its own, so one stream may play on several
//   channels at once.
// - End callbacks, also those of stopped channels, are delivered in Update only.
// - The pan of a stereo sound turns both of its channels towards one side.
// - The version reported is that of the imitated interface, 4.16.00.

#include "engine/sound/openal/OpenALSystem.h"

#include "engine/sound/openal/SoundFile.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sound
{
namespace openal
{
namespace
{

constexpr unsigned int kVersion = 0x00041600;
constexpr int kMaxChannels = 4095;
constexpr unsigned int kIndexBits = 12;
constexpr uintptr_t kIndexMask = (uintptr_t(1) << kIndexBits) - 1;
constexpr int kStreamBuffers = 4;
constexpr long long kStreamBufferFrames = 8192;
constexpr float kPi = 3.14159265358979f;
// AL_EXT_STEREO_ANGLES: counter-clockwise radians, left channel first.
constexpr float kStereoLeftAngle = kPi / 6.0f;
constexpr float kStereoRightAngle = -kPi / 6.0f;

struct Sample
{
    bool stream = false;
    std::string fileName;
    ALuint buffer = 0;
    int channels = 1;
};

struct ChannelSlot
{
    ALuint source = 0;
    bool inUse = false;
    uintptr_t generation = 0;
    Sample* sample = nullptr;
    bool paused = false;
    bool looping = false;
    ChannelCallback callback = nullptr;
    int command = 0;

    // Streams only.
    std::unique_ptr<SoundFile> file;
    std::vector<ALuint> streamBuffers;
    std::vector<ALuint> freeBuffers;
    bool endOfFile = false;
};

struct EndNotice
{
    Channel* channel;
    ChannelCallback callback;
    int command;
};

ALenum FormatFor(int channels)
{
    return channels == 2 ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16;
}

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

class OpenALSystem : public System
{
public:
    Result GetVersion(unsigned int* version) override;
    Result GetDriverCaps(int driver, Caps* caps, SpeakerMode* speakerMode) override;
    Result SetSpeakerMode(SpeakerMode speakerMode) override;
    Result SetDSPBufferSize(unsigned int bufferLength, int numBuffers) override;
    Result Init(int maxChannels, InitFlags flags, void* extraDriverData) override;
    Result Update() override;
    Result CreateSound(const char* fileName, Mode mode, void* extendedInfo, Sound** sound) override;
    Result PlaySound(int channelIndex, Sound* sound, bool paused, Channel** channel) override;
    Result Release() override;
    Result ReleaseSound(Sound* sound) override;

    Result SetChannelVolume(Channel* channel, float volume) override;
    Result SetChannelPan(Channel* channel, float pan) override;
    Result SetChannelPaused(Channel* channel, bool paused) override;
    Result GetChannelPaused(Channel* channel, bool* paused) override;
    Result IsChannelPlaying(Channel* channel, bool* playing) override;
    Result StopChannel(Channel* channel) override;
    Result SetChannelMode(Channel* channel, Mode mode) override;
    Result SetChannelCallback(Channel* channel, ChannelCallbackType type, ChannelCallback callback,
                              int command) override;

private:
    ~OpenALSystem() override = default;

    void MakeCurrent();
    void CloseOutput();
    Channel* HandleOf(size_t index) const;
    ChannelSlot* Find(Channel* channel);
    Sample* Find(Sound* sound);
    ALint StateOf(const ChannelSlot& slot) const;
    bool HasFinished(const ChannelSlot& slot) const;
    void FreeSlot(ChannelSlot& slot);
    Result StartStream(ChannelSlot& slot);
    void Refill(ChannelSlot& slot);
    long long FillChunk(ChannelSlot& slot);

    bool m_initialized = false;
    SpeakerMode m_speakerMode = SPEAKERMODE_STEREO;
    unsigned int m_dspBufferLength = 0;
    ALCdevice* m_device = nullptr;
    ALCcontext* m_context = nullptr;
    bool m_stereoAngles = false;
    std::vector<ChannelSlot> m_slots;
    std::map<Sound*, std::unique_ptr<Sample>> m_samples;
    std::vector<EndNotice> m_pendingEnds;
    std::vector<int16_t> m_scratch;
};

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

    m_device = alcOpenDevice(nullptr);
    if (m_device == nullptr)
        return ERR_OUTPUT_INIT;

    std::vector<ALCint> attributes;
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

Channel* OpenALSystem::HandleOf(size_t index) const
{
    // Index and reuse count in one word: a handle of a retired channel never matches again.
    const uintptr_t value = (m_slots[index].generation << kIndexBits) | (index + 1);
    return reinterpret_cast<Channel*>(value);
}

ChannelSlot* OpenALSystem::Find(Channel* channel)
{
    const uintptr_t value = reinterpret_cast<uintptr_t>(channel);
    const uintptr_t index = (value & kIndexMask);
    if (index == 0 || index > m_slots.size())
        return nullptr;
    ChannelSlot& slot = m_slots[index - 1];
    if (!slot.inUse || HandleOf(index - 1) != channel)
        return nullptr;
    MakeCurrent();
    return &slot;
}

Sample* OpenALSystem::Find(Sound* sound)
{
    auto found = m_samples.find(sound);
    return found == m_samples.end() ? nullptr : found->second.get();
}

ALint OpenALSystem::StateOf(const ChannelSlot& slot) const
{
    ALint state = AL_STOPPED;
    alGetSourcei(slot.source, AL_SOURCE_STATE, &state);
    return state;
}

bool OpenALSystem::HasFinished(const ChannelSlot& slot) const
{
    // A stream that ran dry before its end is only waiting for the next refill.
    return StateOf(slot) == AL_STOPPED && (!slot.file || slot.endOfFile);
}

void OpenALSystem::FreeSlot(ChannelSlot& slot)
{
    if (!slot.inUse)
        return;
    alSourceStop(slot.source);
    alSourcei(slot.source, AL_BUFFER, 0);
    if (!slot.streamBuffers.empty())
        alDeleteBuffers(static_cast<ALsizei>(slot.streamBuffers.size()), slot.streamBuffers.data());
    slot.streamBuffers.clear();
    slot.freeBuffers.clear();
    slot.file.reset();
    slot.inUse = false;
    slot.sample = nullptr;
    slot.callback = nullptr;
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

Result OpenALSystem::PlaySound(int channelIndex, Sound* sound, bool paused, Channel** channel)
{
    if (channel == nullptr)
        return ERR_INVALID_PARAM;
    *channel = nullptr;
    if (!m_initialized)
        return ERR_UNINITIALIZED;
    if (channelIndex != CHANNEL_FREE || sound == nullptr)
        return ERR_INVALID_PARAM;
    Sample* sample = Find(sound);
    if (sample == nullptr)
        return ERR_INVALID_HANDLE;
    auto freeSlot = std::find_if(m_slots.begin(), m_slots.end(),
                                 [](const ChannelSlot& slot) { return !slot.inUse; });
    if (freeSlot == m_slots.end())
        return ERR_CHANNEL_ALLOC;

    MakeCurrent();
    alGetError();
    ChannelSlot& slot = *freeSlot;
    slot.inUse = true;
    slot.generation++;
    slot.sample = sample;
    slot.paused = paused;
    slot.looping = false;
    slot.callback = nullptr;
    slot.command = 0;
    slot.endOfFile = false;
    // A used source is left stopped; a new channel starts from the initial state.
    alSourceRewind(slot.source);
    alSourcef(slot.source, AL_GAIN, 1.0f);
    alSource3f(slot.source, AL_POSITION, 0.0f, 0.0f, -1.0f);
    alSourcei(slot.source, AL_LOOPING, AL_FALSE);
    if (m_stereoAngles)
    {
        const ALfloat angles[2] = {kStereoLeftAngle, kStereoRightAngle};
        alSourcefv(slot.source, AL_STEREO_ANGLES, angles);
    }

    Result result = OK;
    if (sample->stream)
        result = StartStream(slot);
    else
        alSourcei(slot.source, AL_BUFFER, static_cast<ALint>(sample->buffer));
    if (result == OK && !paused)
        alSourcePlay(slot.source);
    if (result == OK)
        result = TakeALError();
    if (result != OK)
    {
        FreeSlot(slot);
        return result;
    }
    *channel = HandleOf(static_cast<size_t>(freeSlot - m_slots.begin()));
    return OK;
}

Result OpenALSystem::StartStream(ChannelSlot& slot)
{
    auto file = std::make_unique<SoundFile>();
    const Result result = file->Open(slot.sample->fileName.c_str());
    if (result != OK)
        return result;
    slot.file = std::move(file);
    slot.streamBuffers.assign(kStreamBuffers, 0);
    alGenBuffers(kStreamBuffers, slot.streamBuffers.data());
    if (alGetError() != AL_NO_ERROR)
    {
        slot.streamBuffers.clear();
        return ERR_MEMORY;
    }
    slot.freeBuffers = slot.streamBuffers;
    Refill(slot);
    return OK;
}

void OpenALSystem::Refill(ChannelSlot& slot)
{
    ALint processed = 0;
    alGetSourcei(slot.source, AL_BUFFERS_PROCESSED, &processed);
    while (processed-- > 0)
    {
        ALuint buffer = 0;
        alSourceUnqueueBuffers(slot.source, 1, &buffer);
        slot.freeBuffers.push_back(buffer);
    }
    while (!slot.freeBuffers.empty() && !slot.endOfFile)
    {
        const long long frames = FillChunk(slot);
        if (frames == 0)
            break;
        const ALuint buffer = slot.freeBuffers.back();
        const int channels = slot.file->Channels();
        alBufferData(buffer, FormatFor(channels), m_scratch.data(),
                     static_cast<ALsizei>(frames * channels * ALsizei(sizeof(int16_t))),
                     slot.file->SampleRate());
        alSourceQueueBuffers(slot.source, 1, &buffer);
        slot.freeBuffers.pop_back();
    }
}

long long OpenALSystem::FillChunk(ChannelSlot& slot)
{
    const int channels = slot.file->Channels();
    long long filled = 0;
    bool rewound = false;
    while (filled < kStreamBufferFrames)
    {
        const long long read =
            slot.file->Read(m_scratch.data() + filled * channels, kStreamBufferFrames - filled);
        filled += read;
        if (filled == kStreamBufferFrames)
            break;
        // At the end of the file: go round again when looping, unless the file is empty.
        if ((read == 0 && rewound) || !slot.looping || !slot.file->Rewind())
        {
            slot.endOfFile = true;
            break;
        }
        rewound = true;
    }
    return filled;
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

Result OpenALSystem::SetChannelVolume(Channel* channel, float volume)
{
    ChannelSlot* slot = Find(channel);
    if (slot == nullptr)
        return ERR_INVALID_HANDLE;
    if (!std::isfinite(volume))
        return ERR_INVALID_FLOAT;
    alSourcef(slot->source, AL_GAIN, std::clamp(volume, 0.0f, 1.0f));
    return OK;
}

Result OpenALSystem::SetChannelPan(Channel* channel, float pan)
{
    ChannelSlot* slot = Find(channel);
    if (slot == nullptr)
        return ERR_INVALID_HANDLE;
    if (!std::isfinite(pan))
        return ERR_INVALID_FLOAT;
    pan = std::clamp(pan, -1.0f, 1.0f);
    if (slot->sample->channels == 1)
    {
        // On a half circle in front of the listener: (pan, 0, 0) would put any pan at one side.
        alSource3f(slot->source, AL_POSITION, pan, 0.0f, -std::sqrt(1.0f - pan * pan));
    }
    else if (m_stereoAngles)
    {
        const float side = pan < 0.0f ? kPi / 2.0f : -kPi / 2.0f;
        const float amount = std::fabs(pan);
        const ALfloat angles[2] = {kStereoLeftAngle + (side - kStereoLeftAngle) * amount,
                                   kStereoRightAngle + (side - kStereoRightAngle) * amount};
        alSourcefv(slot->source, AL_STEREO_ANGLES, angles);
    }
    return OK;
}

Result OpenALSystem::SetChannelPaused(Channel* channel, bool paused)
{
    ChannelSlot* slot = Find(channel);
    if (slot == nullptr)
        return ERR_INVALID_HANDLE;
    slot->paused = paused;
    const ALint state = StateOf(*slot);
    if (paused)
    {
        if (state == AL_PLAYING)
            alSourcePause(slot->source);
    }
    else if (state == AL_PAUSED || state == AL_INITIAL ||
             (state == AL_STOPPED && slot->file && !slot->endOfFile))
    {
        // A finished sound is not started again; a stream that ran dry while paused is.
        alSourcePlay(slot->source);
    }
    return OK;
}

Result OpenALSystem::GetChannelPaused(Channel* channel, bool* paused)
{
    ChannelSlot* slot = Find(channel);
    if (slot == nullptr)
        return ERR_INVALID_HANDLE;
    if (paused == nullptr)
        return ERR_INVALID_PARAM;
    *paused = slot->paused;
    return OK;
}

Result OpenALSystem::IsChannelPlaying(Channel* channel, bool* playing)
{
    ChannelSlot* slot = Find(channel);
    if (slot == nullptr)
        return ERR_INVALID_HANDLE;
    if (playing == nullptr)
        return ERR_INVALID_PARAM;
    *playing = !HasFinished(*slot);
    return OK;
}

Result OpenALSystem::StopChannel(Channel* channel)
{
    ChannelSlot* slot = Find(channel);
    if (slot == nullptr)
        return ERR_INVALID_HANDLE;
    if (slot->callback != nullptr)
        m_pendingEnds.push_back({channel, slot->callback, slot->command});
    FreeSlot(*slot);
    return OK;
}

Result OpenALSystem::SetChannelMode(Channel* channel, Mode mode)
{
    ChannelSlot* slot = Find(channel);
    if (slot == nullptr)
        return ERR_INVALID_HANDLE;
    const Mode loop = mode & (LOOP_OFF | LOOP_NORMAL);
    if (mode != loop || loop == (LOOP_OFF | LOOP_NORMAL))
        return ERR_INVALID_PARAM;
    if (loop == 0)
        return OK;
    slot->looping = loop == LOOP_NORMAL;
    if (!slot->file)
    {
        alSourcei(slot->source, AL_LOOPING, slot->looping ? AL_TRUE : AL_FALSE);
    }
    else if (slot->looping && slot->endOfFile && slot->file->Rewind())
    {
        // The whole file may already be queued: carry on from its start.
        slot->endOfFile = false;
        Refill(*slot);
    }
    return OK;
}

Result OpenALSystem::SetChannelCallback(Channel* channel, ChannelCallbackType type,
                                        ChannelCallback callback, int command)
{
    ChannelSlot* slot = Find(channel);
    if (slot == nullptr)
        return ERR_INVALID_HANDLE;
    if (type != CHANNEL_CALLBACKTYPE_END)
        return ERR_INVALID_PARAM;
    slot->callback = callback;
    slot->command = command;
    return OK;
}

} // namespace

Result CreateOpenALSystem(System** system)
{
    if (system == nullptr)
        return ERR_INVALID_PARAM;
    *system = new OpenALSystem();
    return OK;
}

} // namespace openal
} // namespace sound
