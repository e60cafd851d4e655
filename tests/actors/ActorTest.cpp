// Actor logic without a window: names, tags, timed changes, script creation and the World's
// hooks for actors.
#include "engine/actors/Actor.h"
#include "engine/messaging/TagCollection.h"
#include "engine/world/GameManager.h"
#include "engine/world/World.h"
#include "tests/actors/ActorTestSupport.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

void ExpectVector(const Vector2& actual, float x, float y, const char* step)
{
    EXPECT_NEAR(actual.X, x, 1e-5f) << step;
    EXPECT_NEAR(actual.Y, y, 1e-5f) << step;
}

} // namespace

TEST(ActorTest, OnlySizeAndFloatColoursAreClamped)
{
    Actor actor;
    actor.SetSize(2.0f);
    ExpectVector(actor.GetSize(), 2.0f, 2.0f, "SetSize(2)");
    actor.SetSize(2.0f, 0.0f);
    ExpectVector(actor.GetSize(), 2.0f, 2.0f, "SetSize(2, 0)");
    actor.SetSize(-3.0f);
    ExpectVector(actor.GetSize(), 0.0f, 0.0f, "SetSize(-3)");
    actor.SetSize(Vector2(-1.0f, 4.0f));
    ExpectVector(actor.GetSize(), 0.0f, 4.0f, "SetSize(Vector2(-1, 4))");

    actor.SetColor(2.0f, -1.0f, 0.5f);
    EXPECT_EQ(actor.GetColor(), Color(1.0f, 0.0f, 0.5f, 1.0f, false));
    const Color bright(2.0f, 0.0f, 0.0f, 3.0f, false);
    actor.SetColor(bright);
    EXPECT_EQ(actor.GetColor(), bright) << "a Color is stored unchanged";
}

TEST(ActorTest, NamesAreUniqueUpperCasedAndReleased)
{
    Actor first, second, third;
    EXPECT_EQ(first.SetName("Sheep"), "Sheep");
    EXPECT_EQ(second.SetName("Sheep"), "Sheep1");
    EXPECT_EQ(third.SetName("sheep"), "Sheep2");
    EXPECT_EQ(Actor::GetNamed("Sheep1"), &second);

    EXPECT_EQ(first.SetName("Sheep"), "Sheep") << "renaming to its own name keeps it";
    EXPECT_EQ(first.SetName("sheep"), "Sheep") << "its own entry does not count as taken";

    EXPECT_EQ(first.SetName("Dog"), "Dog");
    EXPECT_EQ(Actor::GetNamed("Sheep"), nullptr) << "the old name is released";
    EXPECT_EQ(Actor::GetNamed("Dog"), &first);

    Actor fourth;
    EXPECT_EQ(fourth.SetName("Sheep"), "Sheep") << "a released name is free again";

    {
        Actor shortLived;
        shortLived.SetName("Wolf");
        EXPECT_EQ(Actor::GetNamed("Wolf"), &shortLived);
    }
    EXPECT_EQ(Actor::GetNamed("Wolf"), nullptr) << "deleting an actor releases its name";
}

TEST(ActorTest, UnnamedActorsTakeTheirClassNameWhenAddedToTheWorld)
{
    World* world = World::GetInstance();
    auto plain = std::make_unique<Actor>();
    auto plainToo = std::make_unique<Actor>();
    auto goblin = std::make_unique<ProbeActor>("goblin");
    EXPECT_EQ(plain->GetName(), "") << "construction names nothing";

    world->Add(plain.get());
    world->Add(plainToo.get(), 2);
    world->Add(goblin.get());
    EXPECT_EQ(plain->GetName(), "Actor");
    EXPECT_EQ(plainToo->GetName(), "Actor1");
    EXPECT_EQ(goblin->GetName(), "Goblin");

    world->Remove(plainToo.get());
    world->Add(plainToo.get(), 2);
    EXPECT_EQ(plainToo->GetName(), "Actor1") << "adding again keeps the name";

    for (Actor* actor :
         {static_cast<Actor*>(plain.get()), plainToo.get(), static_cast<Actor*>(goblin.get())})
        world->Remove(actor);
}

