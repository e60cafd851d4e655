// Needs an X display (run under Xvfb).
#include "engine/actors/FontRegistry.h"
#include "engine/actors/TextActor.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "game/prototypes/TuioScreenCarrySheeps.h"
#include "game/prototypes/TuioScreenSpringSheeps.h"
#include "tests/game/GameTestSupport.h"

#include <cmath>

namespace
{

const Vector2 kVisible(1024.0f / 768.0f * 20.0f, 20.0f); // the default camera's view

class TwoPlayerSheepsTest : public ScreenTest
{
protected:
    template <typename S> S* Start() { return Run(static_cast<S*>(sheeps = new S())); }
    PhysicsActor* Sheep(int player, Vector2 at)
    {
        return sheeps->CreateSheep(player == 1 ? "p1" : "p2", sheeps->GetPlayerColor(player), at);
    }
    /// The actor's one joint is a zero-length spring at hz and ratio.
    static void ExpectSpring(const PhysicsActor* actor, float hz, float ratio)
    {
        ASSERT_NE(actor->GetBody()->GetJointList(), nullptr);
        const auto* joint = static_cast<b2DistanceJoint*>(actor->GetBody()->GetJointList()->joint);
        const float mass = actor->GetBody()->GetMass(), omega = 2.0f * b2_pi * hz;
        EXPECT_NEAR(joint->GetStiffness(), mass * omega * omega, 1e-3f);
        EXPECT_NEAR(joint->GetDamping(), 2.0f * mass * ratio * omega, 1e-3f);
    }

    TuioScreenTwoPlayerSheeps* sheeps = nullptr;
};

} // namespace

