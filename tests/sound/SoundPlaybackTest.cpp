// The device over OpenAL Soft's null output, which mixes in real time into nothing: channel
// states, ends, loops, the channel limit and files that cannot be loaded.
#include "engine/sound/SoundDevice.h"
#include "tests/sound/SoundTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

using Lines = std::vector<std::string>;

namespace
{

// The click lasts 50 ms; these leave the real-time mixer room on a busy machine.
constexpr double kEndDeadline = 3.0;
constexpr double kSeveralClicks = 0.3;
const std::string kInvalidHandle = "FMOD error! (36) An invalid object handle was used.\n";

class SoundPlaybackTest : public StartedSoundDevice
{
protected:
    static void SetUpTestSuite() { UseOpenALDrivers("null"); }

    bool UpdateUntilEnded(size_t count)
    {
        return UpdateUntil([&] { return manager.ended.size() >= count; }, kEndDeadline);
    }
};

TEST_F(SoundPlaybackTest, PlayedSampleRunsToItsEndAndIsReportedOnce)
{
    for (SAMPLE_HANDLE sample : {click, streamedClick})
    {
        manager.ended.clear();
        SCOPED_TRACE(sample == click ? "decoded" : "streamed");
        SOUND_HANDLE channel = device->PlaySound(sample);
        ASSERT_NE(channel, nullptr);
        EXPECT_TRUE(device->IsPlaying(channel));
        EXPECT_FALSE(device->IsPaused(channel));

        ASSERT_TRUE(UpdateUntilEnded(1));
        EXPECT_EQ(manager.ended, std::vector<void*>{channel});
        UpdateFor(0.1);
        EXPECT_EQ(manager.ended.size(), 1u) << "reported once";
        EXPECT_TRUE(Log().empty());

        // The ended channel is gone: asking about it answers false and logs the library's error.
        EXPECT_FALSE(device->IsPlaying(channel));
        EXPECT_EQ(Log(), Lines{kInvalidHandle});
        Log().clear();
    }
}

TEST_F(SoundPlaybackTest, PausedChannelWaitsAndResumes)
{
    SOUND_HANDLE channel = device->PlaySound(click);
    device->PauseSound(channel, true);
    EXPECT_TRUE(device->IsPaused(channel));
    UpdateFor(kSeveralClicks);
    EXPECT_TRUE(manager.ended.empty()) << "a paused channel does not run out";
    EXPECT_TRUE(device->IsPlaying(channel));

    device->PauseSound(channel, false);
    EXPECT_FALSE(device->IsPaused(channel));
    ASSERT_TRUE(UpdateUntilEnded(1));
    EXPECT_EQ(manager.ended, std::vector<void*>{channel});
    EXPECT_TRUE(Log().empty());
}

TEST_F(SoundPlaybackTest, LoopingChannelsPlayOnUntilStopped)
{
    SOUND_HANDLE decoded = device->PlaySound(click, 0.5f, true);
    SOUND_HANDLE streamed = device->PlaySound(streamedClick, 0.5f, true);
    UpdateFor(kSeveralClicks);
    EXPECT_TRUE(manager.ended.empty());
    EXPECT_TRUE(device->IsPlaying(decoded));
    EXPECT_TRUE(device->IsPlaying(streamed));

    // Stopping ends the channel at once; the game manager hears of it at the next update.
    device->StopSound(decoded);
    EXPECT_TRUE(manager.ended.empty());
    UpdateSoundDevice();
    EXPECT_EQ(manager.ended, std::vector<void*>{decoded});
    device->StopSound(streamed);
    UpdateSoundDevice();
    EXPECT_EQ(manager.ended, (std::vector<void*>{decoded, streamed}));
    EXPECT_TRUE(Log().empty());

    EXPECT_FALSE(device->IsPlaying(decoded));
    device->SetVolume(streamed, 1.0f);
    EXPECT_EQ(Log(), (Lines{kInvalidHandle, kInvalidHandle}));
}

TEST_F(SoundPlaybackTest, AHundredChannelsPlayAtOnce)
{
    std::vector<SOUND_HANDLE> channels;
    for (int i = 0; i < 100; ++i)
        channels.push_back(device->PlaySound(i % 2 ? click : streamedClick, 0.01f, true));
    EXPECT_EQ(std::count(channels.begin(), channels.end(), nullptr), 0);
    EXPECT_TRUE(Log().empty());

    EXPECT_EQ(device->PlaySound(click), nullptr);
    EXPECT_EQ(Log(), Lines{"FMOD error! (10) Error trying to allocate a channel.\n"});

    device->StopSound(channels[42]);
    SOUND_HANDLE reused = device->PlaySound(click);
    ASSERT_NE(reused, nullptr);
    EXPECT_EQ(std::count(channels.begin(), channels.end(), reused), 0)
        << "a reused channel has a new handle";
    EXPECT_TRUE(device->IsPlaying(channels[41]));
}

TEST_F(SoundPlaybackTest, SoundsStillPlayingAtShutdownEndQuietly)
{
    device->PlaySound(click, 1.0f, true);
    device->PlaySound(streamedClick, 1.0f, true);
    device->Shutdown();
    device = SoundDevice::GetInstance();
    EXPECT_TRUE(manager.ended.empty());
    EXPECT_TRUE(Log().empty());
}

TEST_F(SoundPlaybackTest, FilesThatCannotBeLoadedAreLoggedAndGiveNoSample)
{
    const std::string dir = MakeTempDir();
    const std::string clickBytes = ReadFile(kClickFile);
    ASSERT_GT(clickBytes.size(), 3600u);
    const std::string notAudio = dir + "/notes.ogg";
    WriteFile(notAudio, "These are not the sounds you are looking for.\n");
    // The Vorbis set-up header ends near byte 3400; the audio pages follow.
    const std::string cutInHeaders = dir + "/headers.ogg";
    WriteFile(cutInHeaders, clickBytes.substr(0, 1000));
    const std::string cutInAudio = dir + "/audio.ogg";
    WriteFile(cutInAudio, clickBytes.substr(0, clickBytes.size() - 200));

    const Lines expected = {
        "FMOD error! (23) File not found.\n",
        "FMOD error! (25) Unsupported file or audio format.\n",
        "FMOD error! (19) Error loading file.\n",
        "FMOD error! (22) End of file unexpectedly reached while trying to read essential data "
        "(truncated data?).\n",
        "FMOD error! (19) Error loading file.\n",
    };
    for (bool isStream : {false, true})
    {
        Log().clear();
        for (const std::string& file :
             {dir + "/missing.ogg", notAudio, cutInHeaders, cutInAudio, dir})
        {
            EXPECT_EQ(device->LoadSample(file.c_str(), isStream), nullptr) << file;
        }
        EXPECT_EQ(Log(), expected) << (isStream ? "streamed" : "decoded");
    }

    Log().clear();
    EXPECT_EQ(device->PlaySound(nullptr), nullptr);
    EXPECT_EQ(device->LoadSample(nullptr, false), nullptr);
    const std::string invalidParam =
        "FMOD error! (37) An invalid parameter was passed to this function.\n";
    EXPECT_EQ(Log(), (Lines{invalidParam, invalidParam}));
    UpdateSoundDevice();
    EXPECT_EQ(Log().size(), 2u);
}

TEST_F(SoundPlaybackTest, StreamWhoseFileVanishedDoesNotStart)
{
    const std::string dir = MakeTempDir();
    const std::string copy = dir + "/click.ogg";
    WriteFile(copy, ReadFile(kClickFile));
    SAMPLE_HANDLE stream = device->LoadSample(copy.c_str(), true);
    ASSERT_NE(stream, nullptr);
    std::remove(copy.c_str());
    EXPECT_EQ(device->PlaySound(stream), nullptr);
    EXPECT_EQ(Log(), Lines{"FMOD error! (23) File not found.\n"});
    // The decoded click still plays.
    EXPECT_NE(device->PlaySound(click), nullptr);
}

} // namespace
