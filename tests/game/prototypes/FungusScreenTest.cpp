// Needs an X display (run under Xvfb).
#include "engine/actors/ParticleActor.h"
#include "engine/actors/TextActor.h"
#include "engine/util/StringUtil.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/PieceQueries.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "game/prototypes/TuioScreenFungus.h"
#include "tests/game/prototypes/PrototypesTestSupport.h"

namespace
{

/// The fungus screen on a level that the test lays out itself.
class FungusScreenTest : public PrototypeTest
{
protected:
    TuioScreenFungus* Start() { return fungi = Run(new TuioScreenFungus("no_such_level")); }

    /// The number of roots between the two actors.
    static size_t RootsBetween(const Actor* a, const Actor* b)
    {
        return Tagged(("root, " + ToLower(a->GetName()) + ", " + ToLower(b->GetName())).c_str());
    }
    static size_t RootsAt(const Actor* a)
    {
        return Tagged(("root, " + ToLower(a->GetName())).c_str());
    }

    TuioScreenFungus* fungi = nullptr;
};

} // namespace

TEST_F(FungusScreenTest, NewFungiRootToTheirTwoNearestAndToFreeAnchorsInReach)
{
    PhysicsActor* atReach = Piece("Anchor", "grabthis, levelactor", Vector2(20.0f, 4.5f));
    PhysicsActor* inReach = Piece("Anchorb", "grabthis, levelactor", Vector2(24.4f, 0.0f));
    Start();

    // With two or fewer others, a new fungus roots to each of them.
    Actor* left = fungi->SpawnFungus(Vector2(-6.0f, 0.0f));
    Actor* right = fungi->SpawnFungus(Vector2(6.0f, 0.0f));
    Actor* top = fungi->SpawnFungus(Vector2(0.0f, 6.0f));
    EXPECT_EQ(Tagged("roottofungus"), 3u);
    EXPECT_EQ(RootsBetween(top, left) + RootsBetween(top, right) + RootsBetween(left, right), 3u);

    // Three at the same distance: the first two in the tag set's order win.
    ActorList earlier;
    for (Actor* fungus : TagCollection::GetInstance()->GetObjectsTagged("fungus"))
        earlier.push_back(fungus);
    Actor* middle = fungi->SpawnFungus(Vector2(0.0f, 0.0f));
    EXPECT_EQ(RootsBetween(middle, earlier[0]), 1u);
    EXPECT_EQ(RootsBetween(middle, earlier[1]), 1u);
    EXPECT_EQ(RootsBetween(middle, earlier[2]), 0u);

    // Nearest (8.06) and second nearest (9.43) of four.
    Actor* low = fungi->SpawnFungus(Vector2(-5.0f, -8.0f));
    EXPECT_EQ(RootsBetween(low, left), 1u);
    EXPECT_EQ(RootsBetween(low, middle), 1u);
    EXPECT_EQ(RootsAt(low), 2u);

    // An anchor exactly 4.5 away gets no root, one 4.4 away does; then it has one and gets no
    // second, while the first, now nearer than 4.5, gets its root.
    Actor* east = fungi->SpawnFungus(Vector2(20.0f, 0.0f));
    EXPECT_EQ(RootsBetween(east, atReach), 0u);
    EXPECT_EQ(RootsBetween(east, inReach), 1u);
    EXPECT_EQ(Tagged("roottograbthis, anchorb"), 1u);
    Actor* next = fungi->SpawnFungus(Vector2(21.0f, 1.0f));
    EXPECT_EQ(RootsBetween(next, atReach), 1u);
    EXPECT_EQ(RootsAt(inReach), 1u);
}

