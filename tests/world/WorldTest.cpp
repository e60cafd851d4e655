#include "engine/world/World.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/world/GameManager.h"
#include "engine/world/Renderable.h"
#include "tests/support/ManualClock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace
{

using Journal = StringList;

/// Writes "<name>.update", ".render", ".predestroy" and ".deleted" to a shared journal.
struct Probe : Renderable
{
    Probe(String name, Journal* journal) : m_name(std::move(name)), m_journal(journal) {}
    ~Probe() override { m_journal->push_back(m_name + ".deleted"); }
    void Update(float dt) override
    {
        lastDt = dt;
        m_journal->push_back(m_name + ".update");
        if (onUpdate)
            onUpdate();
    }
    void Render() override { m_journal->push_back(m_name + ".render"); }
    void PreDestroy() override { m_journal->push_back(m_name + ".predestroy"); }

    std::function<void()> onUpdate;
    float lastDt = -1.0f;
    String m_name;
    Journal* m_journal;
};

struct Listener : MessageListener
{
    Listener(Journal* journal, StringList names) : m_journal(journal)
    {
        for (const String& name : names)
            Switchboard::GetInstance()->SubscribeTo(this, name);
    }
    ~Listener()
    {
        for (const String& name : Switchboard::GetInstance()->GetSubscriptionsFor(this))
            Switchboard::GetInstance()->UnsubscribeFrom(this, name);
    }
    void ReceiveMessage(Message* message) override
    {
        m_journal->push_back("message " + message->GetMessageName());
    }
    Journal* m_journal;
};

struct TestGameManager : GameManager
{
    bool IsProtectedFromUnloadAll(Renderable* renderable) override { return renderable == kept; }
    void Update(float) override { ++updates; }
    Renderable* kept = nullptr;
    int updates = 0;
};

class WorldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The world accepts one game manager for the whole binary.
        if (world->GetGameManager() == nullptr)
            world->SetGameManager(new TestGameManager());
        clock.Set(100.0);
        world->SetClock(&clock);
    }
    void TearDown() override
    {
        manager()->kept = nullptr;
        world->UnloadAll();
        world->SetClock(nullptr);
    }

    TestGameManager* manager() { return static_cast<TestGameManager*>(world->GetGameManager()); }
    Probe* Add(const char* name, int layer = 0)
    {
        auto* probe = new Probe(name, &journal);
        world->Add(probe, layer);
        return probe;
    }
    std::vector<Renderable*> Walk()
    {
        std::vector<Renderable*> order;
        for (RenderableIterator it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd();
             ++it)
            order.push_back(*it);
        return order;
    }
    int Count(const String& entry) { return std::count(journal.begin(), journal.end(), entry); }
    void Frame(double seconds = 1.0 / 60.0)
    {
        clock.Advance(seconds);
        world->Tick(true);
    }

    World* world = World::GetInstance();
    ManualClock clock;
    Journal journal;
};

} // namespace

TEST_F(WorldTest, FrameTimesAreClampedToZeroToOneSecond)
{
    const std::pair<double, float> steps[] = {
        {0.25, 0.25f},
        {3.0, 1.0f},  // a long pause advances the world by exactly one second
        {-2.0, 0.0f}, // a timer that runs backwards gives no time at all
        {0.5, 0.5f},  // measured from the last reading, not from the highest
    };
    for (const auto& [advance, dt] : steps)
    {
        clock.Advance(advance);
        EXPECT_FLOAT_EQ(world->CalculateNewDT(), dt) << advance;
        EXPECT_FLOAT_EQ(world->GetDT(), dt) << advance;
    }
}

TEST_F(WorldTest, FirstDtCountsFromTheClockInstallAndTimeHoldsWithinAFrame)
{
    clock.Set(50.0);
    world->SetClock(&clock); // reads the clock, as Initialize does
    Probe* early = Add("early");
    float seenLate = 0.0f;
    early->onUpdate = [&] { clock.Advance(0.3); }; // time passes during the frame
    Add("late")->onUpdate = [&] { seenLate = world->GetCurrentTimeSeconds(); };

    clock.Advance(0.4);
    world->Tick(true);
    EXPECT_FLOAT_EQ(early->lastDt, 0.4f);
    EXPECT_FLOAT_EQ(seenLate, 50.4f);
    world->Tick(true); // the time spent inside the last frame counts for the next one
    EXPECT_FLOAT_EQ(early->lastDt, 0.3f);
}

