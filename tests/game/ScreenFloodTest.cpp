// Needs an X display (run under Xvfb). Floods of touches from the network, through the TUIO
// client and the manager as in the programs: what the screens make of them stays bounded, and
// touches work afterwards.
#include "game/prototypes/FingerActors.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/PrototypesManager.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "game/prototypes/TuioScreenCarrySheeps.h"
#include "game/prototypes/TuioScreenFungus.h"
#include "game/prototypes/TuioScreenLeveleditorSheeps.h"
#include "game/prototypes/TuioScreenPizza.h"
#include "game/prototypes/TuioScreenTwoPlayerSheeps.h"
#include "tests/game/FedScreenTest.h"

namespace
{

constexpr int kMaxFingers = FingerActors::kMaxFingers;

class ScreenFloodTest : public FedScreenTest
{
};

class EveryScreenFloodTest : public FedScreenTest, public testing::WithParamInterface<int>
{
};

} // namespace

// Every screen of both programs (0-6 the game's, 7-16 the further screens'): three floods of
// touches all over the table, each lifted again, leave the finger cap of finger actors on the
// further screens and none on the game's, all gone once lifted; floods added and lifted again
// and again within one frame make no more; then a touch of one finger gets its finger as
// before.
TEST_P(EveryScreenFloodTest, KeepsAtMostTheFingerCapAndTakesTouchesAfterwards)
{
    const String name = ManageOnly(GetParam());
    Tick();

    const bool makesFingers = GetParam() >= 7;
    for (int round = 0; round < 3; ++round)
    {
        Flood();
        Tick();
        EXPECT_EQ(Fingers(), makesFingers ? kMaxFingers : 0) << name << " round " << round;
        LiftAll();
        Tick();
        EXPECT_EQ(Fingers(), 0) << name;
    }
    for (int flood = 0; flood < 5; ++flood)
        Flood(), LiftAll();
    Deliver();
    EXPECT_EQ(Fingers(true), makesFingers ? kMaxFingers : 0) << name << ": made in one frame";
    Tick();
    Press(0.4f, 0.6f);
    Tick();
    EXPECT_EQ(Fingers(), makesFingers ? 1 : 0) << name;
    LiftAll();
    Tick();
    EXPECT_EQ(Fingers(), 0) << name;
}

INSTANTIATE_TEST_SUITE_P(BothPrograms, EveryScreenFloodTest, testing::Range(0, 17));

TEST_F(ScreenFloodTest, LiftedFloodsFillTheTwoPlayerBoardToItsCapAndARoomyBoardTakesSheepAgain)
{
    Manage([] { return ScreenManager::ScreenList{new TuioScreenTwoPlayerSheeps()}; });
    auto* sheeps = Running<TuioScreenTwoPlayerSheeps>();
    const size_t cap = TuioScreenTwoPlayerSheeps::kMaxSheep;
    // All on one point of player 1's half, far from the dogs: no sheep knocks another out.
    for (size_t round = 1; round <= 4; ++round)
    {
        Flood(0.25f, 0.5f);
        Tick();
        EXPECT_EQ(Fingers(), kMaxFingers);
        LiftAll();
        Tick();
        EXPECT_EQ(Tagged("p1"), std::min(round * kMaxFingers, cap)) << round;
    }
    // A lift on a full board makes no sheep; once one is knocked out, the next lift makes one.
    Press(0.75f, 0.5f);
    LiftAll();
    Deliver();
    EXPECT_EQ(Tagged("p2"), 0u);
    sheeps->RemoveSheep(Live("p1")[0]);
    Press(0.75f, 0.5f);
    LiftAll();
    Deliver();
    EXPECT_EQ(Tagged("p2"), 1u);

    // The grab screens' new sheep wait for room on the board too, scored sheep included.
    manager->StopRunningScreen();
    auto* grab = Run(new TuioScreenCarrySheeps());
    for (size_t n = 0; n < cap; ++n)
        grab->CreateSheep("aufwiese1", Color(),
                          Vector2(-7.0f + 1.5f * float(n % 10), -7.0f + 1.5f * float(n / 10)));
    Frame(0.5); // the update adds the World's frame time: 0.5 s from here on
    for (int n = 0; n < 5; ++n)
        grab->Update(0.0f);
    EXPECT_EQ(Tagged("p1") + Tagged("p2"), 0u);
    grab->RemoveSheep(Live("aufwiese1")[0]);
    grab->Update(0.0f);
    EXPECT_EQ(Tagged("p1") + Tagged("p2"), 1u);
}

TEST_F(ScreenFloodTest, BurstsOfAFloodOfFingersThrowNoMoreSporesThanTheBoardHasRoomFor)
{
    UseFolders("tests/game/data/Level");
    const size_t cap = PieceScreen::kMaxPieces;
    for (bool pizza : {true, false})
    {
        auto* pizzas = pizza ? Run(new TuioScreenPizza()) : nullptr;
        auto* fungi = pizza ? nullptr : Run(new TuioScreenFungus("none"));
        ActorList popable; // 150 fungi, each rooted to its nearest on the fungus screen
        for (int n = 0; n < 150; ++n)
        {
            const Vector2 at(-12.0f + 0.16f * n, 2.0f * (n % 5) - 4.0f);
            popable.push_back(pizza ? static_cast<Actor*>(pizzas->SpawnFungus(at))
                                    : static_cast<Actor*>(fungi->SpawnFungus(at)));
            popable.back()->Tag("popable");
        }
        for (int id = 0; id < 2 * kMaxFingers; ++id)
            Touch(kDown, id, 0.5f, 0.5f);
        Deliver();
        const FingerActors::Map fingers =
            static_cast<PieceScreen*>(screen.get())->GetCursorActors();
        ASSERT_EQ(fingers.size(), size_t(kMaxFingers)) << pizza;
        size_t next = 0;
        for (const auto& [id, finger] : fingers)
            Collide(finger, popable[next++]);
        Deliver();
        for (size_t n = 0; n < fingers.size(); ++n)
            EXPECT_TRUE(popable[n]->IsDestroyed()) << "burst: " << n;
        EXPECT_LE(Tagged("fungus") + Tagged("spore"), cap) << pizza;
        EXPECT_GT(Tagged("spore"), 0u) << pizza;
    }
}

TEST_F(ScreenFloodTest, FloodsOfFingersOnThePaletteMakeNoMoreCopiesThanTheCap)
{
    Run(new TuioScreenLeveleditorSheeps("leveleditor_sheeps"));
    Actor* item = Live("archetyp")[0];
    b2ContactPoint contact{};
    contact.position = b2Vec2(item->GetPosition().X, item->GetPosition().Y);
    const size_t cap = TuioScreenLeveleditorSheeps::kMaxCopies;
    for (size_t round = 1; round <= 3; ++round)
    {
        for (int id = 0; id < 2 * kMaxFingers; ++id)
            Touch(kDown, id, 0.05f, 0.05f);
        Deliver();
        ASSERT_EQ(Fingers(), kMaxFingers);
        for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
            if (auto* finger = dynamic_cast<TuioCursorPhysicsActor*>(*it))
                Collide(finger, static_cast<PhysicsActor*>(item), &contact);
        Deliver();
        EXPECT_EQ(Tagged("dropped_levelactor"), std::min(round * kMaxFingers, cap)) << round;
        for (int id = 0; id < 2 * kMaxFingers; ++id)
            Touch(kUp, id, 0.05f, 0.05f);
        Frame();
    }
}