TEST_F(FungusScreenTest, FingersBurstRedFungiIntoOneSporePerRootAndPopWhiteOnes)
{
    Start();
    Actor* f0 = fungi->SpawnFungus(Vector2(0.0f, 0.0f));
    Actor* f1 = fungi->SpawnFungus(Vector2(1.0f, 0.0f));
    Actor* f2 = fungi->SpawnFungus(Vector2(0.0f, 1.0f));
    Actor* f3 = fungi->SpawnFungus(Vector2(1.2f, 1.1f)); // rooted to f1 and f2
    Frame(0.5);
    const Color red(1.0f, 0.0f, 0.0f, 1.0f);
    const Color white(1.0f, 1.0f, 1.0f, 1.0f);
    EXPECT_EQ(f0->GetColor(), red) << "2 fungus roots";
    EXPECT_TRUE(f0->IsTagged("popable"));
    EXPECT_EQ(f3->GetColor(), red);
    EXPECT_EQ(f1->GetColor(), white) << "3 fungus roots";
    EXPECT_FALSE(f1->IsTagged("popable"));

    // A finger moving left and down on the table throws the spores left and down in the world.
    Touch("TuioCursorAdded", 4, 0.5f, 0.5f, -0.5f, 0.5f);
    Deliver();
    ASSERT_EQ(fungi->GetCursorActors().count(4), 1u);
    TuioCursorPhysicsActor* finger = fungi->GetCursorActors().at(4);
    EXPECT_EQ(finger->GetName(), "Cursor");
    const size_t sporesBefore = Tagged("spore");
    Collide(finger, f0);
    Collide(finger, f0); // the first contact decides
    Deliver();
    EXPECT_TRUE(f0->IsDestroyed());
    const ActorSet spores = TagCollection::GetInstance()->GetObjectsTagged("spore");
    ASSERT_EQ(spores.size(), sporesBefore + 2);
    for (Actor* spore : spores)
    {
        EXPECT_EQ(spore->GetColor(), red);
        const b2Vec2 v = static_cast<PhysicsActor*>(spore)->GetBody()->GetLinearVelocity();
        EXPECT_LT(v.x, 0.0f);
        EXPECT_LT(v.y, 0.0f);
    }
    const std::vector<Renderable*> all = InWorld();
    EXPECT_EQ(std::count_if(all.begin(), all.end(),
                            [](Renderable* r)
                            { return dynamic_cast<ParticleActor*>(r) != nullptr; }),
              1)
        << "one puff";

    Collide(finger, f1);
    Deliver();
    EXPECT_TRUE(f1->IsDestroyed());
    EXPECT_EQ(Tagged("spore"), sporesBefore + 2) << "a white fungus pops alone";

    Touch("TuioCursorRemoved", 4, 0.5f, 0.5f);
    Touch("TuioCursorRemoved", 9, 0.5f, 0.5f); // unknown: nothing
    Deliver();
    EXPECT_TRUE(finger->IsDestroyed());
    EXPECT_TRUE(fungi->GetCursorActors().empty());
    (void)f2;
}

TEST_F(FungusScreenTest, FoodCountsOnceAndPoisonAndEdgesPop)
{
    PhysicsActor* food = Piece("Food", "food, levelactor", Vector2(5.0f, 5.0f), 2.0f);
    PhysicsActor* more = Piece("Foodb", "food, levelactor", Vector2(-5.0f, 5.0f), 2.0f);
    PhysicsActor* poison = Piece("Poison", "poison, levelactor", Vector2(0.0f, -5.0f));
    Start();
    EXPECT_EQ(fungi->GetStatusText()->GetDisplayString(), "Get fungi on the food");

    const Color green(0.0f, 1.0f, 0.0f, 1.0f);
    for (int touch = 0; touch < 2; ++touch)
    {
        Actor* fungus = fungi->SpawnFungus(Vector2(4.0f, 4.0f));
        fungus->SetColor(green);
        Collide(fungus, food);
        Deliver();
        EXPECT_TRUE(fungus->IsDestroyed());
        EXPECT_EQ(fungi->GetStatusText()->GetDisplayString(), "1 food infested. 1 more to go.");
    }
    ASSERT_EQ(Tagged("grabthis"), 2u) << "each fungus turned into a fixed one";
    Actor* fixed = *TagCollection::GetInstance()->GetObjectsTagged("grabthis").begin();
    EXPECT_TRUE(StartsWith(fixed->GetName(), "Staticfungus"));
    EXPECT_EQ(fixed->GetColor(), green) << "in the fungus's colour at first";
    EXPECT_TRUE(food->IsTagged("infested"));

    Collide(fungi->SpawnFungus(Vector2(-4.0f, 4.0f)), more);
    Deliver();
    EXPECT_EQ(fungi->GetStatusText()->GetDisplayString(), "All food infested. Well done!");

    Actor* poisoned = fungi->SpawnFungus(Vector2(0.0f, -4.0f));
    SporenPhysicsActor* spore = fungi->SpawnSpore(Vector2(-12.0f, 0.0f));
    Collide(poisoned, poison);
    Collide(spore, Actor::GetNamed("BlockerLeft"));
    Deliver();
    EXPECT_TRUE(poisoned->IsDestroyed());
    EXPECT_TRUE(spore->IsDestroyed());
    EXPECT_EQ(Tagged("grabthis"), 3u);
}