TEST_F(WorldTest, WithoutSimulationOnlyTheManagerRuns)
{
    Listener listener(&journal, {"Queued"});
    Add("p");
    const int updatesBefore = manager()->updates;
    Switchboard::GetInstance()->Broadcast(new Message("Queued"));
    world->Tick(false);
    EXPECT_EQ(manager()->updates, updatesBefore + 1);
    EXPECT_TRUE(journal.empty()) << "no delivery and no renderable update without simulation";

    world->Tick(true);
    EXPECT_EQ(journal, (Journal{"message Queued", "p.update"}));
}

TEST_F(WorldTest, GameStartArrivesInTheFirstFrameAfterEarlierMessagesBeforeAnyUpdate)
{
    Listener listener(&journal, {"CameraChange", "GameStart"});
    Add("p");
    Switchboard::GetInstance()->Broadcast(new Message("CameraChange")); // as the first resize does
    // Without a window the loop does not run: StartGame only queues "GameStart".
    world->StartGame();
    world->StartGame(); // a second start queues no second "GameStart"
    EXPECT_TRUE(journal.empty());

    Frame();
    Frame();
    EXPECT_EQ(journal,
              (Journal{"message CameraChange", "message GameStart", "p.update", "p.update"}));
}

TEST_F(WorldTest, DeferredMessageIsBroadcastAtFrameEndAndDeliveredNextFrame)
{
    Listener listener(&journal, {"Later"});
    Switchboard::GetInstance()->DeferredBroadcast(new Message("Later"), 2.0f);
    Frame(1.0);
    Frame(0.9);
    Frame(0.2); // 2.1 s have passed at the end of this frame: broadcast now ...
    EXPECT_TRUE(journal.empty());
    Frame(0.01); // ... and delivered at the start of the next
    EXPECT_EQ(journal, Journal{"message Later"});
}

TEST_F(WorldTest, OnlyOneGameManagerAndADestroyedOneLeavesNoSubscription)
{
    GameManager* first = world->GetGameManager();
    {
        TestGameManager second;
        Switchboard::GetInstance()->SubscribeTo(&second, "Restart");
        testing::internal::CaptureStderr();
        world->SetGameManager(&second);
        world->SetGameManager(nullptr);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "ERROR: Can only have one game manager!\nERROR: Can only have one game "
                  "manager!\n");
    }
    EXPECT_EQ(world->GetGameManager(), first);
    EXPECT_TRUE(Switchboard::GetInstance()->GetSubscribersTo("Restart").empty());

    Probe probe("p", &journal); // Destroy runs the hook once
    probe.Destroy();
    probe.Destroy();
    EXPECT_TRUE(probe.IsDestroyed());
    EXPECT_EQ(journal, Journal{"p.predestroy"});
}

TEST_F(WorldTest, LayersDrawInAscendingOrderAndTheIteratorSkipsEmptyLayers)
{
    EXPECT_TRUE(world->GetRenderablesBegin() == world->GetRenderablesEnd());
    testing::internal::CaptureStderr();
    world->Add(nullptr, 2);
    world->Remove(nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "WARNING: Can't add a null element to the World.\n");
    Add("five", 5);
    Add("zeroA");
    Add("minusOne", -1);
    Add("zeroB", 0);
    world->DrawRenderables();
    EXPECT_EQ(journal, (Journal{"minusOne.render", "zeroA.render", "zeroB.render", "five.render"}));

    // Outside a pass Remove acts at once, gives ownership back and leaves its layer empty.
    Probe* a = Add("a", 7);
    world->Remove(a);
    world->Remove(a);
    EXPECT_EQ(Count("a.deleted"), 0);
    delete a;
    world->UnloadAll();
    Probe* b = Add("b", 3);
    Probe* c = Add("c", 9);
    world->Remove(b);
    delete b;
    EXPECT_EQ(Walk(), (std::vector<Renderable*>{c}));
    RenderableIterator it = world->GetRenderablesBegin();
    ++it;
    EXPECT_TRUE(it == world->GetRenderablesEnd());
    ++it; // stepping past the end stays at the end
    EXPECT_TRUE(it == RenderableIterator());
}

