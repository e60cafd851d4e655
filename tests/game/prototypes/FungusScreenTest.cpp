// Needs an X display (run under Xvfb).
#include "engine/actors/TextActor.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "game/prototypes/TuioScreenFungus.h"
#include "tests/game/prototypes/PrototypesTestSupport.h"

namespace
{

/// The fungus screen on a level that the test lays out itself (the script does not exist).
class FungusScreenTest : public PrototypeTest
{
protected:
    TuioScreenFungus* Start() { return fungi = Run(new TuioScreenFungus("no_such_level")); }
    String Text() const { return fungi->GetStatusText()->GetDisplayString(); }
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
    EXPECT_EQ(Roots(top, left) + Roots(top, right) + Roots(left, right), 3u);
    // Three at the same distance: the first two in the tag set's order win.
    const ActorList earlier = Live("fungus");
    Actor* middle = fungi->SpawnFungus(Vector2(0.0f, 0.0f));
    EXPECT_EQ(Roots(middle, earlier[0]) + Roots(middle, earlier[1]), 2u);
    EXPECT_EQ(Roots(middle, earlier[2]), 0u);
    // The nearest (8.06) and second nearest (9.43) of four.
    Actor* low = fungi->SpawnFungus(Vector2(-5.0f, -8.0f));
    EXPECT_TRUE(Roots(low, left) == 1 && Roots(low, middle) == 1 && Roots(low) == 2);

