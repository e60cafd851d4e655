#include "engine/sound/openal/SoundFile.h"

#include "engine/util/DataFile.h"

#include <new>

#include <sndfile.h>
#include <unistd.h>

namespace sound
{
namespace openal
{

SoundFile::~SoundFile()
{
    Close();
}

void SoundFile::Close()
{
    if (m_file != nullptr)
        sf_close(m_file);
    m_file = nullptr;
    if (m_fd >= 0)
        close(m_fd);
    m_fd = -1;
}

Result SoundFile::Open(const char* fileName)
{
    Close();
    if (fileName == nullptr)
        return ERR_INVALID_PARAM;

    // libsndfile would open a pipe or device by name and wait or read for ever; it gets a
    // descriptor of a regular file instead, and a missing file is told from a damaged one.
    DataFile found;
    const int fd = OpenDataFile(fileName, kMaxMediaFileBytes, found);
    if (fd < 0)
        return found.status == DataFile::Status::Missing ? ERR_FILE_NOTFOUND : ERR_FILE_BAD;

    SF_INFO info = {};
    // The descriptor stays this object's: whether libsndfile closes it on failure is its own
    // affair otherwise.
    m_file = sf_open_fd(fd, SFM_READ, &info, SF_FALSE);
    m_fd = fd;
    if (m_file == nullptr)
    {
        Close();
        switch (sf_error(nullptr))
        {
        case SF_ERR_UNRECOGNISED_FORMAT:
        case SF_ERR_UNSUPPORTED_ENCODING:
            return ERR_FORMAT;
        default:
            return ERR_FILE_BAD;
        }
    }

    Result result = OK;
    if (info.channels < 1 || info.channels > 2 || info.samplerate <= 0)
        result = ERR_FORMAT;
    // An Ogg file cut short has no last page to take its length from.
    else if (info.frames < 0 || info.frames == SF_COUNT_MAX)
        result = ERR_FILE_EOF;
    if (result != OK)
    {
        Close();
        return result;
    }
    m_channels = info.channels;
    m_sampleRate = info.samplerate;
    m_frames = info.frames;
    return OK;
}

long long SoundFile::Read(int16_t* out, long long frames)
{
    if (m_file == nullptr || frames <= 0)
        return 0;
    const sf_count_t read = sf_readf_short(m_file, out, frames);
    return read > 0 ? read : 0;
}

bool SoundFile::Rewind()
{
    return m_file != nullptr && sf_seek(m_file, 0, SEEK_SET) == 0;
}

Result SoundFile::ReadAll(std::vector<int16_t>* samples)
{
    if (m_file == nullptr)
        return ERR_FILE_BAD;
    if (m_frames > kMaxDecodedBytes / static_cast<long long>(sizeof(int16_t) * m_channels))
        return ERR_MEMORY;
    try
    {
        samples->assign(static_cast<size_t>(m_frames * m_channels), 0);
    }
    catch (const std::bad_alloc&)
    {
        // Within the cap, yet more than the memory left to the program (a service's limit).
        return ERR_MEMORY;
    }
    const long long read = Read(samples->data(), m_frames);
    if (read != m_frames || sf_error(m_file) != SF_ERR_NO_ERROR)
    {
        samples->clear();
        return ERR_FILE_EOF;
    }
    return OK;
}

} // namespace openal
} // namespace sound
