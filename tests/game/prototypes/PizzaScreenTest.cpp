// Needs an X display (run under Xvfb).
#include "engine/actors/TextActor.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "game/prototypes/TuioScreenPizza.h"
#include "tests/game/GameTestSupport.h"

namespace
{

class PizzaScreenTest : public ScreenTest
{
protected:
    void SetUp() override
    {
        ScreenTest::SetUp();
        pizza = Run(new TuioScreenPizza());
    }
    String Text() const { return pizza->GetStatusText()->GetDisplayString(); }

    static constexpr char kGoal[] = "Colored fungi pop if you push them. Get fungi on the pizza";
    TuioScreenPizza* pizza = nullptr;
};

} // namespace

TEST_F(PizzaScreenTest, RoundsStartInTheCornerAndFungiAgeThroughTheColourBands)
{
    EXPECT_EQ(Actor::GetNamed("Pizza1")->GetPosition(), MathUtil::ScreenToWorld(512, 230));
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
    for (int i = 0; i < 3; ++i)
        Frame(0.25);
    EXPECT_FALSE(fungus->IsDestroyed()) << "0 s left is not below 0";
    Frame(0.25);
    EXPECT_EQ(Tagged("fungus") + Tagged("spore"), 0u) << "it died without spores";
    Frame(0.25);
    EXPECT_EQ(Tagged("fungus"), 3u) << "the next round";
}

TEST_F(PizzaScreenTest, FingersBurstPopableFungiAndFungiInfestPizzas)
{
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
    Frame(1.0);
    Frame(1.0);
    EXPECT_EQ(pizzas[0]->GetColor(), Color());

    pizza->BurstFungus(Live("fungus")[0]);
    Stop();
    Frame(0.5);
    EXPECT_EQ(PuffsAndOthers(), std::make_pair(0, 0));
    Restart();
    Frame();
    EXPECT_TRUE(Tagged("pizza") == 3 && Tagged("fungus") == 3);
}
