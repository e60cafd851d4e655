#include "tests/sound/SoundTestSupport.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace
{
bool s_insideUpdate = false;
const std::thread::id s_testThread = std::this_thread::get_id();
} // namespace

RecordingLog& RecordingLog::Installed()
{
    static RecordingLog* log = []
    {
        auto* created = new RecordingLog();
        GetSystemLog()->AddLog(created);
        return created;
    }();
    return *log;
}

void RecordingGameManager::SoundEnded(void* channel)
{
    ended.push_back(channel);
    if (!s_insideUpdate || std::this_thread::get_id() != s_testThread)
        ++endedOutsideUpdate;
}

void StartedSoundDevice::SetUp()
{
    Log().clear();
    device = SoundDevice::GetInstance();
    device->SetSoundCallback(&manager, &GameManager::SoundEnded);
    click = device->LoadSample(kClickFile, false);
    streamedClick = device->LoadSample(kClickFile, true);
    ASSERT_NE(click, nullptr);
    ASSERT_NE(streamedClick, nullptr);
    ASSERT_TRUE(Log().empty()) << Log().front();
}

void StartedSoundDevice::TearDown()
{
    if (device != nullptr)
        device->Shutdown();
    EXPECT_EQ(manager.endedOutsideUpdate, 0);
}

void UpdateSoundDevice()
{
    s_insideUpdate = true;
    SoundDevice::GetInstance()->Update();
    s_insideUpdate = false;
}

bool UpdateUntil(const std::function<bool()>& done, double seconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline)
    {
        UpdateSoundDevice();
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return false;
}

void UpdateFor(double seconds)
{
    UpdateUntil([] { return false; }, seconds);
}

std::string MakeTempDir()
{
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/tessaly-sound-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary directory");
    return pattern;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void UseOpenALDrivers(const char* drivers, const char* configFile)
{
    setenv("ALSOFT_DRIVERS", drivers, 1);
    if (configFile != nullptr)
        setenv("ALSOFT_CONF", configFile, 1);
    else
        unsetenv("ALSOFT_CONF");
}

// libsndfile 1.2 does not free the Vorbis stream information of an Ogg file whose headers are
// cut short; the tests open such files on purpose.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:vorbis_info_init\n";
}
