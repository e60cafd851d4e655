// What is heard: OpenAL Soft's wave writer mixes the device's output in real time into a WAV
// file, which is read back once the device has shut down.
#include "engine/sound/SoundDevice.h"
#include "tests/sound/SoundTestSupport.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

namespace
{

constexpr int kRate = 44100;
constexpr double kClickSeconds = 0.05;
// The mixer writes exact zeros for silence; the click's quietest samples are far above this.
constexpr float kAudible = 1e-6f;
// Gaps shorter than this belong to one sound (the click fades to zero at its end).
constexpr double kShortestGap = 0.02;

struct Burst
{
    long long begin; // first audible frame
    long long end;   // one past the last audible frame
    float peak;
    double Seconds() const { return double(end - begin) / kRate; }
};

struct Recording
{
    std::vector<float> left;
    std::vector<float> right;

    std::vector<Burst> Bursts() const
    {
        std::vector<Burst> bursts;
        const long long gap = static_cast<long long>(kShortestGap * kRate);
        for (size_t i = 0; i < left.size(); ++i)
        {
            const float level = std::max(std::fabs(left[i]), std::fabs(right[i]));
            if (level < kAudible)
                continue;
            const long long frame = static_cast<long long>(i);
            if (bursts.empty() || frame - bursts.back().end >= gap)
                bursts.push_back({frame, frame + 1, level});
            bursts.back().end = frame + 1;
            bursts.back().peak = std::max(bursts.back().peak, level);
        }
        return bursts;
    }

    static double Rms(const std::vector<float>& channel, long long begin, long long end)
    {
        double sum = 0.0;
        for (long long i = begin; i < end; ++i)
            sum += double(channel[i]) * channel[i];
        return std::sqrt(sum / double(std::max(1LL, end - begin)));
    }
};

class SoundOutputTest : public StartedSoundDevice
{
protected:
    static void SetUpTestSuite()
    {
        const std::string dir = MakeTempDir();
        s_wavFile = dir + "/output.wav";
        const std::string config = dir + "/alsoft.conf";
        WriteFile(config, "[general]\ndrivers = wave\nchannels = stereo\nfrequency = 44100\n"
                          "sample-type = float32\n[wave]\nfile = " +
                              s_wavFile + "\n");
        UseOpenALDrivers("wave", config.c_str());
    }

    void TearDown() override
    {
        StartedSoundDevice::TearDown();
        EXPECT_TRUE(Log().empty());
    }

    /// Plays `sample` once and waits until it has been heard out.
    void PlayToTheEnd(SAMPLE_HANDLE sample, float volume = 1.0f)
    {
        const size_t ended = manager.ended.size();
        ASSERT_NE(device->PlaySound(sample, volume), nullptr);
        ASSERT_TRUE(UpdateUntil([&] { return manager.ended.size() > ended; }, 3.0));
        UpdateFor(0.1);
    }

    /// Lets a looping channel sound for `seconds`, then stops it.
    void StopAfter(SOUND_HANDLE channel, double seconds)
    {
        UpdateFor(seconds);
        device->StopSound(channel);
        UpdateFor(0.05);
    }

    /// Closes the device, which completes the file, and reads it.
    Recording Finish()
    {
        device->Shutdown();
        device = nullptr;
        Recording recording;
        SF_INFO info = {};
        SNDFILE* file = sf_open(s_wavFile.c_str(), SFM_READ, &info);
        EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
        if (file == nullptr)
            return recording;
        EXPECT_EQ(info.channels, 2);
        EXPECT_EQ(info.samplerate, kRate);
        std::vector<float> frames(static_cast<size_t>(info.frames) * 2);
        sf_readf_float(file, frames.data(), info.frames);
        sf_close(file);
        for (size_t i = 0; i + 1 < frames.size(); i += 2)
        {
            recording.left.push_back(frames[i]);
            recording.right.push_back(frames[i + 1]);
        }
        return recording;
    }

