#pragma once

#include "engine/console/Log.h"
#include "engine/sound/SoundDevice.h"
#include "engine/world/GameManager.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

/// Keeps every system log line. Added to the system log once and never removed.
class RecordingLog : public DeveloperLog
{
public:
    static RecordingLog& Installed();
    void Log(const String& line) override { lines.push_back(line); }
    std::vector<std::string> lines;
};

/// Records each SoundEnded call and whether it came from inside UpdateSoundDevice on the
/// thread that runs the tests.
class RecordingGameManager : public GameManager
{
public:
    void SoundEnded(void* channel) override;
    std::vector<void*> ended;
    int endedOutsideUpdate = 0;
};

/// A started device with `manager` registered for sound ends and the click loaded both decoded
/// and streamed. Shut down after each test; no end may arrive outside Update.
class StartedSoundDevice : public ::testing::Test
{
protected:
    void SetUp() override;
    void TearDown() override;
    static std::vector<std::string>& Log() { return RecordingLog::Installed().lines; }

    SoundDevice* device = nullptr;
    RecordingGameManager manager;
    SAMPLE_HANDLE click = nullptr;
    SAMPLE_HANDLE streamedClick = nullptr;
};

/// SoundDevice::Update, marked so RecordingGameManager can tell where its calls come from.
void UpdateSoundDevice();
/// Updates the device about 200 times a second until `done` or the deadline; true when done.
/// The device mixes in real time, so only waiting lets its sounds play.
bool UpdateUntil(const std::function<bool()>& done, double seconds);
void UpdateFor(double seconds);

/// A fresh directory under the system's temporary folder.
std::string MakeTempDir();
/// Writes `bytes` as the whole content of `path`.
void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

/// Sets OpenAL Soft's backend for this process before the first device opens.
void UseOpenALDrivers(const char* drivers, const char* configFile = nullptr);

constexpr const char* kClickFile = "Resources/Sounds/click.ogg";
