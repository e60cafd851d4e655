#include "engine/world/World.h"
#include "engine/world/Camera.h"
#include "engine/world/GameManager.h"
#include "engine/world/Renderable.h"
#include "engine/world/RenderableRef.h"
#include "tests/support/LogCapture.h"
#include "tests/support/ManualClock.h"
#include "tests/support/MessageRecorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>

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

struct TestGameManager : GameManager
{
    void Update(float) override { ++updates; }
    int updates = 0;
};

class WorldTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (world->GetGameManager() == nullptr) // the World takes one for the whole program
            world->SetGameManager(new TestGameManager());
        clock.Set(100.0);
        world->SetClock(&clock);
        messages.onReceive = [this](Message* m) { journal.push_back(m->GetMessageName()); };
    }
    void TearDown() override
    {
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
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
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
    MessageRecorder messages{{"GameStart", "CameraChange", "Later"}};
};

} // namespace

TEST_F(WorldTest, FrameTimesAreClampedAndCountFromTheLastReading)
{
    const std::pair<double, float> steps[] = {
        {0.25, 0.25f}, {3.0, 1.0f}, {-2.0, 0.0f}, {0.5, 0.5f}}; // from the last, not the highest
    for (const auto& [advance, dt] : steps)
    {
        clock.Advance(advance);
        EXPECT_FLOAT_EQ(world->CalculateNewDT(), dt) << advance;
        EXPECT_FLOAT_EQ(world->GetDT(), dt) << advance;
    }

    // The time holds within a frame; time spent inside one counts for the next.
    Probe* early = Add("early");
    float seenLate = 0.0f;
    early->onUpdate = [&] { clock.Advance(0.3); };
    Add("late")->onUpdate = [&] { seenLate = world->GetCurrentTimeSeconds(); };
    Frame(0.4);
    EXPECT_FLOAT_EQ(seenLate, static_cast<float>(clock.GetTime() - 0.3));
    world->Tick(true);
    EXPECT_FLOAT_EQ(early->lastDt, 0.3f);
}

TEST_F(WorldTest, MessagesArriveAtTheStartOfSimulatedFramesAndGameStartOnce)
{
    Add("p");
    const int updatesBefore = manager()->updates;
    Switchboard::GetInstance()->Broadcast(new Message("CameraChange")); // as the first resize
    world->StartGame(); // without a window the loop does not run: it only queues "GameStart"
    world->StartGame();
    world->Tick(false);
    EXPECT_EQ(manager()->updates, updatesBefore + 1);
    EXPECT_TRUE(journal.empty()) << "no delivery and no renderable update without simulation";
    Frame();
    Frame();
    EXPECT_EQ(journal, (Journal{"CameraChange", "GameStart", "p.update", "p.update"}));

    // A deferred message is broadcast at the end of the frame it falls due in, delivered next.
    Switchboard::GetInstance()->DeferredBroadcast(new Message("Later"), 2.0f);
    for (const double seconds : {1.0, 0.9, 0.2})
        Frame(seconds);
    EXPECT_EQ(Count("Later"), 0);
    Frame(0.01);
    EXPECT_EQ(Count("Later"), 1);
}

TEST_F(WorldTest, OnlyOneGameManagerAndADestroyedOneLeavesNoSubscription)
{
    GameManager* first = world->GetGameManager();
    {
        TestGameManager second;
        Switchboard::GetInstance()->SubscribeTo(&second, "Restart");
        LogCapture::Get().Clear();
        world->SetGameManager(&second);
        world->SetGameManager(nullptr);
        EXPECT_EQ(LogCapture::Get().Take(),
                  StringList(2, "ERROR: Can only have one game manager!"));
    }
    EXPECT_EQ(world->GetGameManager(), first);
    EXPECT_TRUE(Switchboard::GetInstance()->GetSubscribersTo("Restart").empty());
}

