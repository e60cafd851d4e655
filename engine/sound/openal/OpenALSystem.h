#pragma once

// The engine's sound interface (engine/sound/SoundSystem.h), which imitates the system, sound and
// channel calls of FMOD Ex 4.x that the engine uses, over OpenAL Soft 1.19 for output and
// libsndfile 1.2 for decoding.
//
// Known differences from the imitated library:
// - Output is OpenAL Soft's default device, chosen by OpenAL Soft's own configuration
//   (alsoft.conf, ALSOFT_CONF, ALSOFT_DRIVERS), unless the creator opens another (tests use a
//   loopback device). Driver 0 reports no capability bits and a stereo speaker mode; the
//   speaker mode set is kept, but OpenAL Soft takes its channel layout from its configuration.
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

#include "engine/sound/openal/OpenALBackend.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace sound
{
namespace openal
{

class SoundFile;

/// A loaded sound: an OpenAL buffer, or for a stream the file to read while playing.
struct Sample
{
    bool stream = false;
    std::string fileName;
    ALuint buffer = 0;
    int channels = 1;
};

/// One of the system's channels: an OpenAL source and what plays on it.
struct ChannelSlot
{
    ChannelSlot();
    ~ChannelSlot();
    ChannelSlot(ChannelSlot&&) noexcept;

    ALuint source = 0;
    bool inUse = false;
    /// Counts the sounds started here, so a handle of an earlier one never matches again.
    uintptr_t generation = 0;
    Sample* sample = nullptr;
    bool paused = false;
    bool looping = false;
    ChannelCallback callback = nullptr;
    int command = 0;

    // Streams only: the file being read and the buffers it is queued in.
    std::unique_ptr<SoundFile> file;
    std::vector<ALuint> streamBuffers;
    std::vector<ALuint> freeBuffers;
    bool endOfFile = false;
};

class OpenALSystem : public System
{
public:
    explicit OpenALSystem(OutputOpener openOutput) : m_openOutput(openOutput) {}

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
    struct EndNotice
    {
        Channel* channel;
        ChannelCallback callback;
        int command;
    };

    ~OpenALSystem() override = default;

    void MakeCurrent();
    void CloseOutput();
    Sample* Find(Sound* sound);

    // Channels and streams (OpenALChannels.cpp).
    Channel* HandleOf(size_t index) const;
    ChannelSlot* Find(Channel* channel);
    ALint StateOf(const ChannelSlot& slot) const;
    bool HasFinished(const ChannelSlot& slot) const;
    void FreeSlot(ChannelSlot& slot);
    Result StartStream(ChannelSlot& slot);
    void Refill(ChannelSlot& slot);
    long long FillChunk(ChannelSlot& slot);

    OutputOpener m_openOutput;
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

/// Interleaved 16-bit frames of one stream buffer.
constexpr long long kStreamBufferFrames = 8192;

/// The OpenAL error raised since the last check, as a result code.
Result TakeALError();
ALenum FormatFor(int channels);

} // namespace openal
} // namespace sound
