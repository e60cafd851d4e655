// Needs an X display (run under Xvfb).
#include "engine/world/box2d/Box2D20.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/RootActor.h"
#include "game/prototypes/RootJointActor.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "tests/game/prototypes/PrototypesTestSupport.h"

using PrototypeActorsTest = PrototypeTest;

TEST_F(PrototypeActorsTest, PiecesTakeUniqueNamesAndCountDown)
{
    Actor* pieces[] = {new FungusPhysicsActor(), new FungusPhysicsActor(), new FlowerActor(),
                       new PilzPhysicsActor()};
    for (Actor* piece : pieces)
        world->Add(piece, 2);
    EXPECT_EQ(pieces[0]->GetName(), "Fungus");
    EXPECT_EQ(pieces[1]->GetName(), "Fungus1");
    EXPECT_EQ(pieces[2]->GetName(), "Pilz");
    EXPECT_EQ(pieces[3]->GetName(), "Pilz1");
    EXPECT_EQ(Tagged("fungus"), 4u);

    auto* spore = new SporenActor();
    world->Add(spore, 3);
    EXPECT_EQ(spore->GetName(), "Spore");
    spore->DecreaseCountdown(0.016f);
    EXPECT_FLOAT_EQ(spore->GetCountdown(), -0.016f) << "a fresh piece counts down from 0";
    spore->SetCountdown(1.0f);
    spore->IncreaseCountdown(0.5f);
    EXPECT_FLOAT_EQ(spore->GetCountdown(), 1.5f);

    // Spores drift through everything and report it; a finger is a static sensor.
    auto* finger = new TuioCursorPhysicsActor();
    spore->InitPhysics();
    finger->InitPhysics();
    world->Add(finger, 5);
    EXPECT_EQ(spore->GetBody()->GetType(), b2_dynamicBody);
    EXPECT_TRUE(spore->GetBody()->GetFixtureList()->IsSensor());
    EXPECT_EQ(finger->GetBody()->GetType(), b2_staticBody);
    EXPECT_TRUE(finger->GetBody()->GetFixtureList()->IsSensor());
}

TEST_F(PrototypeActorsTest, FingerKeepsItsOwnCopyOfTheLastCursor)
{
    auto* finger = new TuioCursorPhysicsActor();
    EXPECT_EQ(finger->GetTuioCursor(), nullptr);
    TUIO::TuioCursor first(TUIO::TuioTime(), 5, 1, 0.2f, 0.3f);
    TUIO::TuioCursor second(TUIO::TuioTime(), 6, 2, 0.7f, 0.8f);
    second.update(0.75f, 0.8f, 0.5f, -0.25f, 1.0f);
    finger->SetTuioCursor(&first);
    finger->SetTuioCursor(&second); // the first copy is freed (the leak check sees it)

    const TUIO::TuioCursor* copy = finger->GetTuioCursor();
    ASSERT_NE(copy, nullptr);
    EXPECT_NE(copy, &second);
    EXPECT_EQ(copy->getSessionID(), 6);
    EXPECT_EQ(copy->getCursorID(), 2);
    EXPECT_FLOAT_EQ(copy->getX(), 0.75f);
    EXPECT_FLOAT_EQ(copy->getYSpeed(), -0.25f);
    EXPECT_EQ(copy->getPath().size(), second.getPath().size());
    second.update(0.1f, 0.1f, 0.0f, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(finger->GetTuioCursor()->getX(), 0.75f) << "not the caller's cursor";
    delete finger; // frees the copy
}

TEST_F(PrototypeActorsTest, RootsFollowTheirEndsAndGoWithEither)
{
    PhysicsActor* a = Piece("A", "end", Vector2(0.0f, 0.0f));
    PhysicsActor* b = Piece("B", "end", Vector2(4.0f, 3.0f));
    auto* root = new RootActor(a, b);
    auto* thorns = new RootJointActor(a, b);
    world->Add(root, 1);
    world->Add(thorns, 1);

    EXPECT_EQ(root->GetName(), "Root");
    EXPECT_EQ(Tagged("root, a, b"), 2u);
    EXPECT_EQ(root->GetPosition(), Vector2(2.0f, 1.5f));
    EXPECT_FLOAT_EQ(root->GetSize().X, 5.0f);
    EXPECT_FLOAT_EQ(root->GetSize().Y, 0.3f) << "1.5 / length";
    EXPECT_FLOAT_EQ(thorns->GetSize().Y, 0.2f) << "1.0 / length";
    EXPECT_NEAR(root->GetRotation(), 36.87f, 0.01f);
    EXPECT_EQ(thorns->GetColor().G, 0.3f);

    // The spring between the ends rests at 3 units.
    int joints = 0;
    for (b2JointEdge* edge = a->GetBody()->GetJointList(); edge; edge = edge->next, ++joints)
    {
        ASSERT_EQ(edge->joint->GetType(), e_distanceJoint);
        EXPECT_FLOAT_EQ(static_cast<b2DistanceJoint*>(edge->joint)->GetLength(), 3.0f);
    }
    EXPECT_EQ(joints, 2);

    b->SetPosition(0.0f, 0.5f);
    Frame();
    EXPECT_EQ(root->GetPosition(), Vector2(0.0f, 0.25f));
    EXPECT_FLOAT_EQ(root->GetSize().Y, 1.0f) << "never wider than the first end";
    EXPECT_NEAR(root->GetRotation(), 90.0f, 0.01f);

    b->Destroy();
    Frame();
    EXPECT_EQ(Tagged("root"), 0u) << "both roots went in the update after their end";
    EXPECT_FALSE(a->IsDestroyed());
    EXPECT_EQ(a->GetBody()->GetJointList(), nullptr);
}
