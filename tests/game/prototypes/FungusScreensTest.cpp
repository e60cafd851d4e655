// Needs an X display (run under Xvfb). Prototype actors, roots, the fungus and pizza screens.
#include "engine/actors/TextActor.h"
#include "engine/world/Camera.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/RootActor.h"
#include "game/prototypes/RootJointActor.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "game/prototypes/TuioScreenFungus.h"
#include "game/prototypes/TuioScreenFungusLevels.h"
#include "game/prototypes/TuioScreenPizza.h"
#include "tests/game/GameTestSupport.h"

namespace
{

class FungusScreensTest : public ScreenTest
{
protected:
    /// On a level of the tests' own (or none).
    void Start(const char* level = "none") { fungi = Run(new TuioScreenFungus(level)); }
    /// The level-based screen on the levels "stand_in0" ... "stand_in2".
    void StartLevels() { levels = Run(new TuioScreenFungusLevels("stand_in")); }
    String Text() const
    {
        return static_cast<PieceScreen*>(screen.get())->GetStatusText()->GetDisplayString();
    }
    /// The roots at a, or between a and b.
    static size_t Roots(const Actor* a, const Actor* b = nullptr)
    {
        return Tagged("root, " + ToLower(a->GetName()) + (b ? ", " + ToLower(b->GetName()) : ""));
    }
    /// A flower reaches each piece of food of level n that is not yet infested.
    void Complete(int n)
    {
        for (Actor* food : Live("food, level" + IntToString(n)))
            if (!food->IsTagged("infested"))
                Collide(levels->SpawnFungus(food->GetPosition() + Vector2(1.5f, 0.0f)), food),
                    Deliver();
    }
    /// The camera's scroll of 5 s and the delivery of its end: the status line stays at the top
    /// of the view, and the win text until the end, through the waves.
    void Scroll()
    {
        for (int i = 0; i < 5; ++i)
        {
            EXPECT_EQ(Text(), "All food infested. Well done!") << i;
            ExpectNear(levels->GetStatusText()->GetPosition(),
                       Camera::GetInstance()->GetPosition() + Vector2(0.0f, 9.0f));
            Frame(1.0);
        }
        Frame(1.0);
        EXPECT_EQ(levels->GetStatusText()->GetPosition(), Vector2(0.0f, 9.0f));
        EXPECT_EQ(Text(), "Get fungi on the food");
    }

    static constexpr char kGoal[] = "Colored fungi pop if you push them. Get fungi on the pizza";
    TuioScreenFungus* fungi = nullptr;
    TuioScreenFungusLevels* levels = nullptr;
};

} // namespace

