// Needs an X display (run under Xvfb). The prototype actors, the roots and the fungus screen.
#include "engine/actors/TextActor.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/RootActor.h"
#include "game/prototypes/RootJointActor.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "game/prototypes/TuioScreenFungus.h"
#include "tests/game/GameTestSupport.h"

namespace
{

class FungusScreenTest : public ScreenTest
{
protected:
    /// On a level of the tests' own (or none).
    TuioScreenFungus* Start(const char* level = "none")
    {
        UseFolders("tests/game/data/Level");
        return fungi = Run(new TuioScreenFungus(level));
    }
    String Text() const { return fungi->GetStatusText()->GetDisplayString(); }
    /// The roots at a, or between a and b.
    static size_t Roots(const Actor* a, const Actor* b = nullptr)
    {
        return Tagged("root, " + ToLower(a->GetName()) + (b ? ", " + ToLower(b->GetName()) : ""));
    }
    TuioScreenFungus* fungi = nullptr;
};

} // namespace

TEST_F(FungusScreenTest, PiecesAreNamedApartAndFingersKeepACopyOfTheirLastCursor)
{
    const char* names[] = {"Fungus", "Fungus1", "Pilz", "Pilz1"};
    Actor* pieces[] = {new FungusPhysicsActor(), new FungusPhysicsActor(), new FlowerActor(),
                       new PilzPhysicsActor()};
    for (int i = 0; i < 4; ++i)
    {
        world->Add(pieces[i], 2);
        EXPECT_EQ(pieces[i]->GetName(), names[i]);
    }

    TuioCursorPhysicsActor finger; // frees its copy (the leak check sees it)
    EXPECT_EQ(finger.GetTuioCursor(), nullptr);
    TUIO::TuioCursor first(TUIO::TuioTime(), 5, 1, 0.2f, 0.3f),
        second(TUIO::TuioTime(), 6, 2, 0.7f, 0.8f);
    second.update(0.75f, 0.8f, 0.5f, -0.25f, 1.0f);
    finger.SetTuioCursor(&first);
    finger.SetTuioCursor(&second);
    const TUIO::TuioCursor* copy = finger.GetTuioCursor();
    ASSERT_TRUE(copy != nullptr && copy != &second);
    EXPECT_TRUE(copy->getSessionID() == 6 && copy->getCursorID() == 2 && copy->getX() == 0.75f &&
                copy->getYSpeed() == -0.25f && copy->getPath().size() == second.getPath().size());
}

TEST_F(FungusScreenTest, RootsFollowTheirEndsAndGoWithEither)
{
    UseFolders("tests/game/data/Level", "tests/game/data/ActorDef");
    world->LoadLevel("ends");
    auto *a = static_cast<PhysicsActor*>(Actor::GetNamed("A")),
         *b = static_cast<PhysicsActor*>(Actor::GetNamed("B"));
    auto* root = new RootActor(a, b);
    auto* thorns = new RootJointActor(a, b);
    world->Add(root, 1);
    world->Add(thorns, 1);
    EXPECT_EQ(Roots(a, b), 2u);
    EXPECT_EQ(root->GetPosition(), Vector2(2.0f, 1.5f));
    EXPECT_EQ(root->GetSize(), Vector2(5.0f, 0.3f)) << "1.5 / length";
    EXPECT_FLOAT_EQ(thorns->GetSize().Y, 0.2f) << "1.0 / length";
    EXPECT_NEAR(root->GetRotation(), 36.87f, 0.01f);
    b2Joint* spring = a->GetBody()->GetJointList()->joint; // resting at 3 units
    EXPECT_FLOAT_EQ(static_cast<b2DistanceJoint*>(spring)->GetLength(), 3.0f);

    b->SetPosition(0.0f, 0.5f);
    Frame();
    EXPECT_EQ(root->GetPosition(), Vector2(0.0f, 0.25f));
    EXPECT_FLOAT_EQ(root->GetSize().Y, 1.0f) << "never wider than the first end";
    EXPECT_NEAR(root->GetRotation(), 90.0f, 0.01f);
    b->Destroy();
    Frame();
    EXPECT_EQ(Tagged("root"), 0u) << "both roots went in the update after their end";
    EXPECT_FALSE(a->IsDestroyed());
}

