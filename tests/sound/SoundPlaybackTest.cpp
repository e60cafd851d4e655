// The device over OpenAL Soft's wave writer, which mixes in real time into a WAV file read back
// once the device has shut down: what is heard, channel states and ends, the channel limit, and
// files that cannot be loaded.
#include "engine/sound/SoundDevice.h"
#include "tests/sound/SoundTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

// libsndfile 1.2 does not free the Vorbis stream information of an Ogg file whose headers are
// cut short; the tests open such files on purpose.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:vorbis_info_init\n";
}

namespace
{

constexpr int kRate = 44100;
constexpr double kClickSeconds = 0.05;
// The mixer writes exact zeros for silence; the click's quietest samples are far above this.
constexpr float kAudible = 1e-6f;
// Gaps shorter than this belong to one sound (the click fades to zero at its end).
constexpr long long kShortestGap = kRate / 50;
const std::string kInvalidHandle = "FMOD error! (36) An invalid object handle was used.\n";
LogCapture& s_log = LogCapture::Get();

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

/// Updates the device about 200 times a second for `seconds` or until `done`; true when done.
/// The device mixes in real time, so only waiting lets its sounds play.
bool UpdateFor(double seconds, const std::function<bool()>& done = nullptr)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline)
    {
        UpdateSoundDevice();
        if (done && done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

/// A run of audible frames in the interleaved stereo output.
struct Burst
{
    long long begin;
    long long end;
    float peak;
    double Seconds() const { return double(end - begin) / kRate; }
};

std::vector<Burst> Bursts(const std::vector<float>& frames)
{
    std::vector<Burst> bursts;
    for (long long i = 0; 2 * i + 1 < static_cast<long long>(frames.size()); ++i)
    {
        const float level = std::max(std::fabs(frames[2 * i]), std::fabs(frames[2 * i + 1]));
        if (level < kAudible)
            continue;
        if (bursts.empty() || i - bursts.back().end >= kShortestGap)
            bursts.push_back({i, i + 1, level});
        bursts.back().end = i + 1;
        bursts.back().peak = std::max(bursts.back().peak, level);
    }
    return bursts;
}

/// True when side `quiet` (0 left, 1 right) is below a tenth of the other from fraction `from`
/// to `to` of `burst`.
bool Panned(const std::vector<float>& frames, int quiet, const Burst& burst, double from, double to)
{
    const long long length = burst.end - burst.begin;
    double energy[2] = {0.0, 0.0};
    for (long long i = burst.begin + static_cast<long long>(from * length);
         i < burst.begin + static_cast<long long>(to * length); ++i)
    {
        for (int side : {0, 1})
            energy[side] += double(frames[2 * i + side]) * frames[2 * i + side];
    }
    return energy[1 - quiet] > 0.0 && energy[quiet] < 0.01 * energy[1 - quiet];
}

/// A started device with `manager` registered for sound ends and the click loaded both decoded
/// and streamed. No end may arrive outside Update, and every logged line must be expected.
class SoundPlaybackTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::filesystem::temp_directory_path() / "tessaly-sound-XXXXXX";
        ASSERT_NE(mkdtemp(s_dir.data()), nullptr);
        s_wavFile = s_dir + "/output.wav";
        WriteFile(s_dir + "/alsoft.conf", "[general]\nchannels = stereo\nfrequency = 44100\n"
                                          "sample-type = float32\n[wave]\nfile = " +
                                              s_wavFile + "\n");
        setenv("ALSOFT_DRIVERS", "wave", 1);
        setenv("ALSOFT_CONF", (s_dir + "/alsoft.conf").c_str(), 1);
    }

    void SetUp() override
    {
        s_log.Clear();
        device = SoundDevice::GetInstance();
        device->SetSoundCallback(&manager, &GameManager::SoundEnded);
        click = device->LoadSample(kClickFile, false);
        streamedClick = device->LoadSample(kClickFile, true);
        ASSERT_TRUE(s_log.Lines().empty()) << s_log.Lines().front();
    }

    void TearDown() override
    {
        if (device != nullptr)
            device->Shutdown();
        EXPECT_EQ(manager.endedOutsideUpdate, 0);
        EXPECT_TRUE(s_log.Lines().empty());
    }

    /// Plays `sample` once, waits until it has been heard out and checks its single end.
    void PlayToTheEnd(SAMPLE_HANDLE sample, float volume = 1.0f)
    {
        manager.ended.clear();
        SOUND_HANDLE channel = device->PlaySound(sample, volume);
        ASSERT_TRUE(UpdateFor(3.0, [&] { return !manager.ended.empty(); }));
        UpdateFor(0.1);
        EXPECT_EQ(manager.ended, std::vector<void*>{channel}) << "reported once";
    }

    /// Lets a looping channel sound for `seconds`, then stops it.
    void StopAfter(SOUND_HANDLE channel, double seconds)
    {
        UpdateFor(seconds);
        device->StopSound(channel);
        UpdateFor(0.05);
    }

    /// Closes the device, which completes the file, and reads its interleaved samples.
    std::vector<float> Finish()
    {
        device->Shutdown();
        device = nullptr;
        SF_INFO info = {};
        SNDFILE* file = sf_open(s_wavFile.c_str(), SFM_READ, &info);
        EXPECT_TRUE(file != nullptr && info.channels == 2 && info.samplerate == kRate);
        std::vector<float> frames(static_cast<size_t>(info.frames) * 2);
        sf_readf_float(file, frames.data(), info.frames);
        sf_close(file);
        return frames;
    }

    static inline std::string s_dir;
    static inline std::string s_wavFile;
    SoundDevice* device = nullptr;
    RecordingGameManager manager;
    SAMPLE_HANDLE click = nullptr;
    SAMPLE_HANDLE streamedClick = nullptr;
};

