// The sound device's use of the sound library, against a scripted library: which calls it
// makes, in which order, with which arguments, and what it logs for each result.
#include "engine/sound/SoundDevice.h"
#include "tests/sound/FakeSoundSystem.h"
#include "tests/sound/SoundTestSupport.h"

#include <gtest/gtest.h>

using Calls = std::vector<std::string>;

namespace
{

class SoundDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override { Log().clear(); }
    void TearDown() override
    {
        if (m_device != nullptr)
            m_device->Shutdown();
    }

    SoundDevice* Start()
    {
        m_device = SoundDevice::GetInstance();
        return m_device;
    }
    void Shutdown()
    {
        m_device->Shutdown();
        m_device = nullptr;
    }
    /// The calls made since the mark, which is then moved to the end.
    Calls TakeCalls()
    {
        Calls taken(library.calls.begin() + m_mark, library.calls.end());
        m_mark = library.calls.size();
        return taken;
    }
    static std::vector<std::string>& Log() { return RecordingLog::Installed().lines; }

    FakeSoundLibrary library;

private:
    SoundDevice* m_device = nullptr;
    size_t m_mark = 0;
};

const Calls kNormalStart = {"CreateSystem", "GetVersion", "GetDriverCaps 0", "SetSpeakerMode 5",
                            "Init 100 0 null"};

TEST_F(SoundDeviceTest, StartsTheLibraryInOrderWithTheDriversSpeakerMode)
{
    Start();
    EXPECT_EQ(TakeCalls(), kNormalStart);
    EXPECT_TRUE(Log().empty());
}

TEST_F(SoundDeviceTest, EmulatedDriverGetsLargeBuffersBeforeInit)
{
    library.caps = sound::CAPS_HARDWARE | sound::CAPS_HARDWARE_EMULATED;
    library.speakerMode = sound::SPEAKERMODE_QUAD;
    Start();
    EXPECT_EQ(TakeCalls(),
              (Calls{"CreateSystem", "GetVersion", "GetDriverCaps 0", "SetSpeakerMode 3",
                     "SetDSPBufferSize 1024 10", "Init 100 0 null"}));
}

TEST_F(SoundDeviceTest, OlderLibraryIsRefusedAndNothingPlays)
{
    library.version = 0x415ff;
    SoundDevice* device = Start();
    EXPECT_EQ(TakeCalls(), (Calls{"CreateSystem", "GetVersion"}));
    ASSERT_EQ(Log(), Calls{"Error! You are using an old version of FMOD 000415ff. This program "
                           "requires 00041600\n"});

    Log().clear();
    SAMPLE_HANDLE sample = device->LoadSample(kClickFile, false);
    EXPECT_EQ(sample, nullptr);
    EXPECT_EQ(device->PlaySound(sample), nullptr);
    const std::string uninitialized = "FMOD error! (79) This command failed because "
                                      "System::init or System::setDriver was not called.\n";
    EXPECT_EQ(Log(), (Calls{uninitialized, uninitialized}));
}

TEST_F(SoundDeviceTest, NewerLibraryVersionsPass)
{
    library.version = 0x43a12;
    Start();
    EXPECT_EQ(TakeCalls(), kNormalStart);
    EXPECT_TRUE(Log().empty());
}

TEST_F(SoundDeviceTest, UnsupportedSpeakerModeIsRetriedOnceInStereo)
{
    library.Fail("Init", sound::ERR_OUTPUT_CREATEBUFFER);
    SoundDevice* device = Start();
    Calls expected = kNormalStart;
    expected.insert(expected.end(), {"SetSpeakerMode 2", "Init 100 0 null"});
    EXPECT_EQ(TakeCalls(), expected);
    EXPECT_TRUE(Log().empty()) << "the first failure is not reported";
    EXPECT_NE(device->LoadSample(kClickFile, false), nullptr);
}

TEST_F(SoundDeviceTest, SecondFailureOfTheStereoRetryIsLoggedAndNotRetried)
{
    library.Fail("Init", sound::ERR_OUTPUT_CREATEBUFFER);
    library.Fail("Init", sound::ERR_OUTPUT_CREATEBUFFER);
    Start();
    Calls expected = kNormalStart;
    expected.insert(expected.end(), {"SetSpeakerMode 2", "Init 100 0 null"});
    EXPECT_EQ(TakeCalls(), expected);
    EXPECT_EQ(Log(), Calls{"FMOD error! (56) Error creating hardware sound buffer.\n"});
}

