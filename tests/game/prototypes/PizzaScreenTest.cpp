// Needs an X display (run under Xvfb).
#include "engine/actors/ParticleActor.h"
#include "engine/actors/TextActor.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "game/prototypes/TuioScreenPizza.h"
#include "tests/game/prototypes/PrototypesTestSupport.h"

namespace
{

class PizzaScreenTest : public PrototypeTest
{
protected:
    TuioScreenPizza* Start() { return pizza = Run(new TuioScreenPizza()); }

    static ActorList All(const char* tag)
    {
        const ActorSet set = TagCollection::GetInstance()->GetObjectsTagged(tag);
        return ActorList(set.begin(), set.end());
    }

    static void ExpectColor(const Actor* actor, float r, float g, float b)
    {
        const Color& c = actor->GetColor();
        EXPECT_NEAR(c.R, r, 1e-4f);
        EXPECT_NEAR(c.G, g, 1e-4f);
        EXPECT_NEAR(c.B, b, 1e-4f);
    }

    TuioScreenPizza* pizza = nullptr;
};

} // namespace

TEST_F(PizzaScreenTest, RoundsStartInTheCornerAndFungiAgeThroughTheColourBands)
{
    Start();
    const ActorList pizzas = All("pizza");
    ASSERT_EQ(pizzas.size(), 3u);
    EXPECT_EQ(Actor::GetNamed("Pizza1")->GetPosition(), MathUtil::ScreenToWorld(512, 230));
    EXPECT_EQ(pizza->GetStatusText()->GetDisplayString(),
              "Colored fungi pop if you push them. Get fungi on the pizza");

    pizza->Update(0.0f); // no fungus and no spore: the first round
    const Vector2 corner = MathUtil::ScreenToWorld(102, 76);
    const ActorList round = All("fungus");
    ASSERT_EQ(round.size(), 3u);
    for (const Vector2& at : {corner - Vector2(0.2f, 0.2f), corner + Vector2(0.2f, -0.2f), corner})
        EXPECT_EQ(std::count_if(round.begin(), round.end(),
                                [&](Actor* f) { return f->GetPosition() == at; }),
                  1);
    for (Actor* fungus : round)
        pizza->RemoveActor(fungus);

    // A fungus of 2.5 s, in frames of 0.25 s: each frame restarts a half-second change
    // toward its band's colour, which then moves half the way.
    FungusPhysicsActor* fungus = pizza->SpawnFungus(Vector2(0.0f, 0.0f));
    fungus->SetCountdown(2.5f);
    Frame(0.25);
    Frame(0.25);
    ExpectColor(fungus, 1.0f, 1.0f, 1.0f);
    EXPECT_FALSE(fungus->IsTagged("popable"));
    Frame(0.25); // 1.75 s left
    ExpectColor(fungus, 0.5f, 0.5f, 1.0f);
    EXPECT_TRUE(fungus->IsTagged("popable"));
    Frame(0.25);
    Frame(0.25); // 1.25 s left
    ExpectColor(fungus, 0.125f, 0.625f, 1.0f);
    Frame(0.25);
    Frame(0.25); // 0.75 s left
    ExpectColor(fungus, 0.03125f, 0.90625f, 0.5f);
    EXPECT_TRUE(fungus->IsTagged("popable")) << "stays popable";
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
    Start();
    FungusPhysicsActor* young = pizza->SpawnFungus(Vector2(0.0f, 0.0f));
    FungusPhysicsActor* old = pizza->SpawnFungus(Vector2(2.0f, 0.0f));
    young->SetCountdown(5.0f);
    old->SetCountdown(1.8f);
    Frame();
    Touch("TuioCursorAdded", 0, 0.5f, 0.5f);
    Deliver();
    ASSERT_EQ(pizza->GetCursorActors().size(), 1u);
    TuioCursorPhysicsActor* finger = pizza->GetCursorActors().begin()->second;
    const Color colour = old->GetColor();
    Collide(finger, young);
    Collide(finger, old);
    Collide(finger, old);
    Deliver();
    EXPECT_FALSE(young->IsDestroyed()) << "not yet popable";
    EXPECT_TRUE(old->IsDestroyed());
    const ActorList spores = All("spore");
    ASSERT_EQ(spores.size(), 3u);
    for (Actor* spore : spores)
        EXPECT_EQ(spore->GetColor(), colour);
    int puffs = 0;
    for (Renderable* r : InWorld())
        if (auto* puff = dynamic_cast<ParticleActor*>(r))
            puffs += puff->GetColor() == colour;
    EXPECT_EQ(puffs, 1);

    const ActorList pizzas = All("pizza");
    const char* texts[] = {"1 pizza infested. 2 more to go.", "1 pizza infested. 2 more to go.",
                           "2 pizza infested. 1 more to go.", "All pizza infested. Well done!"};
    Actor* touched[] = {pizzas[0], pizzas[0], pizzas[1], pizzas[2]};
    for (int i = 0; i < 4; ++i)
    {
        Collide(young, touched[i]);
        Deliver();
        EXPECT_EQ(pizza->GetStatusText()->GetDisplayString(), texts[i]);
    }
    Frame(1.0);
    Frame(1.0);
    EXPECT_EQ(pizzas[0]->GetColor(), Color(0.0f, 1.0f, 0.0f, 1.0f));

    // When the last fungus and spore are gone, the next round cleans the pizzas.
    for (const char* kind : {"spore", "fungus"})
        for (Actor* piece : All(kind))
            pizza->RemoveActor(piece);
    Frame();
    EXPECT_EQ(Tagged("pizza, infested"), 0u);
    EXPECT_EQ(pizza->GetStatusText()->GetDisplayString(),
              "Colored fungi pop if you push them. Get fungi on the pizza");
    Frame(1.0);
    Frame(1.0);
    EXPECT_EQ(pizzas[0]->GetColor(), Color(1.0f, 1.0f, 1.0f, 1.0f));
}

TEST_F(PizzaScreenTest, StopLeavesNothingAndASecondStartWorks)
{
    Start();
    Frame();
    Touch("TuioCursorAdded", 1, 0.3f, 0.3f);
    Deliver();
    pizza->BurstFungus(pizza->SpawnFungus(Vector2(1.0f, 1.0f)));
    pizza->Stop();
    Frame(0.5);
    EXPECT_TRUE(InWorld().empty()) << InWorld().size() << " renderables left";

    Message cameraChange("CameraChange");
    pizza->ReceiveMessage(&cameraChange);
    Touch("TuioCursorAdded", 2, 0.5f, 0.5f);
    Deliver();
    EXPECT_TRUE(pizza->GetCursorActors().empty());

    pizza->Start();
    Frame();
    EXPECT_EQ(Tagged("pizza"), 3u);
    EXPECT_EQ(Tagged("fungus"), 3u);
}
