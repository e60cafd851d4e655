// Needs an X display (run under Xvfb).
#include "engine/actors/TextActor.h"
#include "game/ScreenMessages.h"
#include "game/TuioScreenByeBye.h"
#include "game/TuioScreenSheeps.h"
#include "game/TuioScreenStart.h"
#include "game/prototypes/DragScreen.h"
#include "game/prototypes/PrototypesManager.h"
#include "game/prototypes/TuioScreenLeveleditorSheeps.h"
#include "tests/game/GameTestSupport.h"
#include "tests/support/LogCapture.h"
#include "tests/support/MessageRecorder.h"

#include <oscpack/ip/IpEndpointName.h>

#include <algorithm>
#include <malloc.h>
#include <map>

namespace
{

class ScreenManagerTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        StartManager();
    }
    StringList Texts()
    {
        StringList texts;
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            if (auto* text = dynamic_cast<TextActor*>(*it))
                texts.push_back(text->GetDisplayString() + " @" +
                                std::to_string(text->GetPosition().Y).substr(0, 4));
        return texts;
    }
};

} // namespace

TEST_F(ScreenManagerTest, ScreensFollowInOrderWithClicksHintsAndFreshTextsAndTouchesAreCopied)
{
    const ScreenManager::ScreenList& screens = manager->GetScreens();
    ASSERT_EQ(screens.size(), 7u);
    EXPECT_TRUE(dynamic_cast<TuioScreenStart*>(screens[0]) &&
                dynamic_cast<TuioScreenByeBye*>(screens[6]));
    String levels;
    for (int i = 1; i <= 5; ++i)
        levels += static_cast<TuioScreenSheeps*>(screens[i])->GetLevelName() + " ";
    EXPECT_EQ(levels, "bush_level1 sheeps_level1 sheeps_level2 sheeps_level3 sheeps_level4 ");

    const StringList start = Texts();
    ASSERT_EQ(start.size(), 5u);
    testing::internal::CaptureStdout();
    Tick({"Restart"});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "restarting\n");
    EXPECT_EQ(Texts(), start) << "the same texts, once each";

    // Each step of a pass clicks; steps off either end and restarts do nothing and no click.
    const String next = "[A/Space]: Next", back = "[Back/Minus]: Previous",
                 both = next + " " + back;
    const struct
    {
        std::vector<const char*> messages;
        int screen, clicks;
        String hint;
        int x;
    } steps[] = {
        {{"MoveBackwards"}, 0, 0, next, 887},
        {{"MoveForwards"}, 1, 1, both, 680},
        {{"MoveBackwards"}, 0, 2, next, 887},
        {{"MoveForwards", "MoveForwards", "MoveForwards"}, 3, 5, both, 680},
        {{"MoveForwards", "MoveForwards", "MoveForwards", "MoveForwards"}, 6, 8, back, 824},
        {{"MoveBackwards", "MoveForwards", "Restart"}, 6, 10, back, 824}};
    for (const auto& step : steps)
    {
        Tick(step.messages);
        EXPECT_EQ(manager->GetCurrentScreenIndex(), step.screen);
        EXPECT_EQ(CountingSoundSystem::s_plays, step.clicks) << step.screen;
        EXPECT_EQ(manager->GetHint().text, step.hint);
        EXPECT_EQ(manager->GetHint().x, step.x);
    }
    EXPECT_EQ(Texts(), (StringList{"That's all we've got in the demo app. @3.50",
                                   "Press Esc to exit. @-1.0"}));

    // Touches become messages carrying copies of their own (leak-checked), except at x = 0.0.
    touches->client->removeTuioListener(&touches->listener); // it would keep every event
    MessageRecorder recorder({kDown, kMove, kUp});
    recorder.onReceive = [this](Message* message)
    {
        const TUIO::TuioCursor* cursor = CursorOf(message);
        ASSERT_TRUE(cursor && !message->GetSender()) << message->GetMessageName();
        EXPECT_NE(cursor, touches->client->getTuioCursor(cursor->getSessionID())) << "a copy";
    };
    const size_t heapBefore = mallinfo2().uordblks;
    std::map<String, int> delivered;
    // Each touch is added, moved and lifted; every tenth is added at x = 0.0 exactly.
    for (int touch = 1, frame = 1; touch <= 10000; ++touch)
    {
        for (const auto& bundle :
             {TuioTest::CursorBundle({touch}, {{touch, touch % 10 ? 0.3f : 0.0f, 0.6f}}, ++frame),
              TuioTest::CursorBundle({touch}, {{touch, 0.35f, 0.55f}}, ++frame),
              TuioTest::CursorBundle({}, {}, ++frame)})
            touches->client->ProcessPacket(bundle.data(), static_cast<int>(bundle.size()),
                                           IpEndpointName());
        if (touch % 50 == 0)
            for (const String& name : recorder.Deliver())
                ++delivered[name];
    }
    EXPECT_EQ(delivered, (std::map<String, int>{{kDown, 9000}, {kMove, 10000}, {kUp, 10000}}));
    // A copy takes over 100 bytes: 30,000 left behind would come to megabytes.
    EXPECT_LT(mallinfo2().uordblks, heapBefore + 512 * 1024);
}