TEST_F(TwoPlayerSheepsTest, SheepScoreKnockOutAndChangeSidesAndGrabScreensGiveAndCarryThem)
{
    TuioScreenTwoPlayerSheeps* s = Start<TuioScreenTwoPlayerSheeps>();
    EXPECT_GT(GetTextExtents("0", "ConsoleBig").Y, 24.0f) << "the score font is registered";
    PhysicsActor* red = Sheep(1, Vector2(12.0f, 0.0f));
    PhysicsActor* blue = Sheep(2, Vector2(-8.0f, 6.0f));
    PhysicsActor* other = Sheep(2, Vector2(-8.0f, -6.0f));
    Frame(0.02); // red touches player 1's meadow at the right edge
    Frame(0.02);
    EXPECT_EQ(s->GetScoreText(1)->GetDisplayString(), "1");
    EXPECT_TRUE(red->IsTagged("aufwiese1") && !red->IsTagged("p1") && red->GetColor() == Color());
    ExpectSpring(red, 1.2f, 0.5f);
    Collide(red, s->GetMeadow(1));  // scored sheep score once
    Collide(red, s->GetDogs()[0]);  // and no dog takes them
    Collide(blue, s->GetMeadow(1)); // the other player's meadow gives nothing
    Collide(other, s->GetMeadow(2));
    Deliver();
    EXPECT_TRUE(s->GetScore(1) == 1 && s->GetScore(2) == 1 && red->IsTagged("aufwiese1"));
    ExpectSpring(other, 1.2f, 0.0f); // undamped on player 2's meadow

    // A dog hands blue over; each message of a meeting knocks out its sender, also a scored one.
    Collide(blue, s->GetDogs()[1]);
    Deliver();
    EXPECT_TRUE(blue->IsTagged("p1") && blue->GetColor().R == 1.0f);
    PhysicsActor* rival = Sheep(2, Vector2(0.0f, 6.0f));
    PhysicsActor* bystander = Sheep(2, Vector2(0.0f, -6.0f));
    Collide(blue, s->GetMeadow(2)); // player 2's meadow gives player 1's sheep nothing
    Collide(blue, other);
    Collide(blue, rival);
    Collide(rival, blue);
    Collide(bystander, red);
    Deliver();
    EXPECT_TRUE(blue->IsDestroyed() && rival->IsDestroyed() && red->IsDestroyed() &&
                other->IsDestroyed() && s->GetScore(2) == 1);
    EXPECT_FALSE(bystander->IsDestroyed());
    EXPECT_EQ(PuffsAndOthers().first, 4);
    // Renamed by a script, a meadow scoring on itself counts, tied to nothing (Box2D aborts).
    PhysicsActor *meadow = s->GetMeadow(2), *named = s->GetMeadow(1);
    const String name = bystander->GetName();
    bystander->SetName("Stray"), meadow->SetName(name), named->SetName("P2Wiese");
    meadow->Tag("p2");
    Collide(meadow, named);
    Deliver();
    EXPECT_EQ(s->GetScore(2), 2);

    // Dogs are pushed by draws of -5 ... 4 on each axis.
    for (size_t i = 0; i < 3; ++i) // apart and at rest
        Stand(s->GetDogs()[i], Vector2(-8.0f + 8.0f * i, 0.0f));
    std::srand(11);
    float draws[6]; // x, then y, for each dog in turn
    for (float& draw : draws)
        draw = static_cast<float>(std::rand() % 10 - 5);
    std::srand(11);
    s->Update(0.0f);
    world->RunPhysics(1.0f / 60.0f); // one step: v = force * dt / m
    for (int i = 0; i < 3; ++i)
        ExpectNear(Velocity(s->GetDogs()[i]) * 60.0f * s->GetDogs()[i]->GetBody()->GetMass(),
                   Vector2(draws[2 * i], draws[2 * i + 1]));

    // A lifted finger makes a sheep for its half of the picture, flung at the finger's speed.
    s = Start<TuioScreenTwoPlayerSheeps>();
    const float left = 511.0f / 1024.0f, middle = 512.0f / 1024.0f;
    Touch(kDown, 1, left, 0.25f);
    Touch(kDown, 2, middle, 0.5f);
    Touch(kUp, 7, 0.2f, 0.2f); // a touch never seen makes nothing
    Touch(kMove, 1, left, 0.75f);
    Deliver();
    Touch(kUp, 1, left, 0.75f, 0.25f, -0.5f);
    Touch(kUp, 2, middle, 0.5f);
    Deliver();
    ASSERT_TRUE(Tagged("p1") == 1 && Tagged("p2") == 1);
    const Actor *first = Live("p1")[0], *second = Live("p2")[0];
    ExpectNear(first->GetPosition(), MathUtil::ScreenToWorld(511, 576));
    // Screen y grows downwards: a finger moving up flings the sheep up.
    const Vector2 fling(0.25f * kVisible.X, 0.5f * kVisible.Y);
    ExpectNear(Velocity(first),
               fling / static_cast<const PhysicsActor*>(first)->GetBody()->GetMass());
    ExpectNear(second->GetPosition(), Vector2(0.0f, 0.0f));
    ExpectNear(Velocity(second), Vector2(0.0f, 0.0f));

    // The grab screens give a player a sheep every 2 s while fewer than 10 are in play.
    GrabSheepsScreen* grab = Start<TuioScreenSpringSheeps>();
    Frame(0.5); // the update adds the World's frame time: 0.5 s from here on
    for (int n = 0; n < 3; ++n)
        grab->Update(0.0f);
    EXPECT_EQ(Tagged("p1"), 0u) << "2.0 s is not yet more than 2.0 s";
    grab->Update(0.0f);
    ASSERT_EQ(Tagged("p1"), 1u);
    ExpectNear(Live("p1")[0]->GetPosition(), grab->GetMeadow(2)->GetPosition());
    for (int n = 0; n < 9; ++n)
        Sheep(1, Vector2(0.0f, -8.0f + 1.5f * n));
    for (int n = 0; n < 5; ++n)
        grab->Update(0.0f);
    EXPECT_EQ(Tagged("p1"), 10u) << "the cap holds, player 2's sheep keep coming";
    EXPECT_EQ(Tagged("p2"), 2u);

    // Only moving right turns a sheep right; standing still it turns back.
    Actor* sheep = Live("p2")[0];
    Vector2 lowerLeft, upperRight;
    for (float vx : {2.0f, 0.0f})
    {
        static_cast<PhysicsActor*>(sheep)->GetBody()->SetLinearVelocity(b2Vec2(vx, 1.0f));
        grab->Update(0.0f);
        sheep->GetUVs(lowerLeft, upperRight);
        EXPECT_TRUE(sheep->IsTagged(vx > 0 ? "looksright" : "looksleft"));
        EXPECT_EQ(upperRight.X - lowerLeft.X, vx > 0.0f ? -1.0f : 1.0f); // mirrored, and back
    }

    // A touch grabs the first sheep it meets and carries it, or pulls it, till lifted.
    for (bool carry : {true, false})
    {
        GrabSheepsScreen* s = carry ? static_cast<GrabSheepsScreen*>(Start<TuioScreenCarrySheeps>())
                                    : Start<TuioScreenSpringSheeps>();
        PhysicsActor* sheep = Sheep(1, Vector2(5.0f, 5.0f));
        PhysicsActor* second = Sheep(1, Vector2(5.0f, -5.0f));
        Touch(kDown, 3, 0.6875f, 0.25f); // over the sheep at (5, 5)
        Deliver();
        Frame(0.02); // the physics step reports the finger's contact
        Frame(0.02); // and the next delivery grabs
        TuioCursorPhysicsActor* finger = s->GetCursorActor(3);
        finger->SetTuioCursor(finger->GetTuioCursor()); // its own copy
        EXPECT_EQ(finger->GetTuioCursor()->getCursorID(), 3);
        EXPECT_EQ(sheep->IsTagged("attachedtocursor3"), carry);
        if (!carry)
            ExpectSpring(sheep, 1.5f, 0.5f);
        Collide(finger, second); // one sheep per touch
        Deliver();
        EXPECT_FALSE(second->IsTagged("attachedtocursor3") || second->GetBody()->GetJointList());

        Touch(kMove, 3, 0.5f, 0.25f); // 5 units to the left
        Deliver();
        Frame(0.02); // carried under the finger, or pulled towards it by the spring
        EXPECT_NEAR(sheep->GetPosition().X, carry ? 0.0f : 4.9f, carry ? 1e-3f : 0.1f);
        const Vector2 before = Velocity(sheep);
        Touch(kUp, 3, 0.3f, 0.7f, 0.1f, -0.2f);
        Deliver();
        // A carried sheep is flung at the finger's velocity; a pulled one keeps its own.
        const Vector2 fling(0.1f * kVisible.X, 0.2f * kVisible.Y);
        ExpectNear(Velocity(sheep) - before,
                   carry ? fling / sheep->GetBody()->GetMass() : Vector2());
        EXPECT_EQ(sheep->GetPosition().X == 0.0f, carry);
        Frame(0.02); // the finger's actor is deleted, and the spring with it
        EXPECT_FALSE(sheep->IsTagged("attachedtocursor3") || sheep->GetBody()->GetJointList());
        EXPECT_EQ(Tagged("p1") + Tagged("p2"), 2u) << "lifting makes no sheep";
    }
}

