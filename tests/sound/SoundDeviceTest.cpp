// The sound device against a scripted sound library: which calls it makes, in which order, with
// which arguments, and what it logs for each result. Last, the real back-end without output.
#include "engine/sound/SoundDevice.h"
#include "tests/sound/SoundTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <utility>

#include <unistd.h>

namespace
{

using namespace sound;
using Calls = std::vector<std::string>;

const std::string kUninitialized = "FMOD error! (79) This command failed because System::init or "
                                   "System::setDriver was not called.\n";
const std::string kNoMemory = "FMOD error! (43) Not enough memory or resources.\n";
const std::string kSoundOff = "WARNING: Sound is off - no sound output could be started: ";
const std::string kNoOutput = kSoundOff + "Error initializing output device.";
LogCapture& s_log = LogCapture::Get();

/// A scripted sound library that sound::CreateSystem hands out while it lives. Each call is
/// written to the call list ("Name arg ...") and answers the next result queued for its name,
/// else OK. Sounds and channels are numbered 0x1, 0x2, ...; like the library, creating either
/// needs a successful Init.
class FakeSystem : public System
{
public:
    FakeSystem()
    {
        s_fake = this;
        SetSystemFactory(&Create);
    }
    ~FakeSystem() override { SetSystemFactory(nullptr); }

    void Fail(const std::string& name, Result result) { m_failures[name].push_back(result); }
    Calls Take() { return std::exchange(m_calls, {}); }
    /// The channel plays to its end; the last channel callback set runs at the next Update.
    void Finish(Channel* channel) { m_finished.push_back(channel); }

    unsigned int version = 0x41600;
    Caps caps = CAPS_NONE;

    Result GetVersion(unsigned int* out) override
    {
        *out = version;
        return Record(__func__);
    }
    Result GetDriverCaps(int driver, Caps* outCaps, SpeakerMode* mode) override
    {
        *outCaps = caps;
        *mode = SPEAKERMODE_5POINT1;
        return Record(__func__, driver);
    }
    Result SetSpeakerMode(SpeakerMode mode) override { return Record(__func__, mode); }
    Result SetDSPBufferSize(unsigned int length, int count) override
    {
        return Record(__func__, length, count);
    }
    Result Init(int maxChannels, InitFlags flags, void* extraDriverData) override
    {
        const Result result = Record(__func__, maxChannels, flags, extraDriverData);
        m_initialized = result == OK;
        return result;
    }
    Result Update() override
    {
        const Result result = Record(__func__);
        for (Channel* channel : std::exchange(m_finished, {}))
            m_callback(channel, CHANNEL_CALLBACKTYPE_END, 0, 0, 0);
        return result;
    }
    Result CreateSound(const char* fileName, Mode mode, void* info, Sound** sample) override
    {
        return Created(Record(__func__, fileName, mode, info), m_sounds, sample);
    }
    Result PlaySound(int index, Sound* sample, bool paused, Channel** channel) override
    {
        return Created(Record(__func__, index, sample, paused), m_channels, channel);
    }
    Result Release() override { return Record(__func__); }
    Result ReleaseSound(Sound* sample) override { return Record(__func__, sample); }
    Result SetChannelVolume(Channel* c, float v) override { return Record(__func__, c, v); }
    Result SetChannelPan(Channel* c, float pan) override { return Record(__func__, c, pan); }
    Result SetChannelPaused(Channel* c, bool p) override { return Record(__func__, c, p); }
    Result GetChannelPaused(Channel* c, bool*) override { return Record(__func__, c); }
    Result IsChannelPlaying(Channel* c, bool*) override { return Record(__func__, c); }
    Result StopChannel(Channel* c) override { return Record(__func__, c); }
    Result SetChannelMode(Channel* c, Mode mode) override { return Record(__func__, c, mode); }
    Result SetChannelCallback(Channel* channel, ChannelCallbackType type, ChannelCallback callback,
                              int command) override
    {
        m_callback = callback;
        return Record(__func__, channel, type, command);
    }

private:
    static Result Create(System** system)
    {
        const Result result = s_fake->Record("CreateSystem");
        if (result == OK)
            *system = s_fake;
        return result;
    }
    template <typename... Args> Result Record(const std::string& name, const Args&... args)
    {
        std::ostringstream line;
        line << name;
        ((line << ' ' << args), ...);
        m_calls.push_back(line.str());
        std::deque<Result>& queued = m_failures[name];
        if (queued.empty())
            return OK;
        const Result result = queued.front();
        queued.pop_front();
        return result;
    }
    template <typename Handle> Result Created(Result result, int& count, Handle** out)
    {
        if (result == OK && !m_initialized)
            result = ERR_UNINITIALIZED;
        *out = result == OK ? reinterpret_cast<Handle*>(uintptr_t(++count)) : nullptr;
        return result;
    }

