// The device's start-up against a scripted sound library, and the real back-end without any
// output device.
#include "engine/sound/SoundDevice.h"
#include "engine/world/GameManager.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <map>

namespace
{

using namespace sound;

const String kUninitialized = "FMOD error! (79) This command failed because System::init or "
                              "System::setDriver was not called.\n";

/// A scripted sound library that sound::CreateSystem hands out while it lives. It writes each
/// start-up call to `calls` ("Name arg ...") and answers the next result queued for its name in
/// `results`, else OK. Like the library, it creates sounds only after a successful Init.
class FakeSystem : public System
{
public:
    FakeSystem()
    {
        s_fake = this;
        SetSystemFactory([](System** system) { return s_fake->Create(system); });
    }
    ~FakeSystem() override { SetSystemFactory(nullptr); }

    Result GetVersion(unsigned int* out) override { return *out = version, Record("GetVersion"); }
    Result GetDriverCaps(int driver, Caps* outCaps, SpeakerMode* mode) override
    {
        *outCaps = caps;
        *mode = SPEAKERMODE_5POINT1;
        return Record("GetDriverCaps", driver);
    }
    Result SetSpeakerMode(SpeakerMode mode) override { return Record("SetSpeakerMode", mode); }
    Result SetDSPBufferSize(unsigned int length, int count) override
    {
        return Record("SetDSPBufferSize", int(length), count);
    }
    Result Init(int channels, InitFlags flags, void*) override
    {
        const Result result = Record("Init", channels, int(flags));
        m_initialized = result == OK;
        return result;
    }
    Result CreateSound(const char*, Mode, void*, Sound** sound) override
    {
        *sound = m_initialized ? reinterpret_cast<Sound*>(this) : nullptr;
        return m_initialized ? OK : ERR_UNINITIALIZED;
    }
    Result Update() override { return OK; }
    Result PlaySound(int, Sound*, bool, Channel**) override { return ERR_INVALID_PARAM; }
    Result Release() override { return OK; }
    Result ReleaseSound(Sound*) override { return OK; }
    Result SetChannelVolume(Channel*, float) override { return OK; }
    Result SetChannelPan(Channel*, float) override { return OK; }
    Result SetChannelPaused(Channel*, bool) override { return OK; }
    Result GetChannelPaused(Channel*, bool*) override { return OK; }
    Result IsChannelPlaying(Channel*, bool*) override { return OK; }
    Result StopChannel(Channel*) override { return OK; }
    Result SetChannelMode(Channel*, Mode) override { return OK; }
    Result SetChannelCallback(Channel*, ChannelCallbackType, ChannelCallback, int) override
    {
        return OK;
    }

    unsigned int version = 0x41600;
    Caps caps = CAPS_NONE;
    StringList calls;
    std::map<String, std::deque<Result>> results;

private:
    Result Create(System** system)
    {
        const Result result = Record("CreateSystem");
        *system = result == OK ? this : nullptr;
        return result;
    }
    template <typename... Args> Result Record(const char* name, Args... args)
    {
        calls.push_back((String(name) + ... + (" " + std::to_string(args))));
        std::deque<Result>& queued = results[name];
        const Result result = queued.empty() ? OK : queued.front();
        if (!queued.empty())
            queued.pop_front();
        return result;
    }

    static inline FakeSystem* s_fake = nullptr;
    bool m_initialized = false;
};

} // namespace