    static std::string s_wavFile;
};

std::string SoundOutputTest::s_wavFile;

void ExpectClickLength(const Burst& burst)
{
    EXPECT_NEAR(burst.Seconds(), kClickSeconds, 0.0005);
}

TEST_F(SoundOutputTest, ClickIsHeardOnceForItsLengthAndScaledByItsVolume)
{
    PlayToTheEnd(click);
    PlayToTheEnd(click, 0.5f);
    PlayToTheEnd(streamedClick);
    const std::vector<Burst> bursts = Finish().Bursts();

    ASSERT_EQ(bursts.size(), 3u);
    for (const Burst& burst : bursts)
        ExpectClickLength(burst);
    EXPECT_GT(bursts[0].peak, 0.3f);
    EXPECT_NEAR(bursts[1].peak / bursts[0].peak, 0.5f, 0.05f);
    EXPECT_NEAR(bursts[2].peak / bursts[0].peak, 1.0f, 0.05f) << "streamed as loud as decoded";
}

TEST_F(SoundOutputTest, LoopingClickSoundsOnAndPausedChannelIsSilent)
{
    SOUND_HANDLE channel = device->PlaySound(click, 1.0f, true);
    UpdateFor(0.3);
    device->PauseSound(channel, true);
    UpdateFor(0.4);
    device->PauseSound(channel, false);
    StopAfter(channel, 0.3);
    const std::vector<Burst> bursts = Finish().Bursts();

    // Several clicks back to back make one sound on each side of the pause.
    ASSERT_EQ(bursts.size(), 2u);
    // Timings are loose: the writer may mix a few periods late on a busy machine.
    EXPECT_GT(bursts[0].Seconds(), 3 * kClickSeconds);
    EXPECT_GT(bursts[1].Seconds(), 3 * kClickSeconds);
    EXPECT_GT(double(bursts[1].begin - bursts[0].end) / kRate, 0.25) << "silent while paused";
}

TEST_F(SoundOutputTest, LoopingStreamSoundsOnUntilStopped)
{
    SOUND_HANDLE channel = device->PlaySound(streamedClick, 1.0f, true);
    StopAfter(channel, 0.6);
    const std::vector<Burst> bursts = Finish().Bursts();

    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_GT(bursts[0].Seconds(), 0.4) << "eight times the file's length";
}

TEST_F(SoundOutputTest, StreamThatRanDryDuringALongFrameResumes)
{
    SOUND_HANDLE channel = device->PlaySound(streamedClick, 1.0f, true);
    UpdateFor(0.1);
    // A frame longer than the queued stream buffers (about 0.75 s): the stream runs dry.
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    StopAfter(channel, 0.3);
    EXPECT_EQ(manager.ended.size(), 1u) << "ended by the stop only";
    const std::vector<Burst> bursts = Finish().Bursts();

    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_GT(bursts[1].Seconds(), 0.2) << "sounding again after the long frame";
}

TEST_F(SoundOutputTest, PanMovesTheSoundToOneSide)
{
    SOUND_HANDLE channel = device->PlaySound(click, 1.0f, true);
    device->SetPan(channel, -1.0f);
    UpdateFor(0.3);
    device->SetPan(channel, 1.0f);
    StopAfter(channel, 0.3);
    const Recording recording = Finish();
    const std::vector<Burst> bursts = recording.Bursts();
    ASSERT_EQ(bursts.size(), 1u);

    // Compare each side in the middle of each half, away from the change.
    const long long begin = bursts[0].begin;
    const long long half = (bursts[0].end - begin) / 2;
    const long long tenth = half / 5;
    const double leftFirst = Recording::Rms(recording.left, begin + tenth, begin + half - tenth);
    const double rightFirst = Recording::Rms(recording.right, begin + tenth, begin + half - tenth);
    const double leftSecond =
        Recording::Rms(recording.left, begin + half + tenth, begin + 2 * half - tenth);
    const double rightSecond =
        Recording::Rms(recording.right, begin + half + tenth, begin + 2 * half - tenth);
    EXPECT_LT(rightFirst, 0.1 * leftFirst);
    EXPECT_LT(leftSecond, 0.1 * rightSecond);
}

TEST_F(SoundOutputTest, PanTurnsAStereoSoundToOneSide)
{
    // 0.1 s of a 500 Hz tone on both channels.
    const std::string stereoFile = MakeTempDir() + "/stereo.wav";
    SF_INFO info = {};
    info.samplerate = kRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(stereoFile.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    std::vector<float> frames;
    for (int i = 0; i < kRate / 10; ++i)
    {
        const float value = 0.5f * std::sin(2.0f * 3.14159265f * 500.0f * float(i) / kRate);
        frames.push_back(value);
        frames.push_back(value);
    }
    sf_writef_float(file, frames.data(), kRate / 10);
    sf_close(file);

    SAMPLE_HANDLE stereo = device->LoadSample(stereoFile.c_str(), false);
    ASSERT_NE(stereo, nullptr);
    SOUND_HANDLE channel = device->PlaySound(stereo, 1.0f, true);
    device->SetPan(channel, 1.0f);
    StopAfter(channel, 0.3);
    const Recording recording = Finish();
    const std::vector<Burst> bursts = recording.Bursts();
    ASSERT_EQ(bursts.size(), 1u);

    const long long begin = bursts[0].begin + (bursts[0].end - bursts[0].begin) / 4;
    const long long end = bursts[0].end - (bursts[0].end - bursts[0].begin) / 4;
    EXPECT_LT(Recording::Rms(recording.left, begin, end),
              0.1 * Recording::Rms(recording.right, begin, end));
}

} // namespace
