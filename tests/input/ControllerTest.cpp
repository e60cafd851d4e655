#include "engine/input/Controller.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

namespace
{

TEST(ControllerManager, BadIndicesLogAndGiveNull)
{
    ControllerManager* manager = ControllerManager::GetInstance();
    EXPECT_EQ(manager, ControllerManager::GetInstance());
    LogCapture::Get().Clear();
    EXPECT_EQ(manager->GetController(2), nullptr);
    EXPECT_EQ(manager->GetController(-1), nullptr);
    EXPECT_EQ(LogCapture::Get().Count("ERROR: Bad controller index."), 2);

    LogCapture::Get().Clear();
    ASSERT_NE(manager->GetController(0), nullptr);
    ASSERT_NE(manager->GetController(1), nullptr);
    EXPECT_NE(manager->GetController(0), manager->GetController(1));
    EXPECT_EQ(manager->GetController(0)->GetControllerID(), 0);
    EXPECT_EQ(manager->GetController(1)->GetControllerID(), 1);
    EXPECT_TRUE(LogCapture::Get().Lines().empty());
}

TEST(ControllerManager, WithoutADeviceEverythingReadsZero)
{
    ControllerManager* manager = ControllerManager::GetInstance();
    manager->InitializeAll();
    manager->PollAll();
    for (int index : {0, 1})
    {
        Controller* pad = manager->GetController(index);
        ASSERT_NE(pad, nullptr);
        pad->SetLeftVibration(40000);
        pad->SetRightVibrationRaw(65535);
        manager->PollAll();

        EXPECT_FALSE(pad->IsConnected());
        const ControllerInput state = pad->GetState();
        EXPECT_EQ(state.LeftThumbstickX | state.LeftThumbstickY | state.RightThumbstickX |
                      state.RightThumbstickY | state.LeftTriggerValue | state.RightTriggerValue,
                  0);
        EXPECT_EQ(state.Buttons, 0u);
        EXPECT_EQ(pad->GetLeftThumbstick().X, 0);
        EXPECT_EQ(pad->GetRightThumbstick().Y, 0);
        EXPECT_EQ(pad->GetLeftThumbVec2(), Vector2(0.0f, 0.0f));
        EXPECT_EQ(pad->GetRightThumbVec2(), Vector2(0.0f, 0.0f));
        EXPECT_EQ(pad->GetLeftTrigger(), 0);
        EXPECT_EQ(pad->GetRightTrigger(), 0);
        EXPECT_FALSE(pad->IsButtonDown(0xFFFFFFFFu));
        EXPECT_FALSE(pad->IsAButtonDown() || pad->IsBButtonDown() || pad->IsXButtonDown() ||
                     pad->IsYButtonDown() || pad->IsStartButtonDown() || pad->IsBackButtonDown() ||
                     pad->IsLeftThumbstickButtonDown() || pad->IsRightThumbstickButtonDown() ||
                     pad->IsLeftBumperDown() || pad->IsRightBumperDown() ||
                     pad->IsLeftTriggerPressed() || pad->IsRightTriggerPressed());
        EXPECT_EQ(pad->GetLeftVibration(), 0u);
        EXPECT_EQ(pad->GetRightVibration(), 0u);
    }
}

} // namespace
