// The device over the real back-end, whose mix the test renders itself through OpenAL Soft's
// loopback device, frame by frame: what is heard, channel states and ends, the channel limit,
// and files that cannot be loaded.
#include "engine/sound/SoundDevice.h"
#include "engine/sound/openal/OpenALBackend.h"
#include "engine/util/DataFile.h"
#include "engine/world/GameManager.h"
#include "tests/support/AddressSpaceLimit.h"
#include "tests/support/LogCapture.h"
#include "tests/support/NotAFile.h"
#include "tests/support/TempDir.h"

#define AL_ALEXT_PROTOTYPES
#include <AL/alext.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include <unistd.h>

// libsndfile 1.2 does not free the Vorbis stream information of an Ogg file whose headers are
// cut short; the tests open such files on purpose.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:vorbis_info_init\n";
}

namespace
{

constexpr int kRate = 44100;
constexpr const char* kClickFile = "Resources/Sounds/click.ogg"; // 50 ms, fading out to 0
const String kInvalidHandle = "FMOD error! (36) An invalid object handle was used.\n";
ALCdevice* s_loopback = nullptr;

ALCdevice* OpenLoopback(std::vector<ALCint>& attributes)
{
    attributes.insert(attributes.end(),
                      {ALC_FORMAT_CHANNELS_SOFT, ALC_STEREO_SOFT, ALC_FORMAT_TYPE_SOFT,
                       ALC_FLOAT_SOFT, ALC_FREQUENCY, kRate});
    return s_loopback = alcLoopbackOpenDeviceSOFT(nullptr);
}

struct RecordingGameManager : GameManager
{
    void SoundEnded(void* channel) override { ended.push_back(channel); }
    std::vector<void*> ended;
};

/// A run of audible frames (the mixer writes exact zeros for silence) of the interleaved stereo
/// mix; gaps shorter than 20 ms belong to one sound.
struct Burst
{
    long begin, end;
    float peak;
    double Seconds() const { return double(end - begin) / kRate; }
};

class SoundPlaybackTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        sound::SetSystemFactory(
            [](sound::System** system)
            { return sound::openal::CreateOpenALSystem(system, &OpenLoopback); });
    }
    void SetUp() override
    {
        LogCapture::Get().Clear();
        device->SetSoundCallback(&manager, &GameManager::SoundEnded);
        click = device->LoadSample(kClickFile, false);
        stream = device->LoadSample(kClickFile, true);
        ASSERT_TRUE(LogCapture::Get().Lines().empty()) << LogCapture::Get().Lines().front();
    }
    void TearDown() override
    {
        if (device != nullptr)
            device->Shutdown();
        EXPECT_TRUE(LogCapture::Get().Lines().empty());
    }

    /// Mixes `seconds` in frames of 1/60 s, each after the device's Update.
    void Render(double seconds)
    {
        for (int frame = 0; frame < std::lround(seconds * 60); ++frame)
        {
            device->Update();
            mix.resize(mix.size() + 2 * kRate / 60);
            alcRenderSamplesSOFT(s_loopback, &mix[mix.size() - 2 * kRate / 60], kRate / 60);
        }
    }
    std::vector<Burst> Bursts() const
    {
        std::vector<Burst> bursts;
        for (long i = 0; 2 * i < long(mix.size()); ++i)
        {
            const float level = std::max(std::fabs(mix[2 * i]), std::fabs(mix[2 * i + 1]));
            if (level == 0.0f)
                continue;
            if (bursts.empty() || i - bursts.back().end >= kRate / 50)
                bursts.push_back({i, i, 0.0f});
            bursts.back().end = i + 1;
            bursts.back().peak = std::max(bursts.back().peak, level);
        }
        return bursts;
    }

    SoundDevice* device = SoundDevice::GetInstance();
    RecordingGameManager manager;
    SAMPLE_HANDLE click = nullptr, stream = nullptr;
    std::vector<float> mix;
};

} // namespace