TEST_F(SoundDeviceTest, OtherInitFailuresAreNeitherRetriedNorReported)
{
    library.Fail("Init", sound::ERR_OUTPUT_INIT);
    SoundDevice* device = Start();
    EXPECT_EQ(TakeCalls(), kNormalStart);
    EXPECT_TRUE(Log().empty());
    // The game goes on silently; later calls report the library's refusal.
    EXPECT_EQ(device->LoadSample(kClickFile, false), nullptr);
    EXPECT_EQ(Log().size(), 1u);
}

TEST_F(SoundDeviceTest, EachFailingStartUpStepIsLoggedAndStartUpGoesOn)
{
    library.Fail("GetDriverCaps", 58);
    library.Fail("SetSpeakerMode", sound::ERR_INVALID_PARAM);
    Start();
    EXPECT_EQ(TakeCalls(), kNormalStart);
    EXPECT_EQ(Log(), (Calls{"FMOD error! (58) Error enumerating the available driver list. List "
                            "may be inconsistent due to a recent device addition or removal.\n",
                            "FMOD error! (37) An invalid parameter was passed to this "
                            "function.\n"}));
}

TEST_F(SoundDeviceTest, WithoutALibraryObjectEveryCallIsHarmless)
{
    library.createResult = sound::ERR_MEMORY;
    SoundDevice* device = Start();
    EXPECT_EQ(TakeCalls(), Calls{"CreateSystem"});
    EXPECT_EQ(Log(), Calls{"FMOD error! (43) Not enough memory or resources.\n"});
    Log().clear();
    EXPECT_EQ(device->LoadSample(kClickFile, true), nullptr);
    EXPECT_EQ(device->PlaySound(nullptr), nullptr);
    SOUND_HANDLE stale = reinterpret_cast<SOUND_HANDLE>(uintptr_t(7));
    device->StopSound(stale);
    EXPECT_FALSE(device->IsPlaying(stale));
    device->Update();
    EXPECT_EQ(Log().size(), 4u) << "one line for each call that needed the library";
    Shutdown();
}

TEST(SoundErrorCheck, LogsFailuresWithTheirNumberAndText)
{
    std::vector<std::string>& log = RecordingLog::Installed().lines;
    log.clear();
    ERRCHECK(sound::OK);
    EXPECT_TRUE(log.empty());
    ERRCHECK(36);
    ERRCHECK(23);
    ERRCHECK(87);
    ERRCHECK(88);
    ERRCHECK(-1);
    EXPECT_EQ(log,
              (Calls{"FMOD error! (36) An invalid object handle was used.\n",
                     "FMOD error! (23) File not found.\n",
                     "FMOD error! (87) FSB mis-matches the FEV it was compiled with.\n",
                     "FMOD error! (88) Unknown error.\n", "FMOD error! (-1) Unknown error.\n"}));
}

TEST_F(SoundDeviceTest, SamplesAreDecodedOrStreamedAndReleasedAtShutdown)
{
    SoundDevice* device = Start();
    TakeCalls();
    SAMPLE_HANDLE decoded = device->LoadSample("a.ogg", false);
    library.Fail("CreateSound", sound::ERR_FILE_NOTFOUND);
    EXPECT_EQ(device->LoadSample("missing.ogg", false), nullptr);
    SAMPLE_HANDLE streamed = device->LoadSample("b.ogg", true);
    EXPECT_NE(decoded, nullptr);
    EXPECT_NE(streamed, nullptr);
    EXPECT_NE(decoded, streamed);
    EXPECT_EQ(TakeCalls(), (Calls{"CreateSound a.ogg 0x0 null", "CreateSound missing.ogg 0x0 null",
                                  "CreateSound b.ogg 0x80 null"}));
    EXPECT_EQ(Log(), Calls{"FMOD error! (23) File not found.\n"});

    // Failures to release a sample are not reported; the library's release is.
    Log().clear();
    library.Fail("ReleaseSound", sound::ERR_INVALID_HANDLE);
    library.Fail("Release", sound::ERR_INTERNAL);
    Shutdown();
    EXPECT_EQ(TakeCalls(), (Calls{"ReleaseSound s1", "ReleaseSound s2", "Release"}));
    EXPECT_EQ(
        Log(),
        Calls{"FMOD error! (33) An error occured that wasn't supposed to.  Contact support.\n"});

    // A later GetInstance starts a new device.
    Start();
    EXPECT_EQ(TakeCalls(), kNormalStart);
}