TEST(ActorTest, TagsAreLowerCasedAndIndexed)
{
    TagCollection* tags = TagCollection::GetInstance();
    Actor actor;
    actor.Tag("Red, Fast");
    EXPECT_EQ(actor.GetTags(), (StringSet{"fast", "red"}));
    EXPECT_TRUE(actor.IsTagged("red"));
    EXPECT_FALSE(actor.IsTagged("Red")) << "queries are not lower-cased";
    EXPECT_EQ(tags->GetObjectsTagged("red, fast"), ActorSet{&actor});

    actor.Untag("Red");
    EXPECT_TRUE(actor.IsTagged("red")) << "Untag does not lower-case either";
    EXPECT_EQ(tags->GetObjectsTagged("red"), ActorSet{&actor});

    actor.Untag("red");
    EXPECT_FALSE(actor.IsTagged("red"));
    EXPECT_TRUE(tags->GetObjectsTagged("red").empty());
    EXPECT_EQ(tags->GetObjectsTagged("fast"), ActorSet{&actor});

    actor.Tag(" ,, ");
    EXPECT_EQ(actor.GetTags(), StringSet{"fast"}) << "empty pieces are dropped";
}

TEST(ActorTest, DeletingAnActorLeavesNoTagNameOrSubscription)
{
    TagCollection* tags = TagCollection::GetInstance();
    Switchboard* switchboard = Switchboard::GetInstance();
    auto actor = std::make_unique<Actor>();
    Actor bystander;
    actor->SetName("Ghost");
    actor->Tag("haunted, lonelytag");
    bystander.Tag("haunted");
    switchboard->SubscribeTo(AsListener(*actor), "Boo");
    switchboard->SubscribeTo(AsListener(*actor), "Hiss");
    const MessageListener* listener = AsListener(*actor);

    actor.reset();

    EXPECT_EQ(Actor::GetNamed("Ghost"), nullptr);
    EXPECT_EQ(tags->GetObjectsTagged("haunted"), ActorSet{&bystander});
    EXPECT_EQ(tags->GetTagList().count("lonelytag"), 0u);
    EXPECT_TRUE(switchboard->GetSubscribersTo("Boo").empty());
    EXPECT_TRUE(switchboard->GetSubscribersTo("Hiss").empty());
    EXPECT_TRUE(switchboard->GetSubscriptionsFor(const_cast<MessageListener*>(listener)).empty());
}

TEST(ActorTest, MoveToStepsLinearlyAndAnnouncesArrivalOnce)
{
    MessageProbe probe({"arrived"});
    ProbeActor actor;
    actor.MoveTo(Vector2(10.0f, 0.0f), 2.0f, false, "arrived");

    const float expectedX[] = {2.5f, 5.0f, 7.5f, 10.0f};
    for (float x : expectedX)
    {
        actor.Update(0.5f);
        ExpectVector(actor.GetPosition(), x, 0.0f, "linear move");
        MessageProbe::Deliver();
        EXPECT_EQ(probe.received.size(), x == 10.0f ? 1u : 0u) << "at x " << x;
    }
    EXPECT_EQ(actor.virtualMoves, 4) << "each step goes through the virtual SetPosition";

    actor.Update(0.5f);
    actor.Update(0.5f);
    MessageProbe::Deliver();
    ASSERT_EQ(probe.received.size(), 1u) << "the message is sent once";
    EXPECT_EQ(probe.received[0].second, AsListener(actor)) << "the actor is the sender";
    ExpectVector(actor.GetPosition(), 10.0f, 0.0f, "stays at the target");
}

TEST(ActorTest, SmoothChangesFollowTheSmoothStep)
{
    Actor actor;
    actor.MoveTo(Vector2(10.0f, -20.0f), 2.0f, true);
    actor.RotateTo(100.0f, 2.0f, true);
    const float expected[] = {0.15625f, 0.5f, 0.84375f, 1.0f}; // t*t*(3-2t) at quarters
    for (float fraction : expected)
    {
        actor.Update(0.5f);
        ExpectVector(actor.GetPosition(), 10.0f * fraction, -20.0f * fraction, "smooth move");
        EXPECT_NEAR(actor.GetRotation(), 100.0f * fraction, 1e-4f);
    }
}

TEST(ActorTest, RestartedMoveNeverSendsTheFirstMessage)
{
    MessageProbe probe({"first", "second"});
    Actor actor;
    actor.MoveTo(Vector2(10.0f, 0.0f), 2.0f, false, "first");
    actor.Update(0.5f);
    actor.MoveTo(Vector2(2.5f, 10.0f), 1.0f, false, "second");

    actor.Update(0.5f);
    ExpectVector(actor.GetPosition(), 2.5f, 5.0f, "restarted from the current position");
    actor.Update(0.5f);
    actor.Update(0.5f);
    MessageProbe::Deliver();
    EXPECT_EQ(probe.CountOf("first"), 0);
    EXPECT_EQ(probe.CountOf("second"), 1);
}