TEST_F(SoundPlaybackTest, ClickIsHeardOnceForItsLengthAndScaledByItsVolume)
{
    PlayToTheEnd(click);
    PlayToTheEnd(click, 0.5f);
    PlayToTheEnd(streamedClick);
    const std::vector<Burst> bursts = Bursts(Finish());

    ASSERT_EQ(bursts.size(), 3u);
    for (const Burst& burst : bursts)
        EXPECT_NEAR(burst.Seconds(), kClickSeconds, 0.0005);
    EXPECT_GT(bursts[0].peak, 0.3f);
    EXPECT_NEAR(bursts[1].peak / bursts[0].peak, 0.5f, 0.05f);
    EXPECT_NEAR(bursts[2].peak / bursts[0].peak, 1.0f, 0.05f) << "streamed as loud as decoded";
}

TEST_F(SoundPlaybackTest, LoopsSoundOnPauseSilentlyEndWhenStoppedAndStreamsRecoverFromRunningDry)
{
    SOUND_HANDLE looping = device->PlaySound(click, 1.0f, true);
    UpdateFor(0.3);
    device->PauseSound(looping, true);
    EXPECT_TRUE(device->IsPaused(looping));
    UpdateFor(0.4);
    EXPECT_TRUE(device->IsPlaying(looping)) << "a paused channel has not finished";
    device->PauseSound(looping, false);
    EXPECT_FALSE(device->IsPaused(looping));
    UpdateFor(0.3);
    EXPECT_TRUE(manager.ended.empty());

    // Stopping ends the channel at once; the game manager hears of it at the next update.
    device->StopSound(looping);
    EXPECT_TRUE(manager.ended.empty());
    UpdateSoundDevice();
    EXPECT_EQ(manager.ended, std::vector<void*>{looping});
    // The ended channel is gone: asking about it answers false and logs the library's error.
    EXPECT_FALSE(device->IsPlaying(looping));
    EXPECT_FALSE(device->IsPaused(looping));
    device->SetVolume(looping, 1.0f);
    EXPECT_EQ(s_log.Lines(), StringList(3, kInvalidHandle));
    s_log.Clear();
    UpdateFor(0.3);

    // A frame longer than the queued stream buffers (about 0.75 s): the stream runs dry.
    SOUND_HANDLE stream = device->PlaySound(streamedClick, 1.0f, true);
    UpdateFor(0.1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    StopAfter(stream, 0.3);
    EXPECT_EQ(manager.ended, (std::vector<void*>{looping, stream})) << "ended by the stop only";
    const std::vector<Burst> bursts = Bursts(Finish());

    // Clicks back to back make one sound on each side of the pause and of the long frame.
    // Timings are loose: the writer may mix a few periods late on a busy machine.
    ASSERT_EQ(bursts.size(), 4u);
    EXPECT_GT(bursts[0].Seconds(), 3 * kClickSeconds);
    EXPECT_GT(bursts[1].Seconds(), 3 * kClickSeconds);
    EXPECT_GT(double(bursts[1].begin - bursts[0].end) / kRate, 0.25) << "silent while paused";
    EXPECT_GT(bursts[2].Seconds(), 0.4) << "the 50 ms file goes round until the queue runs out";
    EXPECT_GT(bursts[3].Seconds(), 0.2) << "sounding again after the long frame";
}

TEST_F(SoundPlaybackTest, PanTurnsMonoAndStereoSoundsToEitherSideWhilePlaying)
{
    // 0.1 s of a 500 Hz tone on both channels.
    const std::string stereoFile = s_dir + "/stereo.wav";
    SF_INFO info = {0, kRate, 2, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
    SNDFILE* file = sf_open(stereoFile.c_str(), SFM_WRITE, &info);
    std::vector<float> tone;
    for (int i = 0; i < kRate / 10; ++i)
        tone.insert(tone.end(), 2, 0.5f * std::sin(2.0f * 3.14159265f * 500.0f * i / kRate));
    sf_writef_float(file, tone.data(), kRate / 10);
    sf_close(file);

    SOUND_HANDLE channel = device->PlaySound(click, 1.0f, true);
    device->SetPan(channel, -1.0f);
    UpdateFor(0.3);
    device->SetPan(channel, 1.0f);
    StopAfter(channel, 0.3);
    UpdateFor(0.3);
    channel = device->PlaySound(device->LoadSample(stereoFile.c_str(), false), 1.0f, true);
    device->SetPan(channel, 1.0f);
    StopAfter(channel, 0.3);
    const std::vector<float> frames = Finish();
    const std::vector<Burst> bursts = Bursts(frames);
    ASSERT_EQ(bursts.size(), 2u);

    // Each side in the middle of each half of the mono click, away from the change.
    EXPECT_TRUE(Panned(frames, 1, bursts[0], 0.1, 0.4)) << "mono on the left";
    EXPECT_TRUE(Panned(frames, 0, bursts[0], 0.6, 0.9)) << "mono on the right";
    EXPECT_TRUE(Panned(frames, 0, bursts[1], 0.25, 0.75)) << "stereo on the right";
}

TEST_F(SoundPlaybackTest, AHundredChannelsPlayAtOnceAndEndQuietlyAtShutdown)
{
    std::vector<SOUND_HANDLE> channels;
    for (int i = 0; i < 100; ++i)
        channels.push_back(device->PlaySound(i % 2 ? click : streamedClick, 0.01f, true));
    EXPECT_EQ(std::count(channels.begin(), channels.end(), nullptr), 0);
    EXPECT_EQ(device->PlaySound(click), nullptr);
    EXPECT_EQ(s_log.Lines(), StringList{"FMOD error! (10) Error trying to allocate a channel.\n"});
    s_log.Clear();

    device->StopSound(channels[42]);
    SOUND_HANDLE reused = device->PlaySound(click, 0.01f, true);
    ASSERT_NE(reused, nullptr);
    EXPECT_EQ(std::count(channels.begin(), channels.end(), reused), 0)
        << "a reused channel has a new handle";
    EXPECT_TRUE(device->IsPlaying(channels[41]));

    device->Shutdown();
    device = nullptr;
    EXPECT_TRUE(manager.ended.empty()) << "sounds still playing at shut-down end quietly";
}

TEST_F(SoundPlaybackTest, BadFilesAndNullHandlesAreLoggedOrIgnoredWithoutEffect)
{
    std::ostringstream content;
    content << std::ifstream(kClickFile, std::ios::binary).rdbuf();
    const std::string clickBytes = content.str();
    ASSERT_GT(clickBytes.size(), 3600u);
    WriteFile(s_dir + "/notes.ogg", "These are not the sounds you are looking for.\n");
    // The Vorbis set-up header ends near byte 3400; the audio pages follow.
    WriteFile(s_dir + "/headers.ogg", clickBytes.substr(0, 1000));
    WriteFile(s_dir + "/audio.ogg", clickBytes.substr(0, clickBytes.size() - 200));
    const std::string loadError = "FMOD error! (19) Error loading file.\n";
    const StringList expected = {
        "FMOD error! (23) File not found.\n",
        "FMOD error! (25) Unsupported file or audio format.\n",
        loadError,
        "FMOD error! (22) End of file unexpectedly reached while trying to read essential data "
        "(truncated data?).\n",
        loadError,
    };
    for (bool isStream : {false, true})
    {
        SCOPED_TRACE(isStream ? "streamed" : "decoded");
        s_log.Clear();
        for (const char* name : {"/missing.ogg", "/notes.ogg", "/headers.ogg", "/audio.ogg", ""})
            EXPECT_EQ(device->LoadSample((s_dir + name).c_str(), isStream), nullptr) << name;
        EXPECT_EQ(s_log.Lines(), expected);
    }

    // The library refuses a null sample or file name; null channels are never passed to it.
    s_log.Clear();
    EXPECT_EQ(device->PlaySound(nullptr), nullptr);
    EXPECT_EQ(device->LoadSample(nullptr, false), nullptr);
    device->StopSound(nullptr);
    device->PauseSound(nullptr, true);
    device->SetVolume(nullptr, 0.5f);
    device->SetPan(nullptr, 1.0f);
    EXPECT_FALSE(device->IsPlaying(nullptr));
    EXPECT_FALSE(device->IsPaused(nullptr));
    EXPECT_EQ(
        s_log.Lines(),
        StringList(2, "FMOD error! (37) An invalid parameter was passed to this function.\n"));

    // A stream reads its file when it starts: one that has vanished does not start.
    s_log.Clear();
    WriteFile(s_dir + "/click.ogg", clickBytes);
    SAMPLE_HANDLE stream = device->LoadSample((s_dir + "/click.ogg").c_str(), true);
    std::remove((s_dir + "/click.ogg").c_str());
    EXPECT_EQ(device->PlaySound(stream), nullptr);
    EXPECT_EQ(s_log.Lines(), StringList{"FMOD error! (23) File not found.\n"});
    s_log.Clear();
}

} // namespace
