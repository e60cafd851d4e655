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
    const char* names[] = {"Fungus", "Fungus1", "Pilz", "Pilz1"};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(pieces[i]->GetName(), names[i]);

    auto* spore = static_cast<GamePieceActor*>(pieces[2]);
    spore->DecreaseCountdown(0.016f);
    EXPECT_FLOAT_EQ(spore->GetCountdown(), -0.016f) << "a fresh piece counts down from 0";
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
    ASSERT_TRUE(copy != nullptr && copy != &second);
    EXPECT_TRUE(copy->getSessionID() == 6 && copy->getCursorID() == 2 && copy->getX() == 0.75f &&
                copy->getYSpeed() == -0.25f && copy->getPath().size() == second.getPath().size());
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

    EXPECT_EQ(Roots(a, b), 2u);
    EXPECT_EQ(root->GetPosition(), Vector2(2.0f, 1.5f));
    EXPECT_FLOAT_EQ(root->GetSize().X, 5.0f);
    EXPECT_FLOAT_EQ(root->GetSize().Y, 0.3f) << "1.5 / length";
    EXPECT_FLOAT_EQ(thorns->GetSize().Y, 0.2f) << "1.0 / length";
    EXPECT_NEAR(root->GetRotation(), 36.87f, 0.01f);

    // A spring between the ends that rests at 3 units.
    b2Joint* spring = a->GetBody()->GetJointList()->joint;
    ASSERT_EQ(spring->GetType(), e_distanceJoint);
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
    EXPECT_EQ(a->GetBody()->GetJointList(), nullptr);
}
