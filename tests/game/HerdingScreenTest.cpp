// Needs an X display (run under Xvfb). The herding screen on a real level and on levels the
// test writes.
#include "engine/actors/PhysicsActor.h"
#include "engine/actors/TextActor.h"
#include "engine/input/InputManager.h"
#include "engine/input/MouseInput.h"
#include "engine/messaging/TagCollection.h"
#include "engine/messaging/TypedMessage.h"
#include "engine/util/MathUtil.h"
#include "engine/world/box2d/Box2D20.h"
#include "engine/world/glfw2/Glfw2.h"
#include "game/TuioScreenSheeps.h"
#include "tests/game/GameTestSupport.h"

#include <cstdio>
#include <fstream>
#include <unistd.h>

namespace
{

class HerdingScreenTest : public GameTest
{
protected:
    TuioScreenSheeps& Level1()
    {
        Tick({"MoveForwards"});
        return *Running<TuioScreenSheeps>();
    }

    static Vector2 Velocity(const PhysicsActor* sheep)
    {
        const b2Vec2 v = sheep->GetBody()->GetLinearVelocity();
        return Vector2(v.x, v.y);
    }
    static void Stand(PhysicsActor* sheep, const Vector2& at = Vector2(99.0f, 99.0f))
    {
        if (at.X != 99.0f)
            sheep->SetPosition(at);
        sheep->GetBody()->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
    }

    /// Presses or releases a key in this program's window and waits until the window has it.
    void Key(const char* action, char key)
    {
        // Other test programs' windows may share the display and the title.
        const String command = "xdotool search --all --pid " + std::to_string(getpid()) +
                               " --name Tessaly " + action + " --window %1 " + key;
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        const bool down = String(action) == "keydown";
        for (int frame = 0; frame < 300 && InputManager::GetInstance()->IsKeyDown(key) != down;
             ++frame)
            Frame(0.0);
        ASSERT_EQ(InputManager::GetInstance()->IsKeyDown(key), down);
    }
};

/// A level file for the length of a test.
struct LevelFile
{
    LevelFile(const char* name, const char* text) : path("Config/Level/" + String(name) + ".ini")
    {
        std::ofstream(path) << text;
    }
    ~LevelFile() { std::remove(path.c_str()); }
    String path;
};

/// Sends "CollisionWith" + sheep's name from sender, as the World does for a contact.
void Collide(const Actor* sheep, MessageListener* sender, b2ContactPoint* point)
{
    Switchboard::GetInstance()->Broadcast(
        new TypedMessage<b2ContactPoint*>("CollisionWith" + sheep->GetName(), point, sender));
}

} // namespace

TEST_F(HerdingScreenTest, SheepStandOnTheStartAreaOrTheLineSaysWhatIsMissing)
{
    const char* names[] = {"test_example", "test_no_meadow", "test_no_start", "test_narrow"};
    const LevelFile files[] = {
        {names[0], "[Wiese]\ntype = meadow\nposition = [9, 0]\n"
                   "[Startwiese]\ntype = startarea\nposition = [0, 0]\nsize = [4, 3]\n"},
        {names[1], "[Startwiese]\ntype = startarea\nposition = [0, 0]\n"},
        {names[2], "[Wiese]\ntype = meadow\nposition = [9, 0]\n"},
        {names[3], "[Wiese]\ntype = meadow\nposition = [9, 0]\n"
                   "[Startwiese]\ntype = startarea\nposition = [0, 0]\nsize = [0.5, 3]\n"}};
    DeleteManager();
    manager = std::make_unique<TestManager>(touches.client.get(),
                                            [&]
                                            {
                                                ScreenManager::ScreenList screens;
                                                for (const char* name : names)
                                                    screens.push_back(new TuioScreenSheeps(name));
                                                return screens;
                                            });

    const TuioScreenSheeps& example = *Running<TuioScreenSheeps>();
    const float xs[] = {-2, -1, 0, 1, -2, -1, 0, 1, -2, -1},
                ys[] = {1, 1, 1, 1, 0, 0, 0, 0, -1, -1};
    for (int i = 0; i < TuioScreenSheeps::kSheepCount; ++i)
        EXPECT_EQ(example.GetSheep(i)->GetPosition(), Vector2(xs[i], ys[i])) << i;
    EXPECT_EQ(example.GetCounterText()->GetPosition(), Vector2(9.0f, 0.0f));

    const char* problems[] = {"no actor named \"Wiese\".", "no actor named \"Startwiese\".",
                              "\"Startwiese\" is narrower than one sheep."};
    for (int broken = 1; broken <= 3; ++broken)
    {
        Tick({"MoveForwards"});
        ASSERT_EQ(manager->GetCurrentScreenIndex(), broken) << "the keys still switch";
        const TuioScreenSheeps& screen = *Running<TuioScreenSheeps>();
        const String status = screen.GetStatusText()->GetDisplayString();
        EXPECT_EQ(status, "Level '" + String(names[broken]) +
                              "' cannot be played: " + problems[broken - 1]);
        for (int i = 0; i < TuioScreenSheeps::kSheepCount; ++i)
            EXPECT_EQ(screen.GetSheep(i), nullptr);
        for (int frame = 0; frame < 90; ++frame)
            Tick();
        EXPECT_EQ(screen.GetStatusText()->GetDisplayString(), status) << "nothing else happens";
    }
}