TEST_F(WorldTest, LayersDrawInAscendingOrderAndTheIteratorSkipsEmptyLayers)
{
    LogCapture::Get().Clear();
    world->Add(nullptr, 2);
    world->Remove(nullptr);
    EXPECT_EQ(LogCapture::Get().Take(),
              StringList{"WARNING: Can't add a null element to the World."});
    for (const auto& [name, layer] :
         {std::pair("five", 5), {"zeroA", 0}, {"minus", -1}, {"zeroB", 0}})
        Add(name, layer);
    world->DrawRenderables();
    EXPECT_EQ(journal, (Journal{"minus.render", "zeroA.render", "zeroB.render", "five.render"}));

    // Outside a pass Remove acts at once, gives ownership back and leaves its layer empty.
    world->UnloadAll();
    Probe* b = Add("b", 3);
    Probe* c = Add("c", 9);
    world->Remove(b);
    world->Remove(b);
    delete b;
    EXPECT_EQ(Count("b.deleted"), 1);
    EXPECT_EQ(Walk(), (std::vector<Renderable*>{c}));
}

TEST_F(WorldTest, ChangesDuringTheUpdatePassWaitForItsEnd)
{
    world->NameLayer("background", -5);
    Probe* doomed = Add("doomed");
    Probe* resident = Add("resident");
    Probe* last = Add("last");
    Probe* mover = Add("mover", 2);
    Probe* driver = Add("driver", -1);
    auto* visitor = new Probe("visitor", &journal);
    auto* spawned = new Probe("spawned", &journal);
    doomed->onUpdate = [doomed] { doomed->Destroy(); };
    driver->onUpdate = [&]
    {
        world->Remove(resident); // removed, then added again: once, at the end of its layer
        world->Add(resident);
        world->Add(visitor); // added, then removed: stays outside
        world->Remove(visitor);
        world->Add(spawned, 1); // added, then moved: on the new layer
        world->UpdateLayer(spawned, 6);
        world->UpdateLayer(mover, "background");
        world->UpdateLayer(last, 0); // its own layer: stays where it is
        world->Add(last, 3);         // a second add, refused: it would be deleted twice
        driver->onUpdate = nullptr;
    };
    LogCapture::Get().Clear();
    Frame();
    world->Add(driver);
    world->Add(Camera::GetInstance()); // the World draws it itself and never deletes it
    EXPECT_EQ(LogCapture::Get().Take(),
              (StringList{"WARNING: Can't add an element to the World twice.",
                          "WARNING: Can't add an element to the World twice.",
                          "WARNING: Can't add the camera to the World."}));
    world->DrawRenderables();
    EXPECT_EQ(Count("spawned.update"), 0) << "not updated in the pass that added it";
    EXPECT_EQ(Count("doomed.update"), 1) << "updated in the pass that destroyed it";
    EXPECT_EQ(Count("doomed.render"), 0) << "and deleted before the frame is drawn";
    EXPECT_EQ(Count("doomed.deleted"), 1);
    EXPECT_EQ(spawned->GetLayer(), 6);
    EXPECT_EQ(mover->GetLayer(), -5);
    EXPECT_EQ(Walk(), (std::vector<Renderable*>{mover, driver, last, resident, spawned}));
    delete visitor;

    world->UpdateLayer(resident, 9); // outside a pass it waits for the next tick too
    Probe outsider("outsider", &journal);
    world->UpdateLayer(&outsider, 9); // and never takes in what is not in the World
    EXPECT_EQ(resident->GetLayer(), 0);
    Frame();
    EXPECT_EQ(resident->GetLayer(), 9);
    EXPECT_EQ(Walk().size(), 5u);
}

