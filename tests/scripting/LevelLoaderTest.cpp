// Archetypes and levels read by the script library, and Actor::Create over them.
#include "engine/actors/ParticleActor.h"
#include "engine/actors/PhysicsActor.h"
#include "engine/actors/TextActor.h"
#include "engine/messaging/TagCollection.h"
#include "tests/scripting/ScriptTest.h"

#include <box2d/box2d.h>

#include <memory>

namespace
{

using LevelLoaderTest = ScriptTest;

TEST_F(LevelLoaderTest, ArchetypesAndLevelsBuildTheirActorsAndEachFaultIsOneLineNamingItsPlace)
{
    const String tag = "last-spawned-actor-from-code";
    std::unique_ptr<Actor> herder(Actor::Create("HERDER"));
    auto* physics = dynamic_cast<PhysicsActor*>(herder.get());
    ASSERT_NE(physics, nullptr);
    EXPECT_EQ(physics->GetTags(), (StringSet{"herder", "levelactor"}));
    EXPECT_EQ(physics->GetSize(), Vector2(2.0f, 1.0f));
    EXPECT_EQ(physics->GetBody(), nullptr) << "the caller places it first";
    EXPECT_TRUE(TagCollection::GetInstance()->GetObjectsTagged(tag).empty());
    EXPECT_FALSE(world->GetRenderablesBegin() != world->GetRenderablesEnd()) << "not added";

    // A stray actor with the tag: the engine warns and goes on with one of the two.
    (new Actor())->Tag(tag);
    std::unique_ptr<Actor> chosen(Actor::Create("sign"));
    EXPECT_EQ(LogCapture::Get().Take(),
              StringList{"WARNING: more than one Actor tagged with '" + tag + "'. (sign)"});
    ASSERT_NE(chosen, nullptr);
    EXPECT_FALSE(chosen->IsTagged(tag));
    for (Actor* other : TagCollection::GetInstance()->GetObjectsTagged(tag))
        delete other;

    EXPECT_EQ(Actor::Create("nothing"), nullptr);
    EXPECT_EQ(LogCapture::Get().Take(),
              StringList{"ERROR: Script failed to create Actor with archetype nothing. "});

    // Should the engine raise on an actor, it is freed with its name (reused below); all go on.
    Python("real, tessaly_levels.World = tessaly_levels.World, None\nLoadLevel('every_kind')\n"
           "tessaly_levels.World = real\n");
    EXPECT_TRUE(ErrorsHave("every_kind.ini [Smoke]: AttributeError: ")) << errors;

    // A level made by the editor: every kind of actor, placed and named.
    world->LoadLevel("every_kind");
    auto* first = dynamic_cast<PhysicsActor*>(Actor::GetNamed("Herder"));
    auto* second = dynamic_cast<PhysicsActor*>(Actor::GetNamed("Herder1"));
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->GetPosition(), Vector2(3.0f, -1.5f));
    EXPECT_FLOAT_EQ(first->GetRotation(), 45.0f);
    ASSERT_NE(first->GetBody(), nullptr);
    EXPECT_FLOAT_EQ(first->GetBody()->GetAngle(), 0.7853982f) << "placed before its body";
    EXPECT_EQ(second->GetSize(), Vector2(1.0f, 1.0f)) << "the level overrides the archetype";
    EXPECT_EQ(second->GetTags(), StringSet{"stray"}) << "a level's tags replace the archetype's";

    Actor* meadow = Actor::GetNamed("Meadow");
    ASSERT_NE(meadow, nullptr);
    EXPECT_EQ(meadow->GetColor(), Color(0.0f, 1.0f, 0.0f, 0.5f));
    auto* sign = dynamic_cast<TextActor*>(Actor::GetNamed("Sign"));
    ASSERT_NE(sign, nullptr);
    EXPECT_EQ(sign->GetDisplayString(), "Welcome");
    auto* smoke = dynamic_cast<ParticleActor*>(Actor::GetNamed("Smoke"));
    ASSERT_NE(smoke, nullptr);
    EXPECT_EQ(smoke->GetLayer(), 2);
    EXPECT_EQ(smoke->GetMaxParticles(), 40);
    EXPECT_TRUE(LogCapture::Get().Lines().empty());

    // A broken file: one line per fault, naming the file, the section and the key; the rest loads.
    const String loaded = Python("tessaly_levels._archetypes = (None, {})  # read them again\n"
                                 "print([a.GetName() for a in LoadLevel('broken')])\n"
                                 "LoadLevel('missing')\n");
    EXPECT_EQ(loaded, "['Fine']\n");
    const String data = "ERROR: tests/scripting/data/";
    for (const String& line : StringList{
             "ActorDef/broken.ini [NoClass] class: missing: the archetype is left out",
             "ActorDef/broken.ini [Wrong] colour: unknown key",
             "ActorDef/broken.ini [Wrong] density: needs class PhysicsActor, not Actor",
             "Level/broken.ini: line 1 is outside any section: stray = before any section",
             "Level/broken.ini [Lost] type: unknown archetype 'nothing': the actor is left out",
             "Level/broken.ini [Fine] position: bad number 'x'",
             "Level/broken.ini [Fine]: line 24 is not 'key = value': this line has no value",
             "Level/broken.ini [Fine] colour: unknown key",
             "Level/missing.ini: cannot read the file (No such file or directory)",
             // A number out of range leaves out its actor, or archetype, and only that.
             "ActorDef/broken.ini [Infinite] density: 'inf' is not finite: the archetype is left "
             "out",
             "Level/broken.ini [Far] position: '1e39' is outside -10000 ... 10000: the actor is "
             "left out",
             "Level/broken.ini [Heavy] density: 'inf' is not finite: the actor is left out",
             "Level/broken.ini [Heavy] size: '0' is outside 0.001 ... 10000: the actor is left out",
             "Level/broken.ini [Crowd] max_particles: '99999999999' is outside 1 ... 10000: the "
             "actor is left out",
             "Level/broken.ini [Endless] type: archetype 'infinite' has a number out of range: the "
             "actor is left out"})
        EXPECT_NE(errors.find(data + line + "\n"), String::npos) << line << "\n" << errors;
    EXPECT_FLOAT_EQ(Actor::GetNamed("Fine")->GetRotation(), 10.0f);
    for (const char* name : {"Far", "Heavy", "Crowd", "Endless"})
        EXPECT_EQ(Actor::GetNamed(name), nullptr) << name;
    EXPECT_EQ(Actor::Create("infinite"), nullptr);
}

} // namespace