TEST(ActorTest, EachTimedChangeAnnouncesItsOwnEnd)
{
    MessageProbe probe({"turned", "faded", "grown"});
    Actor actor;
    actor.RotateTo(90.0f, 1.0f, false, "turned");
    actor.ChangeColorTo(Color(0.0f, 0.0f, 0.0f, 0.0f), 0.5f, false, "faded");
    actor.ChangeSizeTo(Vector2(2.0f, 0.0f), 1.0f, false, "grown");

    actor.Update(0.5f);
    EXPECT_NEAR(actor.GetRotation(), 45.0f, 1e-4f);
    EXPECT_EQ(actor.GetColor(), Color(0.0f, 0.0f, 0.0f, 0.0f));
    ExpectVector(actor.GetSize(), 1.5f, 0.5f, "half-way, height still above 0");
    MessageProbe::Deliver();
    EXPECT_EQ(probe.received.size(), 1u);
    EXPECT_EQ(probe.CountOf("faded"), 1);

    actor.Update(0.5f);
    ExpectVector(actor.GetSize(), 2.0f, 2.0f, "a final height of 0 takes the width");
    MessageProbe::Deliver();
    EXPECT_EQ(probe.CountOf("turned"), 1);
    EXPECT_EQ(probe.CountOf("grown"), 1);
    EXPECT_EQ(probe.received.size(), 3u);

    // A change of no duration lands, with its message, in the next update.
    actor.ChangeSizeTo(4.0f, 0.0f, false, "grown");
    ExpectVector(actor.GetSize(), 2.0f, 2.0f, "not before the update");
    actor.Update(0.0f);
    ExpectVector(actor.GetSize(), 4.0f, 4.0f, "applied in the next update");
    MessageProbe::Deliver();
    EXPECT_EQ(probe.CountOf("grown"), 2);
}

TEST(ActorTest, CreateTakesTheActorTheScriptTagged)
{
    LogCapture& log = LogCapture::Get();
    const String spawnTag = "last-spawned-actor-from-code";

    // Nothing runs the script here, so nothing carries the tag.
    log.Clear();
    EXPECT_EQ(Actor::Create("goblin"), nullptr);
    EXPECT_EQ(log.Count("ERROR: Script failed to create Actor with archetype goblin. "), 1);

    // The engine finds the script's actor only through the tag, then takes it over.
    Actor spawned;
    spawned.Tag(spawnTag);
    log.Clear();
    EXPECT_EQ(Actor::Create("goblin"), &spawned);
    EXPECT_FALSE(spawned.IsTagged(spawnTag));
    EXPECT_TRUE(log.Lines().empty());

    Actor one, two;
    one.Tag(spawnTag);
    two.Tag(spawnTag);
    log.Clear();
    Actor* chosen = Actor::Create("troll");
    EXPECT_TRUE(chosen == &one || chosen == &two);
    EXPECT_FALSE(chosen->IsTagged(spawnTag));
    EXPECT_EQ(log.Count("WARNING: more than one Actor tagged with "
                        "'last-spawned-actor-from-code'. (troll)"),
              1);
}

TEST(ActorTest, UnloadAllTellsOnlyTheKeptActors)
{
    class KeepingManager : public GameManager
    {
    public:
        bool IsProtectedFromUnloadAll(Renderable* renderable) override
        {
            return renderable == kept;
        }
        Renderable* kept = nullptr;
    };
    World* world = World::GetInstance();
    static KeepingManager* manager = new KeepingManager(); // the World keeps it for good
    if (world->GetGameManager() == nullptr)
        world->SetGameManager(manager);
    ASSERT_EQ(world->GetGameManager(), manager);

    auto* kept = new ProbeActor();
    auto* dropped = new ProbeActor();
    kept->SetName("Keeper");
    dropped->SetName("Dropped");
    world->Add(kept);
    world->Add(dropped);
    manager->kept = kept;

    world->UnloadAll();
    EXPECT_EQ(kept->levelUnloads, 1);
    EXPECT_EQ(Actor::GetNamed("Dropped"), nullptr) << "the other actor was deleted";
    EXPECT_EQ(Actor::GetNamed("Keeper"), kept);

    manager->kept = nullptr;
    world->UnloadAll();
    EXPECT_EQ(Actor::GetNamed("Keeper"), nullptr);
}