TEST_F(SoundDeviceTest, PlaySoundStartsPausedAndAppliesVolumeAndLoopFirst)
{
    SoundDevice* device = Start();
    SAMPLE_HANDLE sample = device->LoadSample("a.ogg", false);
    TakeCalls();

    SOUND_HANDLE channel = device->PlaySound(sample);
    EXPECT_NE(channel, nullptr);
    EXPECT_EQ(TakeCalls(),
              (Calls{"PlaySound -1 s1 paused", "SetChannelVolume ch1 1", "SetChannelMode ch1 1",
                     "SetChannelPaused ch1 0", "SetChannelCallback ch1 0 command 0"}));

    device->PlaySound(sample, 0.25f, true);
    EXPECT_EQ(TakeCalls(),
              (Calls{"PlaySound -1 s1 paused", "SetChannelVolume ch2 0.25", "SetChannelMode ch2 2",
                     "SetChannelPaused ch2 0", "SetChannelCallback ch2 0 command 0"}));
    EXPECT_TRUE(Log().empty());

    // Flags only add a warning.
    device->PlaySound(sample, 1.0f, false, 4);
    EXPECT_EQ(TakeCalls(),
              (Calls{"PlaySound -1 s1 paused", "SetChannelVolume ch3 1", "SetChannelMode ch3 1",
                     "SetChannelPaused ch3 0", "SetChannelCallback ch3 0 command 0"}));
    EXPECT_EQ(Log(), Calls{"WARNING: PlaySound doesn't use the passed in flags yet."});
}

TEST_F(SoundDeviceTest, PlaySoundFailuresAreLoggedExceptTheCallbacks)
{
    SoundDevice* device = Start();
    SAMPLE_HANDLE sample = device->LoadSample("a.ogg", false);
    TakeCalls();

    library.Fail("PlaySound", sound::ERR_CHANNEL_ALLOC);
    EXPECT_EQ(device->PlaySound(sample), nullptr);
    EXPECT_EQ(TakeCalls(), Calls{"PlaySound -1 s1 paused"}) << "nothing more without a channel";
    EXPECT_EQ(Log(), Calls{"FMOD error! (10) Error trying to allocate a channel.\n"});

    Log().clear();
    library.Fail("SetChannelVolume", sound::ERR_INVALID_FLOAT);
    library.Fail("SetChannelCallback", sound::ERR_INVALID_HANDLE);
    EXPECT_NE(device->PlaySound(sample), nullptr);
    EXPECT_EQ(TakeCalls().size(), 5u) << "a failed step does not stop the others";
    EXPECT_EQ(Log(),
              Calls{"FMOD error! (35) Value passed in was a NaN, Inf or denormalized float.\n"});

    Log().clear();
    EXPECT_EQ(device->PlaySound(nullptr), nullptr);
    EXPECT_EQ(Log(), Calls{"FMOD error! (37) An invalid parameter was passed to this function.\n"});
}

