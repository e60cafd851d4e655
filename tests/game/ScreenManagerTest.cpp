// Needs an X display (run under Xvfb).
#include "engine/actors/TextActor.h"
#include "game/TuioCursorMessage.h"
#include "game/TuioScreenByeBye.h"
#include "game/TuioScreenSheeps.h"
#include "game/TuioScreenStart.h"
#include "tests/game/GameTestSupport.h"

#include <oscpack/ip/IpEndpointName.h>

#include <malloc.h>

namespace
{

using Texts = std::vector<std::pair<String, Vector2>>;

Texts TextsInWorld()
{
    Texts texts;
    World* world = World::GetInstance();
    for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
        if (auto* text = dynamic_cast<TextActor*>(*it))
            texts.emplace_back(text->GetDisplayString(), text->GetPosition());
    return texts;
}

/// Records the touch messages: "<name> <session> <x>"; each must carry a cursor of its own,
/// not the client's.
class TouchRecorder : public MessageListener
{
public:
    explicit TouchRecorder(TUIO::TuioClient* client) : m_client(client)
    {
        for (const char* name : {"TuioCursorAdded", "TuioCursorUpdated", "TuioCursorRemoved"})
            Switchboard::GetInstance()->SubscribeTo(this, name);
    }
    ~TouchRecorder() { Switchboard::GetInstance()->UnsubscribeFromAll(this); }

    void ReceiveMessage(Message* message) override
    {
        const auto* touch = dynamic_cast<TuioCursorMessage*>(message);
        ASSERT_TRUE(touch && touch->GetSender() == nullptr) << message->GetMessageName();
        const TUIO::TuioCursor* cursor = touch->GetValue();
        m_client->lockCursorList();
        EXPECT_NE(cursor, m_client->getTuioCursor(cursor->getSessionID()));
        m_client->unlockCursorList();
        if (keep)
            received.push_back(message->GetMessageName() + " " +
                               std::to_string(cursor->getSessionID()) + " " +
                               std::to_string(cursor->getX()).substr(0, 4));
        ++count;
    }

    StringList received;
    bool keep = true;
    int count = 0;

private:
    TUIO::TuioClient* m_client;
};

using ScreenManagerTest = GameTest;

} // namespace

TEST_F(ScreenManagerTest, ScreensFollowInOrderWithAClickPerStepAndTheirHints)
{
    const ScreenManager::ScreenList& screens = manager->GetScreens();
    ASSERT_EQ(screens.size(), 7u);
    EXPECT_NE(dynamic_cast<TuioScreenStart*>(screens[0]), nullptr);
    const char* levels[] = {"bush_level1", "sheeps_level1", "sheeps_level2", "sheeps_level3",
                            "sheeps_level4"};
    for (int i = 0; i < 5; ++i)
    {
        auto* level = dynamic_cast<TuioScreenSheeps*>(screens[i + 1]);
        ASSERT_NE(level, nullptr) << i;
        EXPECT_EQ(level->GetLevelName(), levels[i]);
    }
    EXPECT_NE(dynamic_cast<TuioScreenByeBye*>(screens[6]), nullptr);

    EXPECT_EQ(manager->GetCurrentScreenIndex(), 0);
    EXPECT_STREQ(manager->GetHint().text, "[A/Space]: Next");
    EXPECT_EQ(manager->GetHint().x, 887);
    Tick({"MoveBackwards"});
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 0) << "nothing before the first screen";
    EXPECT_EQ(CountingSoundSystem::s_plays, 0) << "and no click";
    for (int i = 1; i <= 6; ++i)
    {
        Tick({"MoveForwards"});
        ASSERT_EQ(manager->GetCurrentScreenIndex(), i);
        EXPECT_EQ(CountingSoundSystem::s_plays, i);
        if (i < 6)
        {
            EXPECT_STREQ(manager->GetHint().text, "[A/Space]: Next [Back/Minus]: Previous");
        }
    }
    EXPECT_STREQ(manager->GetHint().text, "[Back/Minus]: Previous");
    EXPECT_EQ(manager->GetHint().x, 824);
    // Grey, on the bottom line, ending near the right edge. (The World would keep a game
    // manager for good, so the test draws it.)
    world->Add(new DrawHook([this] { manager->Render(); }), 10);
    const Picture picture = Shoot();
    int left = 1024, right = -1;
    for (int y = 730; y < 768; ++y)
        for (int x = 0; x < 1024; ++x)
            if (picture.At(x, y).Is(128, 128, 128, 30))
                left = std::min(left, x), right = std::max(right, x);
    EXPECT_NEAR(left, 824, 3);
    EXPECT_NEAR(right, 1020, 6);

    Tick({"MoveForwards"});
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 6) << "nothing after the last screen";
    EXPECT_EQ(CountingSoundSystem::s_plays, 6) << "and no click";
    Tick({"MoveBackwards"});
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 5);
    EXPECT_EQ(CountingSoundSystem::s_plays, 7);
    EXPECT_EQ(manager->GetHint().x, 680);
}

