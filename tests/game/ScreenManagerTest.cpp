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

using TuioTest::CursorBundle;

/// The texts of the text actors in the World, with their positions.
std::vector<std::pair<String, Vector2>> TextsInWorld()
{
    std::vector<std::pair<String, Vector2>> texts;
    World* world = World::GetInstance();
    for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
        if (auto* text = dynamic_cast<TextActor*>(*it))
            texts.emplace_back(text->GetDisplayString(), text->GetPosition());
    return texts;
}

/// Records the touch messages it receives (or only counts them): name, session and x of the
/// cursor each carries, which must be a copy, not the client's own cursor.
class TouchRecorder : public MessageListener
{
public:
    struct Touch
    {
        String name;
        long sessionID;
        float x;
    };

    TouchRecorder(TUIO::TuioClient* client, bool keep) : m_client(client), m_keep(keep)
    {
        for (const char* name : {"TuioCursorAdded", "TuioCursorUpdated", "TuioCursorRemoved"})
            Switchboard::GetInstance()->SubscribeTo(this, name);
    }
    ~TouchRecorder() { Switchboard::GetInstance()->UnsubscribeFromAll(this); }

    void ReceiveMessage(Message* message) override
    {
        ++count;
        const auto* touch = dynamic_cast<TuioCursorMessage*>(message);
        ASSERT_NE(touch, nullptr) << message->GetMessageName();
        EXPECT_EQ(touch->GetSender(), nullptr);
        const TUIO::TuioCursor* cursor = touch->GetValue();
        m_client->lockCursorList();
        EXPECT_NE(cursor, m_client->getTuioCursor(cursor->getSessionID()));
        m_client->unlockCursorList();
        if (m_keep)
            received.push_back({message->GetMessageName(), cursor->getSessionID(), cursor->getX()});
    }

    std::vector<Touch> received;
    int count = 0;

private:
    TUIO::TuioClient* m_client;
    bool m_keep;
};

using ScreenManagerTest = GameTest;

} // namespace

TEST_F(ScreenManagerTest, ScreensFollowInOrderWithAClickPerStepAndHints)
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
    Deliver({"MoveBackwards"});
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 0) << "nothing before the first screen";
    EXPECT_EQ(CountingSoundSystem::s_plays, 0) << "and no click";

    for (int i = 1; i <= 6; ++i)
    {
        Deliver({"MoveForwards"});
        ASSERT_EQ(manager->GetCurrentScreenIndex(), i);
        EXPECT_EQ(CountingSoundSystem::s_plays, i);
        if (i < 6)
        {
            EXPECT_STREQ(manager->GetHint().text, "[A/Space]: Next [Back/Minus]: Previous");
            EXPECT_EQ(manager->GetHint().x, 680);
        }
    }
    EXPECT_STREQ(manager->GetHint().text, "[Back/Minus]: Previous");
    EXPECT_EQ(manager->GetHint().x, 824);
    EXPECT_EQ(TextsInWorld().size(), 2u) << "only the farewell texts are left";
    Deliver({"MoveForwards"});
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 6) << "nothing after the last screen";
    EXPECT_EQ(CountingSoundSystem::s_plays, 6) << "and no click";
    Deliver({"MoveBackwards"});
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 5);
    EXPECT_EQ(CountingSoundSystem::s_plays, 7);

    // The hint is drawn in grey on the bottom line, towards the right edge.
    // The World renders its game manager after the layers; it would keep this one for good.
    world->Add(new DrawHook([this] { manager->Render(); }), 10);
    const Picture picture = Shoot();
    const Picture::Box grey = picture.Find(128, 128, 128);
    EXPECT_GE(grey.left, 675);
    EXPECT_LE(grey.bottom, 767);
    EXPECT_GE(grey.top, 740);
}

TEST_F(ScreenManagerTest, ThreeMoveForwardsInOnePassAdvanceThreeScreens)
{
    Deliver({"MoveForwards", "MoveForwards", "MoveForwards"});
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 3);
    EXPECT_EQ(CountingSoundSystem::s_plays, 3);
    ASSERT_NE(Running<TuioScreenSheeps>(), nullptr);
    EXPECT_TRUE(Running<TuioScreenSheeps>()->IsActive());
    for (int i : {1, 2})
        EXPECT_FALSE(dynamic_cast<TuioScreenSheeps*>(manager->GetScreens()[i])->IsActive());
}