TEST_F(FungusScreenTest, NewFungiRootToTheirTwoNearestAndToFreeAnchorsInReach)
{
    Start("anchors");
    Actor *atReach = Actor::GetNamed("Anchor"), *inReach = Actor::GetNamed("Anchorb");
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
    EXPECT_TRUE(Roots(east, atReach) == 0 && Roots(east, inReach) == 1);
    Actor* next = fungi->SpawnFungus(Vector2(21.0f, 1.0f));
    EXPECT_TRUE(Roots(next, atReach) == 1 && Roots(inReach) == 1);
}

TEST_F(FungusScreenTest, FingersBurstRedFungiIntoOneSporePerRootAndPopWhiteOnes)
{
    Start();
    Actor* f0 = fungi->SpawnFungus(Vector2(0.0f, 0.0f));
    Actor* f1 = fungi->SpawnFungus(Vector2(1.0f, 0.0f));
    fungi->SpawnFungus(Vector2(0.0f, 1.0f));
    fungi->SpawnFungus(Vector2(1.2f, 1.1f)); // rooted to the last two
    Frame(0.5);
    const Color red(1.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_TRUE(f0->GetColor() == red && f0->IsTagged("popable")) << "2 fungus roots";
    EXPECT_TRUE(f1->GetColor() == Color() && !f1->IsTagged("popable")) << "3 fungus roots";

    // A finger moving left and down on the table throws the spores left and down in the world.
    Touch(kDown, 4, 0.5f, 0.5f, -0.5f, 0.5f);
    Deliver();
    TuioCursorPhysicsActor* finger = fungi->GetCursorActors().at(4);
    Collide(finger, f0);
    Collide(finger, f0); // the first contact decides
    Deliver();
    const ActorList spores = Live("spore");
    ASSERT_TRUE(f0->IsDestroyed() && spores.size() == 2);
    for (Actor* spore : spores)
        EXPECT_TRUE(spore->GetColor() == red && Velocity(spore).X < 0.0f &&
                    Velocity(spore).Y < 0.0f);
    EXPECT_EQ(PuffsAndOthers(red).first, 1);
    Collide(finger, f1);
    Deliver();
    EXPECT_TRUE(f1->IsDestroyed() && Tagged("spore") == 2) << "a white fungus pops alone";

    Touch(kUp, 9, 0.5f, 0.5f);                                 // unknown: nothing
    Switchboard::GetInstance()->Broadcast(new Message(kDown)); // no cursor: nothing
    Touch(kUp, 4, 0.5f, 0.5f);
    Deliver();
    EXPECT_TRUE(finger->IsDestroyed() && fungi->GetCursorActors().empty());
}

TEST_F(FungusScreenTest, FoodCountsOnceAndTheMarkerSetsTheWave)
{
    Start("food");
    Actor *food = Actor::GetNamed("Food"), *more = Actor::GetNamed("Morefood");
    EXPECT_EQ(fungi->GetSpawnCount(), 0) << "alpha 0.9 read as a whole number";
    for (int touch = 0; touch < 2; ++touch)
    {
        Collide(fungi->SpawnFungus(Vector2(4.0f, 4.0f)), food);
        Deliver();
        EXPECT_EQ(Text(), "1 food infested. 1 more to go.");
    }
    EXPECT_EQ(Tagged("grabthis"), 2u) << "each fungus turned into a fixed one";
    Collide(fungi->SpawnFungus(Vector2(-4.0f, 4.0f)), more);
    Deliver();
    EXPECT_EQ(Text(), "All food infested. Well done!");
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
    Touch(kDown, 1, 0.3f, 0.3f);
    Frame();
    Stop();
    Frame(0.5);
    EXPECT_EQ(PuffsAndOthers(), std::make_pair(0, 0));
    EXPECT_EQ(world->GetPhysicsWorld()->GetGravity(), b2Vec2(0.0f, 0.0f));
    TuioCursorMessage touch(kDown, new TUIO::TuioCursor(TUIO::TuioTime(), 3, 3, 0.5f, 0.5f));
    fungi->ReceiveMessage(&touch);
    EXPECT_EQ(Actor::GetNamed("Cursor"), nullptr);

    Restart();
    Frame();
    EXPECT_EQ(Tagged("spore"), 3u);
}