TEST_F(SoundPlaybackTest, ClickIsHeardOnceForItsLengthAndScaledByItsVolume)
{
    for (const auto& [sample, volume] : {std::pair(click, 1.0f), {click, 0.5f}, {stream, 1.0f}})
    {
        manager.ended.clear();
        SOUND_HANDLE channel = device->PlaySound(sample, volume);
        Render(0.2);
        EXPECT_EQ(manager.ended, std::vector<void*>{channel}) << "reported once";
    }
    const std::vector<Burst> bursts = Bursts();
    ASSERT_EQ(bursts.size(), 3u);
    for (const Burst& burst : bursts)
        EXPECT_NEAR(burst.Seconds(), 0.05, 0.0005);
    EXPECT_GT(bursts[0].peak, 0.3f);
    EXPECT_NEAR(bursts[1].peak / bursts[0].peak, 0.5f, 0.05f);
    EXPECT_NEAR(bursts[2].peak / bursts[0].peak, 1.0f, 0.05f) << "streamed as loud as decoded";
}

TEST_F(SoundPlaybackTest, LoopsPauseSilentlyAndEndWhenStopped)
{
    SOUND_HANDLE looping = device->PlaySound(click, 1.0f, true);
    Render(0.3);
    device->PauseSound(looping, true);
    EXPECT_TRUE(device->IsPaused(looping));
    Render(0.4);
    EXPECT_TRUE(device->IsPlaying(looping)) << "a paused channel has not finished";
    device->PauseSound(looping, false);
    EXPECT_FALSE(device->IsPaused(looping));
    Render(0.3);
    // Stopping ends the channel at once; the game manager hears of it at the next update.
    device->StopSound(looping);
    EXPECT_TRUE(manager.ended.empty());
    Render(0.3);
    EXPECT_EQ(manager.ended, std::vector<void*>{looping});
    // The ended channel is gone: asking about it answers false and logs the library's error.
    EXPECT_FALSE(device->IsPlaying(looping) || device->IsPaused(looping));
    device->SetVolume(looping, 1.0f);
    EXPECT_EQ(LogCapture::Get().Take(), StringList(3, kInvalidHandle));

    const std::vector<Burst> bursts = Bursts();
    ASSERT_EQ(bursts.size(), 2u);
    EXPECT_NEAR(bursts[0].Seconds(), 0.3, 0.02);
    EXPECT_NEAR(double(bursts[1].begin - bursts[0].end) / kRate, 0.4, 0.02) << "paused";
    EXPECT_NEAR(bursts[1].Seconds(), 0.3, 0.02);
}

TEST_F(SoundPlaybackTest, AHundredChannelsPlayAtOnceAndEndQuietlyAtShutdown)
{
    std::vector<SOUND_HANDLE> channels;
    for (int i = 0; i < 100; ++i)
        channels.push_back(device->PlaySound(i % 2 ? click : stream, 0.01f, true));
    EXPECT_EQ(std::count(channels.begin(), channels.end(), nullptr), 0);
    EXPECT_EQ(device->PlaySound(click), nullptr);
    EXPECT_EQ(LogCapture::Get().Take(),
              StringList{"FMOD error! (10) Error trying to allocate a channel.\n"});
    device->StopSound(channels[42]);
    SOUND_HANDLE reused = device->PlaySound(click, 0.01f, true);
    ASSERT_NE(reused, nullptr);
    EXPECT_EQ(std::count(channels.begin(), channels.end(), reused), 0) << "a new handle";
    EXPECT_TRUE(device->IsPlaying(channels[41]));
    device->Shutdown();
    device = nullptr;
    EXPECT_TRUE(manager.ended.empty()) << "sounds still playing at shut-down end quietly";
}

