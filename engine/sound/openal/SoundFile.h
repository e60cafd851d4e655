#pragma once

#include "engine/sound/SoundSystem.h"

#include <cstdint>
#include <vector>

struct sf_private_tag;

namespace sound
{
namespace openal
{

/// An audio file read through libsndfile as interleaved 16-bit frames, mono or stereo.
class SoundFile
{
public:
    /// Room for a decoded sound: larger files must be streamed.
    static constexpr long long kMaxDecodedBytes = 512LL * 1024 * 1024;

    SoundFile() = default;
    ~SoundFile();
    SoundFile(const SoundFile&) = delete;
    SoundFile& operator=(const SoundFile&) = delete;

    /// Opens and checks the file: ERR_FILE_NOTFOUND (also for anything but a regular file),
    /// ERR_FORMAT (not audio, or more than two channels), ERR_FILE_BAD (unreadable, beyond
    /// kMaxMediaFileBytes, or damaged headers) or ERR_FILE_EOF (cut short, so its length is
    /// unknown).
    Result Open(const char* fileName);

    /// Reads up to `frames` frames into `out`; fewer only at the end of the file.
    long long Read(int16_t* out, long long frames);
    /// Back to the first frame; false when the file cannot seek.
    bool Rewind();
    /// Decodes every frame; ERR_FILE_EOF when fewer frames arrive than the header promised,
    /// ERR_MEMORY when the sound is too large to hold or the memory left cannot hold it.
    Result ReadAll(std::vector<int16_t>* samples);

    int Channels() const { return m_channels; }
    int SampleRate() const { return m_sampleRate; }

private:
    void Close();

    sf_private_tag* m_file = nullptr;
    int m_fd = -1;
    int m_channels = 0;
    int m_sampleRate = 0;
    long long m_frames = 0;
};

} // namespace openal
} // namespace sound