TEST_F(ScreenManagerTest, RestartRecreatesTextsAndStepsInOnePassAllCount)
{
    const Texts start = TextsInWorld();
    ASSERT_EQ(start.size(), 5u);
    EXPECT_EQ(start[0].first, "Welcome. This is a first alpha of the game 'Flockmar'.");
    EXPECT_EQ(start[4].second, Vector2(0.0f, -7.0f));
    testing::internal::CaptureStdout();
    Tick({"Restart"});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "restarting\n");
    EXPECT_EQ(TextsInWorld(), start) << "the same texts, once each";

    Tick({"MoveForwards", "MoveForwards", "MoveForwards"});
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 3);
    EXPECT_EQ(CountingSoundSystem::s_plays, 3);
    for (int i : {1, 2, 3})
        EXPECT_EQ(dynamic_cast<TuioScreenSheeps*>(manager->GetScreens()[i])->IsActive(), i == 3);

    Tick({"MoveForwards", "MoveForwards", "MoveForwards"});
    testing::internal::CaptureStdout();
    Tick({"Restart"});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "restarting\n");
    EXPECT_EQ(CountingSoundSystem::s_plays, 6) << "a restart does not click";
    EXPECT_EQ(TextsInWorld(), (Texts{{"That's all we've got in the demo app.", {0.0f, 3.5f}},
                                     {"Press Esc to exit.", {0.0f, -1.0f}}}));
}

TEST_F(ScreenManagerTest, TouchesBecomeMessagesExceptAtTheLeftEdge)
{
    TouchRecorder recorder(touches.client.get());
    const float edge = 0.0f;
    ASSERT_TRUE(Touch({5}, {{5, edge, 0.5f}}));
    ASSERT_TRUE(Touch({5}, {{5, 0.25f, 0.5f}}));
    ASSERT_TRUE(Touch({5, 6}, {{6, 0.75f, 0.5f}}));
    ASSERT_TRUE(Touch({6}, {{6, edge, 0.5f}}));
    ASSERT_TRUE(Touch({}, {}));
    Switchboard::GetInstance()->SendAllMessages();
    EXPECT_EQ(recorder.received, (StringList{"TuioCursorUpdated 5 0.25", "TuioCursorAdded 6 0.75",
                                             "TuioCursorRemoved 5 0.25"}));
}

// Under AddressSanitizer a copy left behind is also reported as a leak at exit.
TEST_F(ScreenManagerTest, TenThousandTouchesLeaveNoCursorCopyBehind)
{
    Tick({"MoveForwards"});                                // a herding screen barks at every touch
    touches.client->removeTuioListener(&touches.listener); // it would keep every event
    TouchRecorder recorder(touches.client.get());
    recorder.keep = false;
    auto process = [this](const std::vector<char>& datagram)
    {
        touches.client->ProcessPacket(datagram.data(), static_cast<int>(datagram.size()),
                                      IpEndpointName());
    };
    const size_t heapBefore = mallinfo2().uordblks;
    for (int touch = 1, frame = 1; touch <= 10000; ++touch)
    {
        process(TuioTest::CursorBundle({touch}, {{touch, 0.3f, 0.6f}}, ++frame));
        process(TuioTest::CursorBundle({touch}, {{touch, 0.35f, 0.55f}}, ++frame));
        process(TuioTest::CursorBundle({}, {}, ++frame));
        if (touch % 50 == 0)
            Switchboard::GetInstance()->SendAllMessages();
    }
    EXPECT_EQ(recorder.count, 30000);
    // A copy takes over 100 bytes: 30,000 left behind would come to megabytes.
    EXPECT_LT(mallinfo2().uordblks, heapBefore + 512 * 1024);
}