    static inline FakeSystem* s_fake = nullptr;
    Calls m_calls;
    bool m_initialized = false;
    int m_sounds = 0;
    int m_channels = 0;
    std::map<std::string, std::deque<Result>> m_failures;
    ChannelCallback m_callback = nullptr;
    std::vector<Channel*> m_finished;
};

const Calls kNormalStart = {"CreateSystem", "GetVersion", "GetDriverCaps 0", "SetSpeakerMode 5",
                            "Init 100 0 0"};

/// Starts a device on a library that `script` sets up, checks the start-up calls and lines and
/// whether a sample then loads (without a started library the load only logs).
void ExpectStartUp(const char* what, const std::function<void(FakeSystem&)>& script,
                   const Calls& calls, const Calls& log, bool plays)
{
    SCOPED_TRACE(what);
    FakeSystem library;
    script(library);
    s_log.Clear();
    SoundDevice* device = SoundDevice::GetInstance();
    EXPECT_EQ(library.Take(), calls);
    EXPECT_EQ(s_log.Lines(), log);
    s_log.Clear();
    EXPECT_EQ(device->LoadSample("a.ogg", false) != nullptr, plays);
    EXPECT_EQ(s_log.Lines(), plays ? Calls{} : Calls{kUninitialized});
    device->Update();
    device->Shutdown();
}

TEST(SoundDeviceStartUp, FollowsTheDriverChecksTheVersionAndRetriesOnceInStereo)
{
    ExpectStartUp(
        "the driver's speaker mode; the lowest version that passes", [](FakeSystem&) {},
        kNormalStart, {}, true);
    ExpectStartUp(
        "an older version is refused", [](FakeSystem& l) { l.version = 0x415ff; },
        {"CreateSystem", "GetVersion"},
        {"Error! You are using an old version of FMOD 000415ff. This program requires "
         "00041600\n"},
        false);
    ExpectStartUp(
        "a newer version; failing steps are logged (unknown codes too) and start-up goes on; an "
        "emulated driver gets large buffers before Init",
        [](FakeSystem& l)
        {
            l.version = 0x43a12;
            l.caps = CAPS_HARDWARE | CAPS_HARDWARE_EMULATED;
            l.Fail("GetDriverCaps", 87);
            l.Fail("SetSpeakerMode", 88);
            l.Fail("SetDSPBufferSize", -1);
        },
        {"CreateSystem", "GetVersion", "GetDriverCaps 0", "SetSpeakerMode 5",
         "SetDSPBufferSize 1024 10", "Init 100 0 0"},
        {"FMOD error! (87) FSB mis-matches the FEV it was compiled with.\n",
         "FMOD error! (88) Unknown error.\n", "FMOD error! (-1) Unknown error.\n"},
        true);
    Calls stereoRetry = kNormalStart;
    stereoRetry.insert(stereoRetry.end(), {"SetSpeakerMode 2", "Init 100 0 0"});
    ExpectStartUp(
        "the first Init result is not logged; an unsupported speaker mode is retried",
        [](FakeSystem& l) { l.Fail("Init", ERR_OUTPUT_CREATEBUFFER); }, stereoRetry, {}, true);
    ExpectStartUp(
        "a second failure is logged and not retried",
        [](FakeSystem& l)
        {
            l.Fail("Init", ERR_OUTPUT_CREATEBUFFER);
            l.Fail("Init", ERR_OUTPUT_CREATEBUFFER);
        },
        stereoRetry,
        {"FMOD error! (56) Error creating hardware sound buffer.\n",
         kSoundOff + "Error creating hardware sound buffer."},
        false);
    ExpectStartUp(
        "other Init failures are not retried; the engine says that sound is off",
        [](FakeSystem& l) { l.Fail("Init", ERR_OUTPUT_INIT); }, kNormalStart, {kNoOutput}, false);
    ExpectStartUp(
        "without a library object every call only logs",
        [](FakeSystem& l) { l.Fail("CreateSystem", ERR_MEMORY); }, {"CreateSystem"}, {kNoMemory},
        false);
}

class SoundDeviceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        s_log.Clear();
        device = SoundDevice::GetInstance();
        sample = device->LoadSample("a.ogg", false);
        library.Take();
    }
    void TearDown() override
    {
        if (device != nullptr)
            device->Shutdown();
    }

    FakeSystem library;
    SoundDevice* device = nullptr;
    SAMPLE_HANDLE sample = nullptr;
};

