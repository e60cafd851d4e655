// A machine without sound output: the device comes up without one and the game goes on silently.
#include "engine/sound/SoundDevice.h"
#include "tests/sound/SoundTestSupport.h"

#include <gtest/gtest.h>

namespace
{

TEST(SoundWithoutOutput, EveryCallIsLoggedOrQuietAndNothingBreaks)
{
    // No backend of that name exists, so no device opens, as on a machine without a sound card.
    UseOpenALDrivers("no-such-output");
    std::vector<std::string>& log = RecordingLog::Installed().lines;
    log.clear();

    SoundDevice* device = SoundDevice::GetInstance();
    EXPECT_TRUE(log.empty()) << "the first initialisation result is not reported";

    EXPECT_EQ(device->LoadSample(kClickFile, false), nullptr);
    EXPECT_EQ(device->LoadSample(kClickFile, true), nullptr);
    EXPECT_EQ(device->PlaySound(nullptr), nullptr);
    const std::string uninitialized = "FMOD error! (79) This command failed because "
                                      "System::init or System::setDriver was not called.\n";
    EXPECT_EQ(log, (std::vector<std::string>{uninitialized, uninitialized, uninitialized}));

    // Nothing to pump: no line every frame.
    log.clear();
    for (int frame = 0; frame < 3; ++frame)
        device->Update();
    EXPECT_TRUE(log.empty());
    device->Shutdown();
    EXPECT_TRUE(log.empty());
}

} // namespace
