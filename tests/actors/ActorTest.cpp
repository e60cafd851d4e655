// Actor logic without a window: names, tags, timed changes and creation by script.
#include "engine/actors/Actor.h"
#include "engine/messaging/TagCollection.h"
#include "engine/world/World.h"
#include "tests/support/Locales.h"
#include "tests/support/LogCapture.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/ProbeActor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

TEST(ActorTest, NamesAreUniqueUpperCasedAndReleased)
{
    Actor first, second, third;
    EXPECT_EQ(first.SetName("Sheep"), "Sheep");
    EXPECT_EQ(second.SetName("Sheep"), "Sheep1");
    EXPECT_EQ(third.SetName("sheep"), "Sheep2");
    EXPECT_EQ(Actor::GetNamed("Sheep1"), &second);
    EXPECT_EQ(first.SetName("sheep"), "Sheep") << "its own entry does not count as taken";
    EXPECT_EQ(first.SetName("Dog"), "Dog");
    EXPECT_EQ(Actor::GetNamed("Sheep"), nullptr) << "the old name is released";

    // Unnamed actors take their class name when the World adds them.
    ProbeActor goblin("goblin");
    World::GetInstance()->Add(&goblin, 2);
    EXPECT_EQ(goblin.GetName(), "Goblin");
    World::GetInstance()->Remove(&goblin);
}

// In a Turkish locale the locale's rules left 'i' and 'I' as they were (or made them bytes of
// ISO-8859-9): an actor named igel stayed igel, and a tag IGEL matched no query for igel.
TEST(ActorTest, NamesAndTagsChangeCaseAsInCInEveryLocale)
{
    for (const String& name : OtherLocales())
    {
        const ScopedLocale locale(name);
        ASSERT_TRUE(locale.IsSet()) << name << " could not be made (localedef, locales)";
        Actor igel;
        EXPECT_EQ(igel.SetName("igel"), "Igel") << name;
        igel.Tag("IGEL, Wiese");
        EXPECT_EQ(igel.GetTags(), (StringSet{"igel", "wiese"})) << name;
        EXPECT_EQ(TagCollection::GetInstance()->GetObjectsTagged("igel"), ActorSet{&igel}) << name;
    }
}

TEST(ActorTest, TagsAreLowerCasedQueriedTogetherAndLeftBehindByNobody)
{
    TagCollection* tags = TagCollection::GetInstance();
    auto ghost = std::make_unique<ProbeActor>();
    Actor sheep, dog;
    sheep.Tag("sheep, FREE");
    dog.Tag(" free ,, dog ");
    EXPECT_EQ(dog.GetTags(), (StringSet{"dog", "free"})) << "lower-cased, empty pieces dropped";
    EXPECT_FALSE(sheep.IsTagged("FREE")) << "queries are not lower-cased";
    EXPECT_EQ(tags->GetObjectsTagged(" free ,, sheep "), ActorSet{&sheep});
    for (const char* none : {"sheep, free, dog", "free, Sheep", " , ,"})
        EXPECT_TRUE(tags->GetObjectsTagged(none).empty()) << "'" << none << "'";
    sheep.Untag("FREE");
    EXPECT_TRUE(sheep.IsTagged("free")) << "Untag does not lower-case either";
    sheep.Untag("free");
    EXPECT_EQ(tags->GetObjectsTagged("free"), ActorSet{&dog});

    // A deleted actor leaves no tag, name or subscription behind.
    ghost->SetName("Ghost");
    ghost->Tag("dog, lonelytag");
    MessageListener* listener = ghost->AsListener();
    Switchboard::GetInstance()->SubscribeTo(listener, "Boo");
    ghost.reset();
    EXPECT_EQ(Actor::GetNamed("Ghost"), nullptr);
    EXPECT_EQ(tags->GetTagList(), (StringSet{"dog", "free", "sheep"}));
    EXPECT_TRUE(Switchboard::GetInstance()->GetSubscriptionsFor(listener).empty());
}

TEST(ActorTest, TimedChangesStepAndAnnounceTheirEndOnce)
{
    MessageRecorder recorder({"moved", "faded", "turned"});
    ProbeActor actor;
    actor.MoveTo(Vector2(10.0f, -20.0f), 2.0f, false, "moved");
    actor.ChangeColorTo(Color(0.0f, 0.0f, 0.0f, 0.0f), 2.0f, false, "faded");
    for (const float f : {0.25f, 0.5f, 0.75f, 1.0f})
    {
        actor.Update(0.5f);
        EXPECT_EQ(actor.GetPosition(), Vector2(10.0f * f, -20.0f * f));
        EXPECT_NEAR(actor.GetColor().A, 1.0f - f, 1e-5f);
        EXPECT_EQ(recorder.Deliver().size(), f == 1.0f ? 2u : 0u) << f;
    }
    EXPECT_EQ(recorder.received, (StringList{"moved", "faded"}));
    actor.Update(0.5f);
    EXPECT_TRUE(recorder.Deliver().empty()) << "the end is announced once";
    EXPECT_EQ(recorder.senders, std::vector<MessageListener*>(2, actor.AsListener()));
    EXPECT_EQ(actor.virtualMoves, 4) << "moves go through the virtual SetPosition";

    // Smooth changes ease in and out; a restarted change replaces the running one and its
    // message, from where it was; one of no duration lands in the next update.
    actor.MoveTo(Vector2(0.0f, 0.0f), 2.0f, true, "moved");
    actor.Update(0.5f);
    EXPECT_EQ(actor.GetPosition(), Vector2(10.0f * 0.84375f, -20.0f * 0.84375f));
    actor.MoveTo(Vector2(0.0f, 0.0f), 1.0f, false, "turned");
    actor.Update(0.5f);
    EXPECT_EQ(actor.GetPosition(), Vector2(10.0f * 0.84375f / 2, -20.0f * 0.84375f / 2));
    actor.ChangeColorTo(Color(1.0f, 0.0f, 0.0f), 0.0f, false, "faded");
    actor.RotateTo(90.0f, NAN, false, "moved"); // a script's: over at once, not never
    actor.Update(0.5f);
    EXPECT_EQ(actor.GetColor(), Color(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(actor.GetRotation(), 90.0f);
    EXPECT_EQ(recorder.Deliver(), (StringList{"turned", "moved", "faded"}));
}

TEST(ActorTest, CreateTakesTheActorTheScriptTagged)
{
    LogCapture& log = LogCapture::Get();
    const String spawnTag = "last-spawned-actor-from-code";
    log.Clear();
    EXPECT_EQ(Actor::Create("goblin"), nullptr) << "nothing runs the script here";
    EXPECT_EQ(log.Take(),
              StringList{"ERROR: Script failed to create Actor with archetype goblin. "});
    Actor one, two;
    one.Tag(spawnTag);
    two.Tag(spawnTag);
    Actor* chosen = Actor::Create("troll");
    EXPECT_TRUE(chosen == &one || chosen == &two);
    EXPECT_FALSE(chosen->IsTagged(spawnTag));
    EXPECT_EQ(log.Take(), StringList{"WARNING: more than one Actor tagged with "
                                     "'last-spawned-actor-from-code'. (troll)"});
}