TEST(SoundDeviceStartUp, FollowsTheDriverChecksTheVersionAndRetriesOnceInStereo)
{
    const StringList normal = {"CreateSystem", "GetVersion", "GetDriverCaps 0", "SetSpeakerMode 5",
                               "Init 100 0"};
    StringList stereoRetry = normal;
    stereoRetry.insert(stereoRetry.end(), {"SetSpeakerMode 2", "Init 100 0"});
    const struct
    {
        const char* what;
        std::function<void(FakeSystem&)> script;
        StringList calls, log;
        bool loads;
    } cases[] = {
        {"the driver's speaker mode; the lowest version that passes",
         [](FakeSystem&) {},
         normal,
         {},
         true},
        {"an older version is refused",
         [](FakeSystem& l) { l.version = 0x415ff; },
         {"CreateSystem", "GetVersion"},
         {"Error! You are using an old version of FMOD 000415ff. This program requires "
          "00041600\n"},
         false},
        {"failing steps are logged (unknown codes too) and start-up goes on; an emulated driver "
         "gets large buffers before Init",
         [](FakeSystem& l)
         {
             l.version = 0x43a12;
             l.caps = CAPS_HARDWARE | CAPS_HARDWARE_EMULATED;
             l.results = {{"GetDriverCaps", {87}}, {"SetSpeakerMode", {88}}};
         },
         {"CreateSystem", "GetVersion", "GetDriverCaps 0", "SetSpeakerMode 5",
          "SetDSPBufferSize 1024 10", "Init 100 0"},
         {"FMOD error! (87) FSB mis-matches the FEV it was compiled with.\n",
          "FMOD error! (88) Unknown error.\n"},
         true},
        {"the first Init result is not logged; an unsupported speaker mode is retried",
         [](FakeSystem& l) {
             l.results = {{"Init", {ERR_OUTPUT_CREATEBUFFER}}};
         },
         stereoRetry,
         {},
         true},
        {"a second failure is logged and not retried",
         [](FakeSystem& l) {
             l.results = {{"Init", {ERR_OUTPUT_CREATEBUFFER, ERR_OUTPUT_CREATEBUFFER}}};
         },
         stereoRetry,
         {"FMOD error! (56) Error creating hardware sound buffer.\n"},
         false},
        {"other Init failures are not retried",
         [](FakeSystem& l) {
             l.results = {{"Init", {ERR_OUTPUT_INIT}}};
         },
         normal,
         {},
         false},
        {"without a library object every call only logs",
         [](FakeSystem& l) {
             l.results = {{"CreateSystem", {ERR_MEMORY}}};
         },
         {"CreateSystem"},
         {"FMOD error! (43) Not enough memory or resources.\n"},
         false},
    };
    for (const auto& c : cases)
    {
        FakeSystem library;
        c.script(library);
        LogCapture::Get().Clear();
        SoundDevice* device = SoundDevice::GetInstance();
        EXPECT_EQ(library.calls, c.calls) << c.what;
        EXPECT_EQ(LogCapture::Get().Take(), c.log) << c.what;
        EXPECT_EQ(device->LoadSample("a.ogg", false) != nullptr, c.loads) << c.what;
        EXPECT_EQ(LogCapture::Get().Take(), c.loads ? StringList{} : StringList{kUninitialized});
        device->Shutdown();
    }
}

TEST(SoundWithoutOutput, EveryCallIsLoggedOrQuietAndNothingBreaks)
{
    // No OpenAL Soft backend of that name exists, so no device opens, as on a machine without a
    // sound card. Nothing else in this program opens the real back-end.
    setenv("ALSOFT_DRIVERS", "no-such-output", 1);
    unsetenv("ALSOFT_CONF");
    LogCapture::Get().Clear();
    SoundDevice* device = SoundDevice::GetInstance();
    EXPECT_TRUE(LogCapture::Get().Lines().empty()) << "the first initialisation result is silent";
    EXPECT_EQ(device->LoadSample("Resources/Sounds/click.ogg", false), nullptr);
    EXPECT_EQ(device->LoadSample("Resources/Sounds/click.ogg", true), nullptr);
    EXPECT_EQ(device->PlaySound(nullptr), nullptr);
    for (int frame = 0; frame < 3; ++frame)
        device->Update();
    device->Shutdown();
    EXPECT_EQ(LogCapture::Get().Take(), StringList(3, kUninitialized)) << "no line every frame";
}