Calls PlayCalls(int channel, const char* volume, Mode loop)
{
    const std::string ch = "0x" + std::to_string(channel) + " ";
    return {"PlaySound -1 0x1 1", "SetChannelVolume " + ch + volume,
            "SetChannelMode " + ch + std::to_string(loop), "SetChannelPaused " + ch + "0",
            "SetChannelCallback " + ch + "0 0"};
}

TEST_F(SoundDeviceTest, PlayingChannelCallsAndShutDownMakeTheirCallsInOrder)
{
    EXPECT_NE(device->PlaySound(sample), nullptr);
    EXPECT_EQ(library.Take(), PlayCalls(1, "1", LOOP_OFF));
    EXPECT_TRUE(s_log.Lines().empty());
    SCOPED_TRACE("flags only add a warning");
    SOUND_HANDLE channel = device->PlaySound(sample, 0.25f, true, 4);
    EXPECT_EQ(library.Take(), PlayCalls(2, "0.25", LOOP_NORMAL));
    EXPECT_EQ(s_log.Lines(), Calls{"WARNING: PlaySound doesn't use the passed in flags yet."});

    SCOPED_TRACE("without a channel nothing more is asked");
    s_log.Clear();
    library.Fail("PlaySound", ERR_CHANNEL_ALLOC);
    EXPECT_EQ(device->PlaySound(sample), nullptr);
    EXPECT_EQ(library.Take(), Calls{"PlaySound -1 0x1 1"});
    EXPECT_EQ(s_log.Lines(), Calls{"FMOD error! (10) Error trying to allocate a channel.\n"});

    SCOPED_TRACE("a failed step does not stop the others; the callback's result is unchecked");
    s_log.Clear();
    library.Fail("SetChannelVolume", ERR_INVALID_FLOAT);
    library.Fail("SetChannelCallback", ERR_INVALID_HANDLE);
    EXPECT_NE(device->PlaySound(sample), nullptr);
    EXPECT_EQ(library.Take(), PlayCalls(3, "1", LOOP_OFF));
    EXPECT_EQ(s_log.Lines(),
              Calls{"FMOD error! (35) Value passed in was a NaN, Inf or denormalized float.\n"});

    SCOPED_TRACE("channel calls");
    device->PauseSound(channel, true);
    device->SetVolume(channel, 0.3f);
    device->SetPan(channel, -0.5f);
    device->IsPlaying(channel);
    device->IsPaused(channel);
    device->StopSound(channel);
    EXPECT_EQ(library.Take(),
              (Calls{"SetChannelPaused 0x2 1", "SetChannelVolume 0x2 0.3", "SetChannelPan 0x2 -0.5",
                     "IsChannelPlaying 0x2", "GetChannelPaused 0x2", "StopChannel 0x2"}));

    SCOPED_TRACE("shut-down releases each sample, then the library; only the latter is checked");
    s_log.Clear();
    device->LoadSample("b.ogg", true);
    library.Fail("ReleaseSound", ERR_INVALID_HANDLE);
    library.Fail("Release", ERR_INTERNAL);
    device->Shutdown();
    device = nullptr;
    EXPECT_EQ(library.Take(), (Calls{"CreateSound b.ogg 128 0", "ReleaseSound 0x1",
                                     "ReleaseSound 0x2", "Release"}));
    EXPECT_EQ(s_log.Lines(),
              Calls{"FMOD error! (33) An error occured that wasn't supposed to.  Contact "
                    "support.\n"});
}

