#include "engine/sound/openal/OpenALSystem.h"

#include "engine/sound/openal/SoundFile.h"
#include "engine/util/MathUtil.h"

#include <AL/alext.h>

#include <algorithm>
#include <cmath>

namespace sound
{
namespace openal
{
namespace
{

constexpr unsigned int kIndexBits = 12;
constexpr uintptr_t kIndexMask = (uintptr_t(1) << kIndexBits) - 1;
constexpr int kStreamBuffers = 4;
// AL_EXT_STEREO_ANGLES: counter-clockwise radians, left channel first.
constexpr float kStereoLeftAngle = static_cast<float>(MathUtil::PrecisePi / 6.0);
constexpr float kStereoRightAngle = -kStereoLeftAngle;
constexpr float kQuarterTurn = static_cast<float>(MathUtil::PrecisePi / 2.0);

} // namespace

ChannelSlot::ChannelSlot() = default;
ChannelSlot::~ChannelSlot() = default;
ChannelSlot::ChannelSlot(ChannelSlot&&) noexcept = default;

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
        const float side = pan < 0.0f ? kQuarterTurn : -kQuarterTurn;
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

} // namespace openal
} // namespace sound