TEST_F(FungusScreensTest, PiecesAndRootsOfTheFungusScreenAndFoodThatCountsOnce)
{
    UseFolders("tests/game/data/Level");
    String names;
    for (Actor* piece : ActorList{new FungusPhysicsActor(), new FungusPhysicsActor(),
                                  new FlowerActor(), new PilzPhysicsActor()})
        world->Add(piece, 2), names += piece->GetName() + " ";
    EXPECT_EQ(names, "Fungus Fungus1 Pilz Pilz1 ");

    TuioCursorPhysicsActor cursorActor; // frees its copy (the leak check sees it)
    EXPECT_EQ(cursorActor.GetTuioCursor(), nullptr);
    TUIO::TuioCursor first(TUIO::TuioTime(), 5, 1, 0.2f, 0.3f),
        second(TUIO::TuioTime(), 6, 2, 0.7f, 0.8f);
    second.update(0.75f, 0.8f, 0.5f, -0.25f, 1.0f);
    cursorActor.SetTuioCursor(&first);
    cursorActor.SetTuioCursor(&second);
    const TUIO::TuioCursor* copy = cursorActor.GetTuioCursor();
    ASSERT_TRUE(copy != nullptr && copy != &second);
    EXPECT_TRUE(copy->getSessionID() == 6 && copy->getCursorID() == 2 && copy->getX() == 0.75f &&
                copy->getYSpeed() == -0.25f && copy->getPath().size() == second.getPath().size());

    // Roots follow their ends, and go with either.
    world->LoadLevel("ends");
    PhysicsActor *a = Named("A"), *b = Named("B");
    auto* root = new RootActor(a, b);
    auto* thorns = new RootJointActor(a, b);
    world->Add(root, 1);
    world->Add(thorns, 1);
    EXPECT_EQ(Roots(a, b), 2u);
    world->LoadLevel("ends");
    PhysicsActor* other = Named("A1");
    EXPECT_EQ(root->GetPosition(), Vector2(2.0f, 1.5f));
    EXPECT_EQ(root->GetSize(), Vector2(5.0f, 0.3f)) << "1.5 / length";
    EXPECT_FLOAT_EQ(thorns->GetSize().Y, 0.2f) << "1.0 / length";
    EXPECT_NEAR(root->GetRotation(), 36.87f, 0.01f);

    b->SetPosition(0.0f, 0.5f);
    Frame();
    EXPECT_EQ(root->GetPosition(), Vector2(0.0f, 0.25f));
    EXPECT_FLOAT_EQ(root->GetSize().Y, 1.0f) << "never wider than the first end";
    EXPECT_NEAR(root->GetRotation(), 90.0f, 0.01f);
    b->Destroy();
    Frame();
    EXPECT_EQ(Tagged("root"), 0u) << "both roots went in the update after their end";
    EXPECT_FALSE(a->IsDestroyed());
    world->Add(new RootActor(a, other), 1);
    world->Remove(other);
    delete other; // as a level unload does
    Frame();
    EXPECT_EQ(Tagged("root"), 0u) << "also when the end was deleted outright";

    // New fungi root to their two nearest and to free anchors in reach.
    world->UnloadAll();
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

    // An anchor 4.5 away gets no root, one 4.4 away does, and no second: the first, nearer, does.
    Actor* east = fungi->SpawnFungus(Vector2(20.0f, 0.0f));
    EXPECT_TRUE(Roots(east, atReach) == 0 && Roots(east, inReach) == 1);
    Actor* next = fungi->SpawnFungus(Vector2(21.0f, 1.0f));
    EXPECT_TRUE(Roots(next, atReach) == 1 && Roots(inReach) == 1);

    // Fingers burst red fungi into one spore per root and pop white ones.
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

    // A finger deleted by someone else (a script) moves no more; a new touch gets a new one.
    finger->Destroy();
    Frame();
    Touch(kMove, 4, 0.3f, 0.3f);
    Touch(kDown, 4, 0.5f, 0.5f);
    Deliver();
    finger = static_cast<TuioCursorPhysicsActor*>(Actor::GetNamed("Cursor"));
    ASSERT_TRUE(finger != nullptr && fungi->GetCursorActors().at(4) == finger);
    Switchboard::GetInstance()->Broadcast(new Message(kDown)); // no cursor: nothing
    Touch(kUp, 4, 0.5f, 0.5f);
    Deliver();
    EXPECT_TRUE(finger->IsDestroyed() && fungi->GetCursorActors().empty());

    // Food counts once, and the marker sets the wave.
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

TEST_F(FungusScreensTest, LevelsFollowInACycleScrollAwayAndStartWavesWithOnePieceLeft)
{
    UseFolders("tests/game/data/Level");
    StartLevels();
    EXPECT_EQ(Tagged("level0") + Tagged("level1") + Tagged("level2"), 8u);
    for (Actor* food : Live("level2, food")) // the level before lies below, done
        EXPECT_TRUE(food->GetPosition().Y == -15.0f && food->IsTagged("infested"));
    // A new wave starts with one piece left only.
    Frame();
    ASSERT_EQ(Tagged("spore"), 2u);
    Frame();
    EXPECT_EQ(Tagged("spore"), 2u) << "two pieces: no wave";
    levels->RemoveActor(Live("spore")[0]);
    levels->GetStatusText()->SetDisplayString("old");
    Frame();
    EXPECT_EQ(Tagged("spore"), 3u) << "one piece: a wave";
    EXPECT_EQ(Text(), "Get fungi on the food");

    Actor* flower = levels->SpawnFungus(Vector2(0.0f, 2.0f));
    Actor* food = Live("level0, food")[0];
    Collide(levels->SpawnFungus(Vector2(0.0f, 0.0f)), food);
    Deliver();
    EXPECT_EQ(Text(), "3 food infested. 1 more to go.");

    Complete(0);
    EXPECT_EQ(Text(), "All food infested. Well done!");
    EXPECT_TRUE(flower->IsDestroyed() && Live("fungus").empty()) << "every flower is fixed";
    EXPECT_TRUE(Live("spore").empty());
    // The finished level moved down, the one before further; the view slides from there.
    EXPECT_EQ(food->GetPosition().Y, -15.0f);
    EXPECT_EQ(Live("level2, food")[0]->GetPosition().Y, -30.0f);
    EXPECT_EQ(Live("level1, food")[0]->GetPosition().Y, 0.0f);
    EXPECT_EQ(levels->GetSpawnPosition(), Vector2(1.0f, 5.0f));
    EXPECT_EQ(Camera::GetInstance()->GetPosition(), Vector2(0.0f, -15.0f));
    Scroll();
    EXPECT_EQ(Camera::GetInstance()->GetPosition(), Vector2(0.0f, 0.0f));
    EXPECT_EQ(Tagged("level2"), 0u) << "removed when the scroll ended";

    // Level 2 comes back, then level 0 within the scroll that would remove it: the old goes first.
    Complete(1);
    Complete(2);
    EXPECT_EQ(levels->GetStatusText()->GetPosition(), Vector2(0.0f, -6.0f)) << "not sunk";
    EXPECT_EQ(levels->GetCurrentLevel(), 0);
    EXPECT_EQ(Live("level0").size(), 4u);

    Complete(0);
    Stop(); // within the scroll to level 1
    EXPECT_EQ(Camera::GetInstance()->GetPosition(), Vector2(0.0f, 0.0f)) << "no scroll left";
    Restart();
    EXPECT_EQ(levels->GetCurrentLevel(), 0);
}

TEST_F(FungusScreensTest, PizzaRoundsStartInTheCornerFungiAgeThroughColourBandsAndBurst)
{
    auto* pizza = Run(new TuioScreenPizza());
    EXPECT_EQ(Text(), kGoal);
    pizza->Update(0.0f); // no fungus and no spore: the first round
    const Vector2 p = MathUtil::ScreenToWorld(102, 76);
    const ActorList round = Live("fungus");
    ASSERT_EQ(round.size(), 3u);
    for (const Vector2& at : {p - Vector2(0.2f, 0.2f), p + Vector2(0.2f, -0.2f), p})
        EXPECT_EQ(std::count_if(round.begin(), round.end(),
                                [&](Actor* f) { return f->GetPosition() == at; }),
                  1);
    for (Actor* fungus : round)
        pizza->RemoveActor(fungus);

    // A fungus of 2.5 s in frames of 0.25 s: each frame restarts a half-second change toward
    // its band's colour, which then goes half the way. Blue (popable) from the 3rd frame, cyan
    // from the 5th, green from the 7th.
    FungusPhysicsActor* fungus = pizza->SpawnFungus(Vector2(0.0f, 0.0f));
    fungus->SetCountdown(2.5f);
    const float r[] = {1, 1, 0.5f, 0.25f, 0.125f, 0.0625f, 0.03125f};
    const float g[] = {1, 1, 0.5f, 0.25f, 0.625f, 0.8125f, 0.90625f};
    const float b[] = {1, 1, 1, 1, 1, 1, 0.5f};
    for (int i = 0; i < 7; ++i)
    {
        Frame(0.25);
        EXPECT_EQ(fungus->GetColor(), Color(r[i], g[i], b[i])) << i;
        EXPECT_EQ(fungus->IsTagged("popable"), i >= 2);
    }
    Frame(1.0);
    EXPECT_EQ(Tagged("fungus") + Tagged("spore"), 0u) << "it died without spores";

    // Fingers burst popable fungi, and fungi infest pizzas.
    pizza = Run(new TuioScreenPizza());
    FungusPhysicsActor* young = pizza->SpawnFungus(Vector2(0.0f, 0.0f));
    FungusPhysicsActor* old = pizza->SpawnFungus(Vector2(2.0f, 0.0f));
    young->SetCountdown(5.0f);
    old->SetCountdown(1.8f);
    Frame();
    Touch(kDown, 0, 0.5f, 0.5f);
    Deliver();
    Actor* finger = pizza->GetCursorActors().at(0);
    const Color colour = old->GetColor();
    Collide(finger, young);
    Collide(finger, old);
    Collide(finger, old);
    Deliver();
    EXPECT_FALSE(young->IsDestroyed()) << "not yet popable";
    EXPECT_TRUE(old->IsDestroyed());
    ASSERT_EQ(Tagged("spore"), 3u);
    for (Actor* spore : Live("spore"))
        EXPECT_EQ(spore->GetColor(), colour);
    EXPECT_EQ(PuffsAndOthers(colour).first, 1);

    const ActorList pizzas = Live("pizza");
    const char* texts[] = {"1 pizza infested. 2 more to go.", "1 pizza infested. 2 more to go.",
                           "2 pizza infested. 1 more to go.", "All pizza infested. Well done!"};
    Actor* touched[] = {pizzas[0], pizzas[0], pizzas[1], pizzas[2]};
    for (int i = 0; i < 4; ++i)
    {
        Collide(young, touched[i]);
        Deliver();
        EXPECT_EQ(Text(), texts[i]);
    }

    // When the last fungus and spore are gone, the next round cleans the pizzas.
    for (const char* kind : {"spore", "fungus"})
        for (Actor* piece : Live(kind))
            pizza->RemoveActor(piece);
    Frame();
    EXPECT_EQ(Tagged("pizza, infested"), 0u);
    EXPECT_EQ(Text(), kGoal);
}