TEST_F(SoundPlaybackTest, BadFilesAndNullHandlesAreLoggedOrIgnoredWithoutEffect)
{
    TempDir dir;
    std::ostringstream content;
    content << std::ifstream(kClickFile, std::ios::binary).rdbuf();
    const String clickBytes = content.str();
    std::ofstream(dir.File("notes.ogg")) << "These are not the sounds you are looking for.\n";
    // The Vorbis set-up header ends near byte 3400; the audio pages follow.
    std::ofstream(dir.File("headers.ogg"), std::ios::binary) << clickBytes.substr(0, 1000);
    std::ofstream(dir.File("audio.ogg"), std::ios::binary)
        << clickBytes.substr(0, clickBytes.size() - 200);
    // A sparse file: it takes no room.
    const String huge = dir.File("huge.ogg");
    std::ofstream(huge).close();
    ASSERT_EQ(truncate(huge.c_str(), kMaxMediaFileBytes + 1), 0);
    // Each error names its file.
    const auto error = [&dir](const String& text, const String& name)
    { return "FMOD error! (" + text + " - " + dir.File(name) + "\n"; };
    const StringList expected = {
        error("23) File not found.", "missing.ogg"),
        error("25) Unsupported file or audio format.", "notes.ogg"),
        error("19) Error loading file.", "headers.ogg"),
        error("22) End of file unexpectedly reached while trying to read essential data "
              "(truncated data?).",
              "audio.ogg"),
        error("23) File not found.", ""),
        "ERROR: Sound file " + huge + " is larger than 268435456 bytes.",
    };
    for (bool isStream : {false, true})
    {
        for (const char* name :
             {"missing.ogg", "notes.ogg", "headers.ogg", "audio.ogg", "", "huge.ogg"})
            EXPECT_EQ(device->LoadSample(dir.File(name).c_str(), isStream), nullptr) << name;
        EXPECT_EQ(LogCapture::Get().Take(), expected) << (isStream ? "streamed" : "decoded");
    }
    // Whatever is no regular file is not found, and nothing waits on a pipe.
    for (const char* kind : kNotAFileKinds)
    {
        NotAFile thing(kind, dir.File("thing.ogg"));
        for (bool isStream : {false, true})
            EXPECT_EQ(device->LoadSample(dir.File("thing.ogg").c_str(), isStream), nullptr) << kind;
        EXPECT_EQ(LogCapture::Get().Take(),
                  StringList(2, error("23) File not found.", "thing.ogg")))
            << kind;
        EXPECT_FALSE(thing.Waited()) << kind;
    }

    // The library refuses a null sample or file name; null channels are never passed to it.
    EXPECT_EQ(device->PlaySound(nullptr), nullptr);
    EXPECT_EQ(device->LoadSample(nullptr, false), nullptr);
    device->StopSound(nullptr);
    device->PauseSound(nullptr, true);
    device->SetVolume(nullptr, 0.5f);
    device->SetPan(nullptr, 1.0f);
    EXPECT_FALSE(device->IsPlaying(nullptr) || device->IsPaused(nullptr));
    EXPECT_EQ(
        LogCapture::Get().Take(),
        StringList(2, "FMOD error! (37) An invalid parameter was passed to this function.\n"));
}

// The sanitizers' own allocators cannot run under an address-space limit.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
TEST_F(SoundPlaybackTest, ASoundWithinItsCapThatTheMemoryLeftCannotHoldIsLoggedAndNotLoaded)
{
    // A 16-bit mono WAV of 64 MiB of silence, sparse: it takes no room on the disk.
    TempDir dir;
    const String path = dir.File("long.wav");
    constexpr uint32_t kDataBytes = 64u * 1024 * 1024;
    {
        std::ofstream wav(path, std::ios::binary);
        const auto put = [&wav](uint32_t value, int bytes)
        {
            for (int i = 0; i < bytes; ++i)
                wav.put(static_cast<char>((value >> (8 * i)) & 0xff));
        };
        wav << "RIFF";
        put(36 + kDataBytes, 4);
        wav << "WAVEfmt ";
        put(16, 4), put(1, 2), put(1, 2), put(kRate, 4), put(kRate * 2, 4), put(2, 2), put(16, 2);
        wav << "data";
        put(kDataBytes, 4);
    }
    ASSERT_EQ(truncate(path.c_str(), 44 + kDataBytes), 0);

    SAMPLE_HANDLE sample = nullptr;
    {
        const AddressSpaceLimit limit(16ULL * 1024 * 1024);
        ASSERT_TRUE(limit.IsSet());
        sample = device->LoadSample(path.c_str(), false);
    }
    EXPECT_EQ(sample, nullptr);
    EXPECT_EQ(LogCapture::Get().Take(),
              StringList{"FMOD error! (43) Not enough memory or resources. - " + path + "\n"});
    // With the memory there, it loads.
    EXPECT_NE(device->LoadSample(path.c_str(), false), nullptr);
}
#endif
