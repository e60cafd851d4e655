#include <gtest/gtest.h>

#include "tests/world/WorldTestSupport.h"

#include <algorithm>

namespace
{

using Journal = std::vector<std::string>;

int Count(const Journal& journal, const std::string& entry)
{
    return static_cast<int>(std::count(journal.begin(), journal.end(), entry));
}

class WorldLayersTest : public WorldFixture
{
};

} // namespace

TEST_F(WorldLayersTest, LayersDrawInAscendingOrderAndAddOrderWithin)
{
    auto* five = new Probe("five", &journal);
    auto* minusOne = new Probe("minusOne", &journal);
    auto* zeroA = new Probe("zeroA", &journal);
    auto* zeroB = new Probe("zeroB", &journal);
    world->Add(five, 5);
    world->Add(zeroA);
    world->Add(minusOne, -1);
    world->Add(zeroB, 0);
    EXPECT_EQ(five->GetLayer(), 5);
    EXPECT_EQ(minusOne->GetLayer(), -1);

    world->DrawRenderables();
    EXPECT_EQ(journal, (Journal{"minusOne.render", "zeroA.render", "zeroB.render", "five.render"}));
}

TEST_F(WorldLayersTest, IteratorSkipsEmptyLayersAndAllEndsAreEqual)
{
    EXPECT_TRUE(world->GetRenderablesBegin() == world->GetRenderablesEnd());

    auto* a = new Probe("a", &journal);
    auto* b = new Probe("b", &journal);
    world->Add(a, 3);
    world->Add(b, 7);
    world->Remove(a); // layer 3 stays, empty
    delete a;
    world->Add(new Probe("c", &journal), 9);
    world->Remove(b);
    delete b; // layer 7 empty too

    std::vector<Renderable*> order = Walk();
    ASSERT_EQ(order.size(), 1u);
    EXPECT_EQ(order[0]->GetLayer(), 9);

    RenderableIterator it = world->GetRenderablesBegin();
    ++it;
    EXPECT_TRUE(it == world->GetRenderablesEnd());
    ++it; // stepping past the end stays at the end
    EXPECT_TRUE(it == RenderableIterator());
}

TEST_F(WorldLayersTest, NullAddWarnsAndNullRemoveIsHarmless)
{
    testing::internal::CaptureStderr();
    world->Add(nullptr, 2);
    world->Remove(nullptr);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("WARNING: Can't add a null element to the World.\n"), std::string::npos);
    EXPECT_TRUE(Walk().empty());
}

TEST_F(WorldLayersTest, DestroyInUpdateIsUpdatedThenDeletedAndNeverDrawn)
{
    auto* doomed = new Probe("doomed", &journal);
    doomed->onUpdate = [doomed] { doomed->Destroy(); };
    world->Add(doomed);
    world->Add(new Probe("other", &journal));

    Frame();
    world->DrawRenderables();
    EXPECT_EQ(journal, (Journal{"doomed.update", "doomed.predestroy", "other.update",
                                "doomed.deleted", "other.render"}));
    EXPECT_EQ(Walk().size(), 1u);
}

TEST_F(WorldLayersTest, AddDuringUpdateIsDeferredToTheEndOfTheTick)
{
    Probe* spawned = nullptr;
    auto* spawner = new Probe("spawner", &journal);
    spawner->onUpdate = [&] {
        if (!spawned)
        {
            spawned = new Probe("spawned", &journal);
            world->Add(spawned, 1);
        }
    };
    world->Add(spawner, 0);

    Frame();
    EXPECT_EQ(Count(journal, "spawned.update"), 0) << "not updated in the pass that added it";
    std::vector<Renderable*> order = Walk();
    ASSERT_EQ(order.size(), 2u);
    EXPECT_EQ(order[1], spawned);
    EXPECT_EQ(spawned->GetLayer(), 1);

    world->DrawRenderables();
    EXPECT_EQ(Count(journal, "spawned.render"), 1) << "drawn in the frame it was added";
}

TEST_F(WorldLayersTest, RemoveAndReAddDuringOnePass)
{
    auto* resident = new Probe("resident", &journal);
    auto* visitor = new Probe("visitor", &journal);
    auto* last = new Probe("last", &journal);
    world->Add(resident);
    world->Add(last);

    auto* driver = new Probe("driver", &journal);
    driver->onUpdate = [&] {
        // In the world: removed, then added again -> stays once, at the end of its layer.
        world->Remove(resident);
        world->Add(resident);
        // Not in the world: added, then removed -> ends outside.
        world->Add(visitor);
        world->Remove(visitor);
        driver->onUpdate = nullptr;
    };
    world->Add(driver, -1);

    Frame();
    std::vector<Renderable*> order = Walk();
    EXPECT_EQ(order, (std::vector<Renderable*>{driver, last, resident}));
    delete visitor;
}