TEST_F(HerdingScreenTest, BarksPushByDistanceAndStrengthAndSheepLookWhereTheyRun)
{
    TuioScreenSheeps& screen = Level1();
    PhysicsActor* first = screen.GetSheep(0);
    Stand(first, Vector2(-11.5f, 0.5f));
    Stand(screen.GetSheep(1), Vector2(-10.5f, 0.5f));
    screen.Bark(Vector2(-15.5f, 0.5f), 1.0f);
    EXPECT_NEAR(Velocity(first).X, 1.0f / 1.8f, 1e-5f) << "an impulse of 1.0 on 1.8 kg";
    EXPECT_EQ(Velocity(first).Y, 0.0f);
    EXPECT_EQ(Velocity(screen.GetSheep(1)), Vector2::Zero) << "5.0 away";
    EXPECT_EQ(screen.GetBarkWave()->GetPosition(), Vector2(-15.5f, 0.5f));

    // A touch moving to pixel (100, 384) barks there with a tenth of a new touch's strength.
    const Vector2 at = MathUtil::ScreenToWorld(100, 384);
    ASSERT_TRUE(Touch({7}, {{7, 101.0f / 1024, 0.5f}}));
    Switchboard::GetInstance()->SendAllMessages();
    EXPECT_GT(Velocity(first).Length(), 1.0f);
    Stand(first);
    ASSERT_TRUE(Touch({7}, {{7, 100.0f / 1024, 0.5f}}));
    Switchboard::GetInstance()->SendAllMessages();
    const Vector2 updated = Velocity(first);
    Stand(first);
    screen.Bark(at, 1.0f);
    EXPECT_NEAR(updated.X, Velocity(first).X * 0.1f, 1e-5f);
    EXPECT_NEAR(updated.Y, Velocity(first).Y * 0.1f, 1e-5f);
    Stand(first);
    ASSERT_TRUE(Touch({}, {}));
    Switchboard::GetInstance()->SendAllMessages();
    EXPECT_EQ(Velocity(first), Vector2::Zero) << "lifting a finger does not bark";

    MouseMotion(512, 384); // any button barks at the click
    MouseButton(1, glfw2::PRESS);
    EXPECT_EQ(screen.GetBarkWave()->GetPosition(), Vector2(0.0f, 0.0f));

    PhysicsActor* last = screen.GetSheep(9);
    Vector2 lowerLeft, upperRight;
    for (const float vx : {1.0f, 0.0f, -1.0f})
    {
        last->GetBody()->SetLinearVelocity(b2Vec2(vx, 0.0f));
        Tick();
        last->GetUVs(lowerLeft, upperRight);
        const bool right = vx >= 0.0f; // standing still keeps the way it looks
        EXPECT_EQ(lowerLeft.X, right ? 1.0f : 0.0f) << vx;
        EXPECT_EQ(upperRight.X, right ? 0.0f : 1.0f) << vx;
        EXPECT_EQ(last->IsTagged("looksright"), right) << vx;
    }
}

