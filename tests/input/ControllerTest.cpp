#include "engine/input/Controller.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

TEST(ControllerManager, BadIndicesLogAndGiveNullAndEverythingReadsZero)
{
    ControllerManager* manager = ControllerManager::GetInstance();
    LogCapture::Get().Clear();
    EXPECT_TRUE(manager->GetController(2) == nullptr && manager->GetController(-1) == nullptr);
    EXPECT_EQ(LogCapture::Get().Take(), StringList(2, "ERROR: Bad controller index."));
    manager->InitializeAll();
    for (int index : {0, 1})
    {
        Controller* pad = manager->GetController(index);
        ASSERT_NE(pad, nullptr);
        pad->SetLeftVibration(40000);
        pad->SetRightVibrationRaw(65535);
        manager->PollAll();
        EXPECT_EQ(pad->GetControllerID(), index);
        EXPECT_EQ(pad->GetLeftThumbVec2() + pad->GetRightThumbVec2(), Vector2(0.0f, 0.0f));
        EXPECT_EQ(pad->GetLeftThumbstick().X | pad->GetRightThumbstick().Y | pad->GetLeftTrigger() |
                      pad->GetRightTrigger() | pad->GetState().Buttons | pad->GetLeftVibration() |
                      pad->GetRightVibration(),
                  0u);
        EXPECT_FALSE(pad->IsConnected() || pad->IsButtonDown(~0u) || pad->IsAButtonDown());
    }
    EXPECT_TRUE(LogCapture::Get().Lines().empty()) << "nothing for the good indices";
}