TEST_F(WorldTest, ChangesAskedForInOnePassTakeEffectInTheOrderAsked)
{
    constexpr int kOutside = -1000;
    struct Case
    {
        const char* steps;
        int startLayer; // kOutside: not in the World before the pass
        std::function<void(Renderable*)> ask;
        int layer; // where it ends, at the end of that layer; kOutside: given back
        std::size_t warnings;
    };
    const Case cases[] = {
        {"add to 4, remove", 1, [&](Renderable* e) { world->Add(e, 4), world->Remove(e); },
         kOutside, 1},
        {"remove, add, remove, add", 1,
         [&](Renderable* e) { world->Remove(e), world->Add(e), world->Remove(e), world->Add(e); },
         0, 0},
        {"add to 4, move to 0", kOutside,
         [&](Renderable* e) { world->Add(e, 4), world->UpdateLayer(e, 0); }, 0, 0},
        {"move to 3, remove, add to 5", 1,
         [&](Renderable* e) { world->UpdateLayer(e, 3), world->Remove(e), world->Add(e, 5); }, 5,
         0},
        {"remove, move to 2", 1, [&](Renderable* e) { world->Remove(e), world->UpdateLayer(e, 2); },
         kOutside, 0},
        {"add to 2, remove, add to 3", kOutside,
         [&](Renderable* e) { world->Add(e, 2), world->Remove(e), world->Add(e, 3); }, 3, 0},
        {"add twice", kOutside, [&](Renderable* e) { world->Add(e, 2), world->Add(e, 3); }, 2, 1},
    };
    for (const Case& c : cases)
    {
        Add("neighbour", 0);
        auto* element = new Probe("element", &journal);
        if (c.startLayer != kOutside)
            world->Add(element, c.startLayer);
        bool asked = false;
        Add("driver", -1)->onUpdate = [&]
        {
            if (!std::exchange(asked, true))
                c.ask(element);
        };
        LogCapture::Get().Clear();
        Frame();
        EXPECT_EQ(LogCapture::Get().Take().size(), c.warnings) << c.steps;
        const std::vector<Renderable*> walk = Walk();
        auto found = std::find(walk.begin(), walk.end(), element);
        EXPECT_EQ(std::count(walk.begin(), walk.end(), element), c.layer == kOutside ? 0 : 1)
            << c.steps;
        if (c.layer != kOutside && found != walk.end())
        {
            EXPECT_EQ(element->GetLayer(), c.layer) << c.steps;
            EXPECT_TRUE(found + 1 == walk.end() || (*(found + 1))->GetLayer() != c.layer)
                << c.steps << ": not at the end of its layer";
        }
        world->UnloadAll();
        if (found == walk.end())
            delete element;
    }
}

TEST_F(WorldTest, UnloadAllAndDeletionsDropQueuedChangesAndEndTheirRefs)
{
    Probe* mover = Add("mover");
    Probe* leaver = Add("leaver");
    const RenderableRef<Probe> moverRef(mover), leaverRef(leaver);
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
    EXPECT_FALSE(moverRef.Get() || leaverRef.Get()) << "deleted by the clean-up";
    world->UpdateLayer(Add("parked", 1), 2); // queued outside a pass, then unloaded
    Probe* returned = Add("returned");       // queued, then given back to its owner
    world->UpdateLayer(returned, 3);
    world->Remove(returned);
    const RenderableRef<Probe> half = Add("half", 9);
    half.Get()->Destroy(); // destroyed, not yet cleaned up
    EXPECT_TRUE(half.Get() && !half.GetLive());
    world->UnloadAll();
    EXPECT_FALSE(half.Get());
    Frame();
    EXPECT_TRUE(Walk().empty());
    delete returned;
    for (const char* name : {"mover", "leaver", "parked", "half"})
        EXPECT_EQ(Count(String(name) + ".deleted"), 1) << name;
    EXPECT_EQ(Count("half.predestroy"), 1) << "the hook runs once";

    // Deleted by someone else, in the World or with a change queued, also in the middle of a
    // walk: never reached again.
    Probe* early = Add("early");
    Probe* late = Add("late");
    world->UpdateLayer(late, 2);
    delete Add("gone", 1);
    early->onUpdate = [&] { delete std::exchange(late, nullptr); };
    Frame();
    EXPECT_EQ(Walk(), std::vector<Renderable*>{early});
    EXPECT_EQ(Count("late.update"), 0);
    world->UnloadAll();

    // Asked for by an update (a script's), the unload waits for the end of the pass.
    Probe* unloader = Add("unloader");
    Add("next")->onUpdate = [&] { journal.push_back("next.updated"); };
    unloader->onUpdate = [&] { world->UnloadAll(); };
    Frame();
    EXPECT_TRUE(Walk().empty());
    EXPECT_EQ(Count("next.updated"), 1);
}