TEST_F(ScreenManagerTest, RestartPrintsAndRecreatesTheTexts)
{
    const auto startTexts = TextsInWorld();
    ASSERT_EQ(startTexts.size(), 5u);
    EXPECT_EQ(startTexts[0].first, "Welcome. This is a first alpha of the game 'Flockmar'.");
    EXPECT_EQ(startTexts[4].second, Vector2(0.0f, -7.0f));

    testing::internal::CaptureStdout();
    Deliver({"Restart"});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "restarting\n");
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 0);
    EXPECT_EQ(CountingSoundSystem::s_plays, 0) << "a restart does not click";
    EXPECT_EQ(TextsInWorld(), startTexts) << "the same texts, once each";

    Deliver({"MoveForwards", "MoveForwards", "MoveForwards", "MoveForwards", "MoveForwards",
             "MoveForwards"});
    testing::internal::CaptureStdout();
    Deliver({"Restart"});
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "restarting\n");
    const auto byeTexts = TextsInWorld();
    ASSERT_EQ(byeTexts.size(), 2u);
    EXPECT_EQ(byeTexts[0],
              std::make_pair(String("That's all we've got in the demo app."), Vector2(0.0f, 3.5f)));
    EXPECT_EQ(byeTexts[1], std::make_pair(String("Press Esc to exit."), Vector2(0.0f, -1.0f)));
}

TEST_F(ScreenManagerTest, TouchesBecomeMessagesWithTheirOwnCursorCopies)
{
    TouchRecorder recorder(touches.client.get(), true);
    const float left = 0.0f; // the manager sends nothing for a cursor at exactly this x
    touches.TraceOf({CursorBundle({5}, {{5, left, 0.5f}}, 1)});
    touches.TraceOf({CursorBundle({5}, {{5, 0.25f, 0.5f}}, 2)});
    touches.TraceOf({CursorBundle({5, 6}, {{6, 0.75f, 0.5f}}, 3)});
    touches.TraceOf({CursorBundle({6}, {{6, left, 0.5f}}, 4)});
    touches.TraceOf({CursorBundle({}, {}, 5)});
    Switchboard::GetInstance()->SendAllMessages();

    ASSERT_EQ(recorder.received.size(), 3u);
    EXPECT_EQ(recorder.received[0].name, "TuioCursorUpdated") << "5 moved off x = 0";
    EXPECT_EQ(recorder.received[0].x, 0.25f);
    EXPECT_EQ(recorder.received[1].name, "TuioCursorAdded");
    EXPECT_EQ(recorder.received[1].sessionID, 6);
    EXPECT_EQ(recorder.received[2].name, "TuioCursorRemoved");
    EXPECT_EQ(recorder.received[2].sessionID, 5);
}

// Run under AddressSanitizer, a copy left behind is also reported as a leak at exit.
TEST_F(ScreenManagerTest, TenThousandTouchesLeaveNoCursorCopyBehind)
{
    Deliver({"MoveForwards"});                             // a herding screen barks at every touch
    touches.client->removeTuioListener(&touches.listener); // it would keep every event
    TouchRecorder recorder(touches.client.get(), false);
    const IpEndpointName sender;
    auto process = [&](const std::vector<char>& datagram)
    { touches.client->ProcessPacket(datagram.data(), static_cast<int>(datagram.size()), sender); };

    const size_t heapBefore = mallinfo2().uordblks;
    int frame = 100;
    for (int touch = 1; touch <= 10000; ++touch)
    {
        process(CursorBundle({touch}, {{touch, 0.3f, 0.6f}}, ++frame));
        process(CursorBundle({touch}, {{touch, 0.35f, 0.55f}}, ++frame));
        process(CursorBundle({}, {}, ++frame));
        if (touch % 50 == 0)
            Switchboard::GetInstance()->SendAllMessages();
    }
    Switchboard::GetInstance()->SendAllMessages();
    EXPECT_EQ(recorder.count, 30000);
    // A cursor copy takes over 100 bytes: 30,000 left behind would be several megabytes.
    EXPECT_LT(mallinfo2().uordblks - std::min(heapBefore, mallinfo2().uordblks), 512u * 1024u);
}