// A key mashed, or bound to a switching message and pressed a thousand times a second, meets
// the cap: a frame obeys the first switches only, whichever they are, and the next frame obeys
// again.
TEST_F(ScreenManagerTest, AFrameObeysAtMostItsCapOfSwitchesAndTheNextFrameObeysAgain)
{
    const int cap = ScreenManager::kMaxSwitchesPerFrame;
    testing::internal::CaptureStdout();
    Tick(std::vector<const char*>(1000, "Restart"));
    const String restarts = testing::internal::GetCapturedStdout();
    EXPECT_EQ(std::count(restarts.begin(), restarts.end(), '\n'), cap);

    std::vector<const char*> forwardsFirst(1000, "MoveBackwards");
    std::fill_n(forwardsFirst.begin(), cap - 1, "MoveForwards");
    Tick(forwardsFirst);
    EXPECT_EQ(manager->GetCurrentScreenIndex(), cap - 2) << "three forwards, then one back";
    EXPECT_EQ(CountingSoundSystem::s_plays, cap);

    Tick({"MoveForwards", "MoveForwards"});
    EXPECT_EQ(manager->GetCurrentScreenIndex(), cap);
    EXPECT_EQ(CountingSoundSystem::s_plays, cap + 2);
    EXPECT_NE(Running<TuioScreenSheeps>(), nullptr) << "a level runs";

    // A clock that stands still (paused, or steps too small for its resolution) still ticks
    // frames: each obeys its own cap.
    Tick({}, 0.0);
    Tick(std::vector<const char*>(cap, "MoveBackwards"), 0.0);
    Tick(std::vector<const char*>(cap, "MoveForwards"), 0.0);
    EXPECT_EQ(manager->GetCurrentScreenIndex(), cap);
    EXPECT_EQ(CountingSoundSystem::s_plays, 3 * cap + 2);
}

// Python that a level load lets run (a script's thread, the level script itself) may ask the
// manager for a switch while a screen starts: the switch follows that start, and no screen is
// started inside its own start or left in the World beside the running one.
TEST_F(ScreenManagerTest, ASwitchAskedForWhileAScreenStartsFollowsThatStart)
{
    world->ScriptExec("import __main__\n"
                      "loads, plain = [], __main__.LoadLevel\n"
                      "def asking(name):\n"
                      "    loads.append(name)\n"
                      "    if len(loads) == 1:\n"
                      "        for each in Switchboard.GetInstance().GetSubscribersTo('Restart'):\n"
                      "            each.ReceiveMessage(Message('MoveForwards'))\n"
                      "    plain(name)\n"
                      "__main__.LoadLevel = asking\n");
    LogCapture::Get().Clear();
    Tick({"MoveForwards"});
    Tick();
    testing::internal::CaptureStdout();
    world->ScriptExec("print(loads)\n"
                      "__main__.LoadLevel = plain\n");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "['bush_level1', 'sheeps_level1']\n");
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 2);
    EXPECT_EQ(ScreensInWorld(), std::vector<Renderable*>{manager->GetScreens()[2]});
    EXPECT_EQ(Tagged("sheepdestroyer"), 2u) << "the fires of sheeps_level1 alone";
    EXPECT_EQ(LogCapture::Get().Lines(), StringList{});
}

// Both programs' screens: Stop takes away what the screen made (puffs end on their own), fingers
// of touches still down too, and restores gravity and the camera (herding and drag screens keep
// the edge blockers); a stopped screen ignores touches, and a second Start makes it afresh.
TEST_F(ScreenTest, EveryScreenTakesAwayWhatItMadeOnStopAndStartsAgain)
{
    ScreenManager::ScreenList screens = QuorvelManager::MakeScreens();
    for (TuioScreen* each : PrototypesManager::MakeScreens())
        screens.push_back(each);
    for (TuioScreen* each : screens)
    {
        if (dynamic_cast<TuioScreenLeveleditorSheeps*>(each))
        {
            delete each; // it saves into the working directory on Stop: tested on its own
            continue;
        }
        world->SetBlockers(false, 0.0f);
        Run(each);
        Touch(kDown, 1, 0.5f, 0.45f);
        for (int frame = 0; frame < 40; ++frame)
            Tick({}, 0.1);
        Stop();
        // The manager removes a screen as it stops it; a stopped screen still in the World
        // must stand still all the same.
        TuioCursorMessage touch(kDown, new TUIO::TuioCursor(TUIO::TuioTime(), 3, 3, 0.5f, 0.5f));
        each->ReceiveMessage(&touch);
        Tick({}, 1.0);
        world->Remove(each);
        Tick({}, 1.0);
        const int blockers =
            dynamic_cast<DragScreen*>(each) || dynamic_cast<TuioScreenSheeps*>(each) ? 4 : 0;
        EXPECT_EQ(PuffsAndOthers(), std::make_pair(0, blockers)) << typeid(*each).name();
        EXPECT_EQ(world->GetPhysicsWorld()->GetGravity(), b2Vec2(0.0f, 0.0f));
        EXPECT_EQ(Camera::GetInstance()->GetPosition(), Vector2(0.0f, 0.0f));
        Restart();
        world->Add(each, 0);
        Tick();
        EXPECT_GT(PuffsAndOthers().second, blockers) << "made afresh";
    }
}