TEST_F(SoundDeviceTest, ChannelCallsPassTheirValuesAndReportFailures)
{
    SoundDevice* device = Start();
    SOUND_HANDLE channel = device->PlaySound(device->LoadSample("a.ogg", false));
    TakeCalls();

    EXPECT_TRUE(device->IsPlaying(channel));
    EXPECT_FALSE(device->IsPaused(channel));
    device->PauseSound(channel, true);
    EXPECT_TRUE(device->IsPaused(channel));
    EXPECT_TRUE(device->IsPlaying(channel)) << "a paused channel is still playing";
    device->PauseSound(channel, false);
    EXPECT_FALSE(device->IsPaused(channel));
    device->SetVolume(channel, 0.3f);
    device->SetPan(channel, -0.5f);
    device->StopSound(channel);
    EXPECT_EQ(TakeCalls(),
              (Calls{"IsChannelPlaying ch1", "GetChannelPaused ch1", "SetChannelPaused ch1 1",
                     "GetChannelPaused ch1", "IsChannelPlaying ch1", "SetChannelPaused ch1 0",
                     "GetChannelPaused ch1", "SetChannelVolume ch1 0.3", "SetChannelPan ch1 -0.5",
                     "StopChannel ch1"}));
    EXPECT_TRUE(Log().empty());

    // A channel the library no longer knows: the query answers false and the error is logged.
    library.Fail("IsChannelPlaying", sound::ERR_INVALID_HANDLE);
    library.Fail("StopChannel", sound::ERR_INVALID_HANDLE);
    EXPECT_FALSE(device->IsPlaying(channel));
    device->StopSound(channel);
    EXPECT_EQ(Log(), (Calls{"FMOD error! (36) An invalid object handle was used.\n",
                            "FMOD error! (36) An invalid object handle was used.\n"}));
}

TEST_F(SoundDeviceTest, NullChannelsAreIgnoredByEveryOperation)
{
    SoundDevice* device = Start();
    TakeCalls();
    device->StopSound(nullptr);
    device->PauseSound(nullptr, true);
    device->SetVolume(nullptr, 0.5f);
    device->SetPan(nullptr, 1.0f);
    EXPECT_FALSE(device->IsPlaying(nullptr));
    EXPECT_FALSE(device->IsPaused(nullptr));
    EXPECT_TRUE(TakeCalls().empty());
    EXPECT_TRUE(Log().empty());
}

TEST_F(SoundDeviceTest, FinishedChannelsReachTheGameManagerOnceInsideUpdate)
{
    RecordingGameManager manager;
    SoundDevice* device = Start();
    device->SetSoundCallback(&manager, &GameManager::SoundEnded);
    SAMPLE_HANDLE sample = device->LoadSample("a.ogg", false);
    SOUND_HANDLE first = device->PlaySound(sample);
    SOUND_HANDLE second = device->PlaySound(sample);
    SOUND_HANDLE third = device->PlaySound(sample);

    library.FinishChannel(first);
    library.FinishChannel(third);
    EXPECT_TRUE(manager.ended.empty()) << "nothing is delivered before Update";
    UpdateSoundDevice();
    EXPECT_EQ(manager.ended, (std::vector<void*>{first, third}));
    UpdateSoundDevice();
    EXPECT_EQ(manager.ended.size(), 2u);

    library.FinishChannel(second);
    UpdateSoundDevice();
    EXPECT_EQ(manager.ended, (std::vector<void*>{first, third, second}));
    EXPECT_EQ(manager.endedOutsideUpdate, 0);
}

TEST_F(SoundDeviceTest, WithoutARegisteredCallbackFinishedChannelsCauseNothing)
{
    SoundDevice* device = Start();
    SAMPLE_HANDLE sample = device->LoadSample("a.ogg", false);
    RecordingGameManager manager;

    ::testing::internal::CaptureStdout();
    library.FinishChannel(device->PlaySound(sample));
    device->Update();
    // A target without a member function counts as no callback too.
    device->SetSoundCallback(&manager, nullptr);
    library.FinishChannel(device->PlaySound(sample));
    device->Update();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "") << "no warning is printed";
    EXPECT_TRUE(manager.ended.empty());
    EXPECT_TRUE(Log().empty());
}

TEST(GenericCallback, CallsTheBoundMemberOrWarnsWhenNoneIsBound)
{
    RecordingGameManager manager;
    TGenericCallback<GameManager, void*> callback;
    ::testing::internal::CaptureStdout();
    callback(&manager);
    callback.SetCallback(nullptr, &GameManager::SoundEnded);
    callback(&manager);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "WARNING: No callback function specified!WARNING: No callback function specified!");
    EXPECT_TRUE(manager.ended.empty());

    callback.SetCallback(&manager, &GameManager::SoundEnded);
    int channel = 0;
    callback(&channel);
    EXPECT_EQ(manager.ended, std::vector<void*>{&channel}) << "the virtual override runs";
}

} // namespace
