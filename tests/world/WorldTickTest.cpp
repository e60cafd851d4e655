#include <gtest/gtest.h>

#include "engine/messaging/Switchboard.h"
#include "tests/world/WorldTestSupport.h"

namespace
{

class Listener : public MessageListener
{
public:
    explicit Listener(std::vector<std::string>* journal) : m_journal(journal) {}
    void ReceiveMessage(Message* message) override
    {
        m_journal->push_back("message " + message->GetMessageName());
    }

private:
    std::vector<std::string>* m_journal;
};

class WorldTickTest : public WorldFixture
{
};

} // namespace

TEST_F(WorldTickTest, FrameTimesAreClampedToZeroToOneSecond)
{
    clock.Advance(0.25);
    EXPECT_FLOAT_EQ(world->CalculateNewDT(), 0.25f);

    clock.Advance(3.0); // a long pause advances the world by exactly one second
    EXPECT_FLOAT_EQ(world->CalculateNewDT(), 1.0f);
    EXPECT_FLOAT_EQ(world->GetDT(), 1.0f);

    clock.Advance(-2.0); // a timer that runs backwards gives no time at all
    EXPECT_FLOAT_EQ(world->CalculateNewDT(), 0.0f);

    clock.Advance(0.5); // measured from the last reading, not from the highest
    EXPECT_FLOAT_EQ(world->CalculateNewDT(), 0.5f);
}

TEST_F(WorldTickTest, FirstFrameMeasuresFromWhenTheClockWasInstalled)
{
    // Installing the clock reads it, as Initialize does; the first tick's dt covers everything
    // that happened since.
    clock.Set(50.0);
    world->SetClock(&clock);
    auto* probe = new Probe("p", &journal);
    world->Add(probe);
    clock.Advance(0.4);
    world->Tick(true);
    EXPECT_FLOAT_EQ(probe->lastDt, 0.4f);
    EXPECT_FLOAT_EQ(world->GetCurrentTimeSeconds(), 50.4f);
}

TEST_F(WorldTickTest, CurrentTimeIsConstantWithinAFrame)
{
    auto* early = new Probe("early", &journal);
    auto* late = new Probe("late", &journal);
    float seenEarly = 0.0f, seenLate = 0.0f;
    early->onUpdate = [&] {
        seenEarly = world->GetCurrentTimeSeconds();
        clock.Advance(0.3); // time passes during the frame
    };
    late->onUpdate = [&] { seenLate = world->GetCurrentTimeSeconds(); };
    world->Add(early);
    world->Add(late);

    clock.Set(200.0);
    world->Tick(true);
    EXPECT_FLOAT_EQ(seenEarly, 200.0f);
    EXPECT_FLOAT_EQ(seenLate, 200.0f);

    world->Tick(true); // the time spent inside the last frame counts for the next one
    EXPECT_FLOAT_EQ(early->lastDt, 0.3f);
}

TEST_F(WorldTickTest, WithoutSimulationOnlyTheManagerRuns)
{
    Listener listener(&journal);
    Switchboard::GetInstance()->SubscribeTo(&listener, "Queued");
    auto* probe = new Probe("p", &journal);
    world->Add(probe);
    const int updatesBefore = gameManager()->updates;

    Switchboard::GetInstance()->Broadcast(new Message("Queued"));
    clock.Advance(0.1);
    world->Tick(false);
    EXPECT_EQ(gameManager()->updates, updatesBefore + 1);
    EXPECT_TRUE(journal.empty()) << "no delivery and no renderable update without simulation";

    world->Tick(true);
    EXPECT_EQ(journal, (std::vector<std::string>{"message Queued", "p.update"}));
    Switchboard::GetInstance()->UnsubscribeFrom(&listener, "Queued");
}

TEST_F(WorldTickTest, GameStartArrivesInTheFirstFrameAfterEarlierMessagesBeforeAnyUpdate)
{
    Listener listener(&journal);
    Switchboard* board = Switchboard::GetInstance();
    board->SubscribeTo(&listener, "CameraChange");
    board->SubscribeTo(&listener, "GameStart");
    auto* probe = new Probe("p", &journal);
    world->Add(probe);

    board->Broadcast(new Message("CameraChange")); // as the initial resize does
    // Without a window the loop does not run: StartGame only queues "GameStart".
    world->StartGame();
    EXPECT_TRUE(journal.empty());
    world->StartGame(); // a second start does nothing, not even a second "GameStart"

    Frame();
    EXPECT_EQ(journal, (std::vector<std::string>{"message CameraChange", "message GameStart",
                                                 "p.update"}));
    Frame();
    EXPECT_EQ(journal.back(), "p.update");
    EXPECT_EQ(journal.size(), 4u);

    board->UnsubscribeFrom(&listener, "CameraChange");
    board->UnsubscribeFrom(&listener, "GameStart");
}

TEST_F(WorldTickTest, DeferredMessageIsBroadcastAtFrameEndAndDeliveredNextFrame)
{
    Listener listener(&journal);
    Switchboard* board = Switchboard::GetInstance();
    board->SubscribeTo(&listener, "Later");
    board->DeferredBroadcast(new Message("Later"), 2.0f);

    Frame(1.0);
    Frame(0.9);
    EXPECT_TRUE(journal.empty());
    Frame(0.2); // 2.1 s have passed at the end of this frame: broadcast now ...
    EXPECT_TRUE(journal.empty());
    Frame(0.01); // ... and delivered at the start of the next
    EXPECT_EQ(journal, (std::vector<std::string>{"message Later"}));
    board->UnsubscribeFrom(&listener, "Later");
}

TEST_F(WorldTickTest, OnlyOneGameManagerIsAccepted)
{
    GameManager* first = world->GetGameManager();
    ASSERT_NE(first, nullptr);
    TestGameManager second;
    testing::internal::CaptureStderr();
    world->SetGameManager(&second);
    world->SetGameManager(nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err, "ERROR: Can only have one game manager!\nERROR: Can only have one game "
                   "manager!\n");
    EXPECT_EQ(world->GetGameManager(), first);
}

TEST_F(WorldTickTest, DestroyedGameManagerLeavesNoSubscription)
{
    Switchboard* board = Switchboard::GetInstance();
    {
        TestGameManager manager;
        board->SubscribeTo(&manager, "MoveForwards");
        board->SubscribeTo(&manager, "Restart");
    }
    EXPECT_TRUE(board->GetSubscribersTo("MoveForwards").empty());
    EXPECT_TRUE(board->GetSubscribersTo("Restart").empty());
}

TEST(RenderableTest, DestroyRunsTheHookOnce)
{
    std::vector<std::string> journal;
    Probe probe("p", &journal);
    EXPECT_FALSE(probe.IsDestroyed());
    probe.Destroy();
    probe.Destroy();
    EXPECT_TRUE(probe.IsDestroyed());
    EXPECT_EQ(journal, (std::vector<std::string>{"p.predestroy"}));
}

// Every test in this binary shares the one game manager the world accepts.
class GameManagerEnvironment : public ::testing::Environment
{
public:
    void SetUp() override { World::GetInstance()->SetGameManager(new TestGameManager()); }
};
testing::Environment* const kGameManagerEnvironment =
    testing::AddGlobalTestEnvironment(new GameManagerEnvironment);