TEST_F(WorldLayersTest, RemoveOutsideAPassActsAtOnceAndNeverDeletes)
{
    auto* a = new Probe("a", &journal);
    world->Add(a, 4);
    world->Remove(a);
    EXPECT_TRUE(Walk().empty());
    world->Remove(a); // in no layer: nothing happens
    EXPECT_EQ(Count(journal, "a.deleted"), 0) << "Remove gives ownership back, it never deletes";
    delete a;
}

TEST_F(WorldLayersTest, LayerChangesWaitForTheNextDeferredStep)
{
    auto* mover = new Probe("mover", &journal);
    auto* other = new Probe("other", &journal);
    world->Add(mover, 1);
    world->Add(other, 2);

    world->UpdateLayer(mover, 1); // same layer: nothing
    world->UpdateLayer(mover, 3); // outside a pass: still queued
    EXPECT_EQ(mover->GetLayer(), 1);
    EXPECT_EQ(Walk().front(), mover);

    Frame();
    EXPECT_EQ(mover->GetLayer(), 3);
    EXPECT_EQ(Walk(), (std::vector<Renderable*>{other, mover}));

    // Requested by an Update: moved after the clean-up of the same tick, drawn on the new layer.
    mover->onUpdate = [&] {
        world->UpdateLayer(mover, "background");
        mover->onUpdate = nullptr;
    };
    world->NameLayer("background", -5);
    Frame();
    EXPECT_EQ(mover->GetLayer(), -5);
    EXPECT_EQ(Walk(), (std::vector<Renderable*>{mover, other}));
    EXPECT_EQ(world->GetLayerByName("never named"), 0);
}

TEST_F(WorldLayersTest, AddedThenMovedInOnePassEndsOnTheNewLayer)
{
    auto* late = new Probe("late", &journal);
    auto* driver = new Probe("driver", &journal);
    driver->onUpdate = [&] {
        world->Add(late, 1);
        world->UpdateLayer(late, 6);
        driver->onUpdate = nullptr;
    };
    world->Add(driver);
    Frame();
    EXPECT_EQ(late->GetLayer(), 6);
    EXPECT_EQ(Walk(), (std::vector<Renderable*>{driver, late}));
}

TEST_F(WorldLayersTest, QueuedChangesOfADeletedRenderableAreDropped)
{
    // Moved, then destroyed in the same update: the clean-up deletes it, and the queued layer
    // change must not touch it afterwards.
    auto* mover = new Probe("mover", &journal);
    auto* leaver = new Probe("leaver", &journal);
    mover->onUpdate = [&] {
        world->UpdateLayer(mover, 4);
        mover->Destroy();
    };
    leaver->onUpdate = [&] {
        world->Remove(leaver);
        leaver->Destroy();
    };
    world->Add(mover);
    world->Add(leaver);
    Frame();
    EXPECT_TRUE(Walk().empty());
    EXPECT_EQ(Count(journal, "mover.deleted"), 1);
    EXPECT_EQ(Count(journal, "leaver.deleted"), 1);

    // Queued outside a pass, then unloaded before the next tick.
    auto* parked = new Probe("parked", &journal);
    world->Add(parked, 1);
    world->UpdateLayer(parked, 2);
    world->UnloadAll();
    Frame();
    EXPECT_TRUE(Walk().empty());
    EXPECT_EQ(Count(journal, "parked.deleted"), 1);
}

TEST_F(WorldLayersTest, UnloadAllDeletesWhatIsNotProtected)
{
    auto* keep = new Probe("keep", &journal);
    world->Add(new Probe("a", &journal), 0);
    world->Add(keep, 2);
    world->Add(new Probe("b", &journal), 2);
    world->Add(new Probe("c", &journal), 9);

    gameManager()->protects = [keep](Renderable* r) { return r == keep; };
    world->UnloadAll();
    EXPECT_EQ(Walk(), (std::vector<Renderable*>{keep}));
    for (const char* name : {"a", "b", "c"})
    {
        EXPECT_EQ(Count(journal, std::string(name) + ".predestroy"), 1) << name;
        EXPECT_EQ(Count(journal, std::string(name) + ".deleted"), 1) << name;
    }
    EXPECT_EQ(Count(journal, "keep.predestroy"), 0);

    gameManager()->protects = nullptr;
    world->UnloadAll();
    EXPECT_TRUE(Walk().empty());
    EXPECT_EQ(Count(journal, "keep.deleted"), 1);
}

TEST_F(WorldLayersTest, DestroyedButUnprotectedRenderablesAreDeletedOnceByUnloadAll)
{
    auto* half = new Probe("half", &journal);
    world->Add(half);
    half->Destroy(); // already destroyed, not yet cleaned up
    world->UnloadAll();
    EXPECT_EQ(Count(journal, "half.predestroy"), 1);
    EXPECT_EQ(Count(journal, "half.deleted"), 1);
}