TEST_F(HerdingScreenTest, EightSavedWinAndAfterStopNothingOfTheLevelIsLeft)
{
    TuioScreenSheeps& screen = Level1();
    PhysicsActor* sheep[10];
    for (int i = 0; i < 10; ++i)
        sheep[i] = screen.GetSheep(i);
    const Vector2 meadow = Actor::GetNamed("Wiese")->GetPosition();
    Stand(sheep[0], meadow + Vector2(0.0f, 2.0f));
    Stand(sheep[1], meadow - Vector2(0.0f, 2.0f));
    Tick(); // the contacts
    EXPECT_EQ(screen.CountSavedSheep(), 0);
    Tick(); // their messages, both in one pass
    EXPECT_EQ(screen.CountSavedSheep(), 2);
    EXPECT_EQ(screen.GetCounterText()->GetDisplayString(), "save green\n02 / 08");

    // The first collision message decides; one without a sender, or from an actor that is gone,
    // changes nothing.
    b2ContactPoint point{};
    point.position.Set(-9.5f, 0.0f);
    Actor* fire = Actor::GetNamed("Fire1");
    Actor* wiese = Actor::GetNamed("Wiese");
    Collide(sheep[2], fire, &point);
    Collide(sheep[2], wiese, &point);
    Collide(sheep[3], wiese, &point);
    Collide(sheep[3], fire, &point);
    Collide(sheep[4], nullptr, &point);
    Actor* gone = new Actor(); // e.g. queued before a restart laid the level out afresh
    MessageListener* goneListener = gone;
    delete gone;
    Collide(sheep[4], goneListener, &point);
    const Vector2 burning = sheep[2]->GetPosition();
    Switchboard::GetInstance()->SendAllMessages();
    EXPECT_TRUE(screen.IsDead(2) && !screen.IsSaved(2));
    EXPECT_TRUE(screen.IsSaved(3) && !screen.IsDead(3));
    EXPECT_NE(screen.GetSheep(4), nullptr);
    EXPECT_EQ(screen.GetCounterText()->GetDisplayString(), "save green\n03 / 08");
    const ActorSet effects = TagCollection::GetInstance()->GetObjectsTagged("effect");
    ASSERT_EQ(effects.size(), 1u);
    EXPECT_EQ((*effects.begin())->GetPosition(), burning);

    for (int i = 4; i < 8; ++i)
        Stand(sheep[i], meadow + Vector2(static_cast<float>(i - 6), 0.0f));
    Tick();
    Tick();
    EXPECT_EQ(screen.CountSavedSheep(), 7);
    EXPECT_EQ(screen.GetStatusText()->GetDisplayString(), "00:00") << "seven do not win";
    Key("keydown", 'b');
    Tick();
    EXPECT_EQ(screen.GetStatusText()->GetDisplayString(), "You just pressed [B]. M\xC4H.");
    Key("keyup", 'b');

    // Two at once make nine: at least eight win (exactly eight would never end the level).
    Stand(sheep[8], meadow);
    Stand(sheep[9], meadow + Vector2(0.0f, -3.0f));
    Tick();
    Tick();
    EXPECT_EQ(screen.CountSavedSheep(), 9);
    EXPECT_EQ(screen.GetStatusText()->GetDisplayString(), "Well done! Time needed: 00:00");
    Key("keydown", 'b');
    for (int frame = 0; frame < 56; ++frame) // the clock stands and b does nothing
        Tick();
    Key("keyup", 'b');
    EXPECT_EQ(screen.GetStatusText()->GetDisplayString(), "Well done! Time needed: 00:00");
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 1);
    for (int frame = 0; frame < 5; ++frame)
        Tick();
    EXPECT_EQ(manager->GetCurrentScreenIndex(), 2) << "2.0 s later the next level";

    Tick({"MoveBackwards", "MoveBackwards"});
    Tick();
    for (auto it = world->GetRenderablesBegin(); it != world->GetRenderablesEnd(); ++it)
    {
        const auto* actor = dynamic_cast<const Actor*>(*it);
        EXPECT_TRUE(actor == nullptr ? *it == manager->GetScreens()[0]
                                     : dynamic_cast<const TextActor*>(actor) ||
                                           actor->GetName().rfind("Blocker", 0) == 0)
            << (actor ? actor->GetName() : "a renderable");
    }
    EXPECT_TRUE(TagCollection::GetInstance()->GetObjectsTagged("effect").empty());
}