    // An anchor exactly 4.5 away gets no root, one 4.4 away does; then it has one and gets no
    // second, while the first, now nearer, gets its root.
    Actor* east = fungi->SpawnFungus(Vector2(20.0f, 0.0f));
    EXPECT_EQ(Roots(east, atReach), 0u);
    EXPECT_EQ(Tagged("roottograbthis, anchorb"), 1u);
    Actor* next = fungi->SpawnFungus(Vector2(21.0f, 1.0f));
    EXPECT_TRUE(Roots(next, atReach) == 1 && Roots(inReach) == 1);
}

TEST_F(FungusScreenTest, FingersBurstRedFungiIntoOneSporePerRootAndPopWhiteOnes)
{
    Start();
    Actor* f0 = fungi->SpawnFungus(Vector2(0.0f, 0.0f));
    Actor* f1 = fungi->SpawnFungus(Vector2(1.0f, 0.0f));
    fungi->SpawnFungus(Vector2(0.0f, 1.0f));
    Actor* f3 = fungi->SpawnFungus(Vector2(1.2f, 1.1f)); // rooted to the last two
    Frame(0.5);
    const Color red(1.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_EQ(f0->GetColor(), red) << "2 fungus roots";
    EXPECT_TRUE(f0->IsTagged("popable") && f3->IsTagged("popable"));
    EXPECT_EQ(f1->GetColor(), Color(1.0f, 1.0f, 1.0f, 1.0f)) << "3 fungus roots";
    EXPECT_FALSE(f1->IsTagged("popable"));

    // A finger moving left and down on the table throws the spores left and down in the world.
    Touch("TuioCursorAdded", 4, 0.5f, 0.5f, -0.5f, 0.5f);
    Deliver();
    TuioCursorPhysicsActor* finger = fungi->GetCursorActors().at(4);
    const size_t sporesBefore = Tagged("spore");
    Collide(finger, f0);
    Collide(finger, f0); // the first contact decides
    Deliver();
    ASSERT_TRUE(f0->IsDestroyed() && Tagged("spore") == sporesBefore + 2);
    for (Actor* spore : Live("spore"))
    {
        const b2Vec2 v = static_cast<PhysicsActor*>(spore)->GetBody()->GetLinearVelocity();
        EXPECT_TRUE(spore->GetColor() == red && v.x < 0.0f && v.y < 0.0f);
    }
    EXPECT_EQ(Puffs(red), 1);
    Collide(finger, f1);
    Deliver();
    EXPECT_TRUE(f1->IsDestroyed());
    EXPECT_EQ(Tagged("spore"), sporesBefore + 2) << "a white fungus pops alone";

    Touch("TuioCursorRemoved", 9, 0.5f, 0.5f);                             // unknown: nothing
    Switchboard::GetInstance()->Broadcast(new Message("TuioCursorAdded")); // no cursor: nothing
    Touch("TuioCursorRemoved", 4, 0.5f, 0.5f);
    Deliver();
    EXPECT_TRUE(finger->IsDestroyed() && fungi->GetCursorActors().empty());
}

TEST_F(FungusScreenTest, FoodCountsOnceAndPoisonAndEdgesPopAndTheMarkerSetsTheWave)
{
    PhysicsActor* food = Piece("Food", "food, levelactor", Vector2(5.0f, 5.0f), 2.0f);
    PhysicsActor* more = Piece("Foodb", "food, levelactor", Vector2(-5.0f, 5.0f), 2.0f);
    PhysicsActor* poison = Piece("Poison", "poison, levelactor", Vector2(0.0f, -5.0f));
    auto* marker = new Actor();
    marker->SetPosition(3.0f, 4.0f);
    marker->SetRotation(90.0f);
    marker->SetAlpha(0.9f);
    marker->Tag("spawnpos, levelactor");
    world->Add(marker);
    Start();
    EXPECT_EQ(fungi->GetSpawnPosition(), Vector2(3.0f, 4.0f));
    EXPECT_NEAR(fungi->GetSpawnDirection().Y, 1.0f, 1e-6f);
    EXPECT_EQ(fungi->GetSpawnCount(), 0) << "alpha 0.9 read as a whole number";
    const Color green(0.0f, 1.0f, 0.0f, 1.0f);
    for (int touch = 0; touch < 2; ++touch)
    {
        Actor* fungus = fungi->SpawnFungus(Vector2(4.0f, 4.0f));
        fungus->SetColor(green);
        Collide(fungus, food);
        Deliver();
        EXPECT_TRUE(fungus->IsDestroyed());
        EXPECT_EQ(Text(), "1 food infested. 1 more to go.");
    }
    ASSERT_EQ(Tagged("grabthis"), 2u) << "each fungus turned into a fixed one";
    Actor* fixed = Live("grabthis")[0];
    EXPECT_EQ(fixed->GetName().substr(0, 12), "Staticfungus");
    EXPECT_EQ(fixed->GetColor(), green) << "in the fungus's colour at first";
    Collide(fungi->SpawnFungus(Vector2(-4.0f, 4.0f)), more);
    Deliver();
    EXPECT_EQ(Text(), "All food infested. Well done!");

    Actor* poisoned = fungi->SpawnFungus(Vector2(0.0f, -4.0f));
    PhysicsActor* gone = Piece("Gone", "food", Vector2(0.0f, -4.0f));
    Collide(poisoned, gone);
    world->Remove(gone);
    delete gone;
    Deliver(); // a sender that is gone is not followed
    EXPECT_FALSE(poisoned->IsDestroyed());
    SporenPhysicsActor* spore = fungi->SpawnSpore(Vector2(-12.0f, 0.0f));
    Collide(poisoned, poison);
    Collide(spore, Actor::GetNamed("BlockerLeft"));
    Deliver();
    EXPECT_TRUE(poisoned->IsDestroyed() && spore->IsDestroyed() && Tagged("grabthis") == 3);
    // No fungus or spore is left: a wave of no spores, and the food is cleaned.
    Frame();
    EXPECT_TRUE(Tagged("spore") == 0 && Tagged("food, infested") == 0);
    EXPECT_EQ(Text(), "Get fungi on the food");
}

TEST_F(FungusScreenTest, StopLeavesNothingAndInactiveMessagesDoNothing)
{
    Start();
    Frame(); // the first wave: three spores from the top-left corner
    EXPECT_EQ(Tagged("spore"), 3u);
    fungi->SpawnFungus(Vector2(0.0f, 0.0f));
    fungi->BurstFungus(fungi->SpawnFungus(Vector2(2.0f, 0.0f)), Vector2(0.7f, 0.0f));
    Touch("TuioCursorAdded", 1, 0.3f, 0.3f);
    Deliver();
    Frame();
    EXPECT_FLOAT_EQ(fungi->GetCompass()->GetRotation(), fungi->GetGravityAngle());
    fungi->Stop();
    EXPECT_EQ(LeftInWorld(), 0u);
    EXPECT_EQ(world->GetPhysicsWorld()->GetGravity(), b2Vec2(0.0f, 0.0f));
    Message cameraChange("CameraChange");
    fungi->ReceiveMessage(&cameraChange); // nothing to tile while stopped
    TuioCursorMessage touch("TuioCursorAdded",
                            new TUIO::TuioCursor(TUIO::TuioTime(), 3, 3, 0.5f, 0.5f));
    fungi->ReceiveMessage(&touch);
    EXPECT_EQ(LeftInWorld(), 0u);

    fungi->Start();
    Frame();
    EXPECT_EQ(Tagged("spore"), 3u);
}