TEST_F(FungusScreenTest, SpawnMarkerSetsTheWaveAndANewWaveCleansTheFood)
{
    auto* marker = new Actor();
    marker->SetPosition(3.0f, 4.0f);
    marker->SetRotation(90.0f);
    marker->SetAlpha(0.9f);
    marker->Tag("spawnpos, levelactor");
    world->Add(marker);
    PhysicsActor* food = Piece("Food", "food, levelactor", Vector2(5.0f, 5.0f));
    food->Tag("infested");
    Start();
    EXPECT_EQ(fungi->GetSpawnPosition(), Vector2(3.0f, 4.0f));
    EXPECT_NEAR(fungi->GetSpawnDirection().Y, 1.0f, 1e-6f);
    EXPECT_EQ(fungi->GetSpawnCount(), 0) << "alpha 0.9 read as a whole number";

    fungi->GetStatusText()->SetDisplayString("old");
    Frame();
    EXPECT_EQ(Tagged("spore"), 0u);
    EXPECT_FALSE(food->IsTagged("infested"));
    EXPECT_EQ(fungi->GetStatusText()->GetDisplayString(), "Get fungi on the food");
}

TEST_F(FungusScreenTest, StopLeavesNothingAndInactiveMessagesDoNothing)
{
    Start();
    Frame(); // the first wave: three green spores from the top-left corner
    EXPECT_EQ(Tagged("spore"), 3u);
    fungi->SpawnFungus(Vector2(0.0f, 0.0f));
    fungi->BurstFungus(fungi->SpawnFungus(Vector2(2.0f, 0.0f)), Vector2(0.7f, 0.0f));
    Touch("TuioCursorAdded", 1, 0.3f, 0.3f);
    Deliver();
    for (int i = 0; i < 200; ++i)
        Frame();
    const float angle = fungi->GetGravityAngle();
    const float strength = fungi->GetGravityStrength();
    EXPECT_GT(angle, -360.0f);
    EXPECT_LT(angle, 360.0f);
    EXPECT_FLOAT_EQ(fungi->GetCompass()->GetRotation(), angle);
    const b2Vec2 gravity = world->GetPhysicsWorld()->GetGravity();
    EXPECT_NEAR(gravity.Length(), strength, 1e-4f);
    EXPECT_NEAR(gravity.x, std::cos(MathUtil::ToRadians(angle)) * strength, 1e-4f);

    fungi->Stop();
    Frame(0.5); // puffs end on their own
    EXPECT_TRUE(InWorld().empty()) << InWorld().size() << " renderables left";
    EXPECT_EQ(world->GetPhysicsWorld()->GetGravity(), b2Vec2(0.0f, 0.0f));
    EXPECT_TRUE(fungi->GetCursorActors().empty());

    Message cameraChange("CameraChange");
    fungi->ReceiveMessage(&cameraChange); // nothing to tile while stopped
    Touch("TuioCursorAdded", 2, 0.5f, 0.5f);
    Deliver();
    TuioCursorMessage touch("TuioCursorAdded",
                            new TUIO::TuioCursor(TUIO::TuioTime(), 3, 3, 0.5f, 0.5f));
    fungi->ReceiveMessage(&touch);
    EXPECT_TRUE(fungi->GetCursorActors().empty());
    EXPECT_TRUE(InWorld().empty());

    fungi->Start();
    Frame();
    EXPECT_EQ(Tagged("spore"), 3u);
    EXPECT_NE(fungi->GetBackground(), nullptr);
}