// A carried sheep is let go when its touch ends, also when someone else (a script) destroyed the
// touch's finger before: kept, its tag would hand it to the next touch with that cursor ID.
TEST_F(TwoPlayerSheepsTest, ACarriedSheepIsLetGoWhenItsTouchEndsWhateverBecameOfItsFinger)
{
    Start<TuioScreenCarrySheeps>();
    PhysicsActor* sheep = Sheep(1, Vector2(5.0f, 5.0f));
    Touch(kDown, 3, 0.6875f, 0.25f); // over the sheep
    Deliver();
    Frame(0.02);
    Frame(0.02);
    ASSERT_TRUE(sheep->IsTagged("attachedtocursor3"));
    sheeps->GetCursorActor(3)->Destroy();
    Touch(kUp, 3, 0.5f, 0.25f);
    Deliver();
    EXPECT_FALSE(sheep->IsTagged("attachedtocursor3"));
    EXPECT_EQ(sheep->GetPosition(), Vector2(5.0f, 5.0f)) << "not flung without its finger";
}

TEST_F(TwoPlayerSheepsTest, TouchesFarOffTheTableOrNotNumbersKeepEveryActorFiniteAndScoreNothing)
{
    const auto finite = [this]
    {
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            if (const auto* actor = dynamic_cast<const Actor*>(*it))
                if (!std::isfinite(actor->GetPosition().X + actor->GetPosition().Y))
                    return false;
        return true;
    };
    for (int kind = 0; kind < 3; ++kind)
    {
        TuioScreenTwoPlayerSheeps* s =
            kind == 0   ? Start<TuioScreenTwoPlayerSheeps>()
            : kind == 1 ? static_cast<GrabSheepsScreen*>(Start<TuioScreenCarrySheeps>())
                        : Start<TuioScreenSpringSheeps>();
        for (float v : {1e30f, -1e30f, std::nanf("")})
        {
            Sheep(1, Vector2(5.0f, 5.0f));
            Down(3, Vector2(5.0f, 5.0f)); // grabs the sheep
            Touch(kMove, 3, v, v, v, v);
            Touch(kDown, 4, v, v, v, v);
            Deliver();
            const size_t blue = Tagged("p2");
            Touch(kUp, 3, v, v, v, v);
            Touch(kUp, 4, v, v, v, v);
            Deliver();
            // The side of a lifted touch is where its sheep is made: off the right edge, or
            // the middle for no number.
            EXPECT_EQ(Tagged("p2") - blue, kind > 0 || v < 0.0f ? 0u : 2u) << v;
            for (int n = 0; n < 5; ++n)
                Frame(0.02);
            EXPECT_TRUE(finite()) << kind << " " << v;
        }
        EXPECT_TRUE(s->GetScore(1) == 0 && s->GetScore(2) == 0) << kind;
    }
}
