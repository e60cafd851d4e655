// The real back-end on a machine without any output device.
#include "engine/sound/SoundDevice.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include <unistd.h>

TEST(SoundWithoutOutput, OneEngineLineNoLibraryNoiseAndEveryLaterCallQuiet)
{
    const String noOutput = "WARNING: Sound is off - no sound output could be started: Error "
                            "initializing output device.";
    // ALSA output to a device that exists nowhere fails as on a machine without a sound card,
    // whatever this one has, and makes ALSA and OpenAL Soft print their own errors unless they
    // are kept quiet. Nothing else in this program opens the real back-end.
    const std::string config =
        ::testing::TempDir() + "no-sound-device-" + std::to_string(getpid()) + ".conf";
    std::ofstream(config) << "[alsa]\ndevice = tessaly_no_such_device\n";
    setenv("ALSOFT_DRIVERS", "alsa", 1);
    setenv("ALSOFT_CONF", config.c_str(), 1);
    unsetenv("ALSOFT_LOGLEVEL");
    LogCapture::Get().Clear();
    ::testing::internal::CaptureStderr();
    SoundDevice* device = SoundDevice::GetInstance();
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), noOutput + "\n");
    std::remove(config.c_str());
    EXPECT_EQ(LogCapture::Get().Take(), StringList{noOutput});
    EXPECT_EQ(device->LoadSample("Resources/Sounds/click.ogg", false), nullptr);
    EXPECT_EQ(device->LoadSample("Resources/Sounds/click.ogg", true), nullptr);
    EXPECT_EQ(device->PlaySound(nullptr), nullptr);
    for (int frame = 0; frame < 3; ++frame)
        device->Update();
    device->Shutdown();
    EXPECT_EQ(LogCapture::Get().Take(), StringList{}) << "the warning said it all";
}