TEST_F(SoundDeviceTest, FinishedChannelsReachTheGameManagerOnceInsideUpdate)
{
    RecordingGameManager manager;

    // With no callback, or a target without a member function, an end causes nothing: the
    // device checks before calling, so not even the callback's own warning is printed.
    ::testing::internal::CaptureStdout();
    library.Finish(device->PlaySound(sample));
    UpdateSoundDevice();
    device->SetSoundCallback(&manager, nullptr);
    library.Finish(device->PlaySound(sample));
    UpdateSoundDevice();
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_TRUE(manager.ended.empty());

    device->SetSoundCallback(&manager, &GameManager::SoundEnded);
    SOUND_HANDLE first = device->PlaySound(sample);
    SOUND_HANDLE second = device->PlaySound(sample);
    library.Finish(second);
    EXPECT_TRUE(manager.ended.empty()) << "nothing is delivered before Update";
    UpdateSoundDevice();
    UpdateSoundDevice();
    library.Finish(first);
    UpdateSoundDevice();
    EXPECT_EQ(manager.ended, (std::vector<void*>{second, first}));
    EXPECT_EQ(manager.endedOutsideUpdate, 0);
    EXPECT_TRUE(s_log.Lines().empty());

    // Called without a member function, the callback itself warns and does nothing.
    TGenericCallback<GameManager, void*> callback;
    callback.SetCallback(&manager, nullptr);
    ::testing::internal::CaptureStdout();
    callback(&manager);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "WARNING: No callback function specified!");
    EXPECT_EQ(manager.ended.size(), 2u);
}

TEST(SoundWithoutOutput, OneEngineLineNoLibraryNoiseAndEveryCallIsLoggedOrQuiet)
{
    // ALSA output to a device that exists nowhere fails as on a machine without a sound card,
    // whatever this one has, and makes ALSA and OpenAL Soft print their own errors unless they
    // are kept quiet. Nothing else in this program opens the real back-end.
    const std::string config =
        ::testing::TempDir() + "no-sound-device-" + std::to_string(getpid()) + ".conf";
    std::ofstream(config) << "[alsa]\ndevice = tessaly_no_such_device\n";
    setenv("ALSOFT_DRIVERS", "alsa", 1);
    setenv("ALSOFT_CONF", config.c_str(), 1);
    unsetenv("ALSOFT_LOGLEVEL");
    s_log.Clear();
    ::testing::internal::CaptureStderr();
    SoundDevice* device = SoundDevice::GetInstance();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), kNoOutput + "\n");
    std::remove(config.c_str());
    EXPECT_EQ(s_log.Lines(), Calls{kNoOutput});
    s_log.Clear();
    EXPECT_EQ(device->LoadSample(kClickFile, false), nullptr);
    EXPECT_EQ(device->LoadSample(kClickFile, true), nullptr);
    EXPECT_EQ(device->PlaySound(nullptr), nullptr);
    for (int frame = 0; frame < 3; ++frame)
        device->Update();
    device->Shutdown();
    EXPECT_EQ(s_log.Lines(), Calls(3, kUninitialized)) << "no line every frame";
}

} // namespace