TEST_F(WorldTest, DestroyInUpdateIsUpdatedThenDeletedAndNeverDrawn)
{
    Probe* doomed = Add("doomed");
    doomed->onUpdate = [doomed] { doomed->Destroy(); };
    Add("other");
    Frame();
    world->DrawRenderables();
    EXPECT_EQ(journal, (Journal{"doomed.update", "doomed.predestroy", "other.update",
                                "doomed.deleted", "other.render"}));
}

TEST_F(WorldTest, ChangesDuringTheUpdatePassWaitForItsEnd)
{
    world->NameLayer("background", -5);
    Probe* resident = Add("resident");
    Probe* last = Add("last");
    Probe* mover = Add("mover", 2);
    Probe* driver = Add("driver", -1);
    auto* visitor = new Probe("visitor", &journal);
    auto* spawned = new Probe("spawned", &journal);
    driver->onUpdate = [&]
    {
        world->Remove(resident); // removed, then added again: once, at the end of its layer
        world->Add(resident);
        world->Add(visitor); // added, then removed: stays outside
        world->Remove(visitor);
        world->Add(spawned, 1); // added, then moved: on the new layer
        world->UpdateLayer(spawned, 6);
        world->UpdateLayer(mover, "background");
        driver->onUpdate = nullptr;
    };
    Frame();
    EXPECT_EQ(Count("spawned.update"), 0) << "not updated in the pass that added it";
    EXPECT_EQ(spawned->GetLayer(), 6);
    EXPECT_EQ(mover->GetLayer(), -5);
    EXPECT_EQ(Walk(), (std::vector<Renderable*>{mover, driver, last, resident, spawned}));
    delete visitor;

    world->UpdateLayer(resident, 9); // outside a pass it waits for the next tick too
    EXPECT_EQ(resident->GetLayer(), 0);
    Frame();
    EXPECT_EQ(resident->GetLayer(), 9);
}

TEST_F(WorldTest, QueuedChangesOfADeletedRenderableAreDropped)
{
    Probe* mover = Add("mover");
    Probe* leaver = Add("leaver");
    mover->onUpdate = [&]
    {
        world->UpdateLayer(mover, 4);
        mover->Destroy();
    };
    leaver->onUpdate = [&]
    {
        world->Remove(leaver);
        leaver->Destroy();
    };
    Frame();
    world->UpdateLayer(Add("parked", 1), 2); // queued outside a pass, then unloaded
    world->UnloadAll();
    Probe* returned = Add("returned"); // queued, then given back to its owner
    world->UpdateLayer(returned, 3);
    world->Remove(returned);
    Frame();
    EXPECT_TRUE(Walk().empty());
    delete returned;
    for (const char* name : {"mover", "leaver", "parked"})
        EXPECT_EQ(Count(String(name) + ".deleted"), 1) << name;
}

TEST_F(WorldTest, UnloadAllDeletesWhatIsNotProtectedOnce)
{
    Add("a");
    Probe* keep = Add("keep", 2);
    Add("b", 2);
    Add("half", 9)->Destroy(); // destroyed, not yet cleaned up
    manager()->kept = keep;
    world->UnloadAll();
    EXPECT_EQ(Walk(), (std::vector<Renderable*>{keep}));
    for (const char* name : {"a", "b", "half"})
    {
        EXPECT_EQ(Count(String(name) + ".predestroy"), 1) << name;
        EXPECT_EQ(Count(String(name) + ".deleted"), 1) << name;
    }
    EXPECT_EQ(Count("keep.predestroy"), 0);

    manager()->kept = nullptr;
    world->UnloadAll();
    EXPECT_TRUE(Walk().empty());
    EXPECT_EQ(Count("keep.deleted"), 1);
}
