#include "game/TuioScreenSheeps.h"

#include "engine/actors/PhysicsActor.h"
#include "engine/actors/TextActor.h"
#include "engine/console/Log.h"
#include "engine/input/InputManager.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/Color.h"
#include "engine/util/MathUtil.h"
#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/EffectActor.h"
#include "game/FollowOnMessage.h"
#include "game/ScreenMessages.h"
#include "game/ScreenProgram.h"
#include "tuio/TuioCursor.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace
{
constexpr float kFrameDelay = 0.05f;
/// Seconds between the end of a level and the message that leaves or restarts it.
constexpr float kFollowOnDelay = 2.0f;

String Format(const char* format, int first, int second)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, first, second);
    return text;
}
} // namespace

TuioScreenSheeps::TuioScreenSheeps(const String& levelName) : m_levelName(levelName) {}

TuioScreenSheeps::~TuioScreenSheeps()
{
    Switchboard::GetInstance()->UnsubscribeFromAll(this);
}

void TuioScreenSheeps::Start()
{
    m_active = true;
    m_finished = false;
    m_run.emplace();
    World* world = World::GetInstance();
    world->SetBlockers(true, 1.0f);
    SubscribeToTouches(this);
    world->LoadLevel(m_levelName);

    std::fill(std::begin(m_sheep), std::end(m_sheep), nullptr);
    std::fill(std::begin(m_saved), std::end(m_saved), false);
    std::fill(std::begin(m_dead), std::end(m_dead), false);
    m_counterText = nullptr;
    const String problem = CheckLevel();
    if (problem.empty())
    {
        CreateSheep();
    }

    auto* barkWave = new Actor();
    barkWave->SetColor(0.0f, 0.0f, 0.0f, 1.0f);
    barkWave->LoadSpriteFrames("Resources/Images/wave/barkwave_01.png");
    barkWave->PlaySpriteAnimation(kFrameDelay, SAT_OneShot, 0, 11);
    barkWave->SetPosition(-20.0f, -20.0f); // parked out of sight until the first bark
    m_barkWave = AddObject(barkWave, 0);

    world->SetBackgroundColor(Color(0.2f, 1.0f, 0.0f, 1.0f));
    m_startTime = world->GetCurrentTimeSeconds();

    m_statusText = AddCentredText("This is 'Flockmar'", Vector2(0.0f, 3.5f));
    if (problem.empty())
    {
        m_counterText = AddCentredText("", Actor::GetNamed("Wiese")->GetPosition());
        ShowCounter();
        PlaceSheep();
    }
    else
    {
        // Nothing to play: the line says why and stays, the clock never starts.
        GetSystemLog()->Log("ERROR: " + problem);
        ShowStatus(problem);
        m_finished = true;
    }

    AdoptActorsTagged("levelactor");
    for (Actor* actor : TagCollection::GetInstance()->GetObjectsTagged("hasflameanimation"))
    {
        actor->LoadSpriteFrames("Resources/Images/flame/flame_01.png");
        actor->PlaySpriteAnimation(kFrameDelay, SAT_Loop, 0, 23);
    }
}

String TuioScreenSheeps::CheckLevel() const
{
    const String level = "Level '" + m_levelName + "' cannot be played: ";
    if (Actor::GetNamed("Wiese") == nullptr)
    {
        return level + "no actor named \"Wiese\".";
    }
    const Actor* start = Actor::GetNamed("Startwiese");
    if (start == nullptr)
    {
        return level + "no actor named \"Startwiese\".";
    }
    // The sheep are 1.0 wide: a narrower start area has no column to stand in.
    const Vector2 size = start->GetSize();
    if (!(size.X >= 1.0f))
    {
        return level + "\"Startwiese\" is narrower than one sheep.";
    }
    // The sheep stand in rows across the area, which must lie within the physics box.
    const Vector2 at = start->GetPosition();
    if (!(std::fabs(at.X) + size.X / 2.0f <= kFieldHalfSize &&
          std::fabs(at.Y) + size.Y / 2.0f <= kFieldHalfSize))
    {
        return level + "\"Startwiese\" does not lie within the field.";
    }
    return String();
}

void TuioScreenSheeps::CreateSheep()
{
    Switchboard* switchboard = Switchboard::GetInstance();
    for (int i = 0; i < kSheepCount; ++i)
    {
        PhysicsActor* sheep = new PhysicsActor();
        m_sheep[i] = sheep;
        sheep->SetSize(1.0f, -1.0f);
        sheep->SetDensity(1.8f);
        sheep->SetFriction(0.7f);
        sheep->SetRestitution(0.2f);
        sheep->SetLinearDamping(0.8f);
        sheep->SetShapeType(PhysicsActor::SHAPETYPE_BOX);
        sheep->SetDrawShape(ADS_Square);
        sheep->SetFixedRotation(true);
        sheep->LoadSpriteFrames("Resources/Images/sheep_jumping/sheep_01.png");
        sheep->PlaySpriteAnimation(kFrameDelay, SAT_Loop, 0, 11);
        sheep->InitPhysics();
        World::GetInstance()->Add(sheep, 0); // names it
        m_sheepCollisions[i] = CollisionName(sheep);
        switchboard->SubscribeTo(this, m_sheepCollisions[i]);
    }
}

void TuioScreenSheeps::PlaceSheep()
{
    const Actor* start = Actor::GetNamed("Startwiese");
    const Vector2 centre = start->GetPosition();
    const Vector2 area = start->GetSize();
    for (int i = 0; i < kSheepCount; ++i)
    {
        PhysicsActor* sheep = GetSheep(i);
        if (sheep == nullptr)
        {
            continue;
        }
        const Vector2 size = sheep->GetSize();
        const int columns = static_cast<int>(std::floor(area.X / size.X));
        const int column = i % columns;
        const int row = i / columns;
        const float x = centre.X + static_cast<float>(column - columns / 2);
        const float y =
            (centre.Y + area.Y / 2.0f - size.Y / 2.0f) - static_cast<float>(row) * size.Y;
        sheep->SetPosition(x, y);
        AdoptObject(sheep);
    }
}

void TuioScreenSheeps::ShowCounter()
{
    if (TextActor* counter = m_counterText.GetLive())
    {
        counter->SetDisplayString(Format("save green\n%02d / %02d", CountSavedSheep(), kGoal));
    }
}

void TuioScreenSheeps::ShowStatus(const String& text)
{
    if (TextActor* status = m_statusText.GetLive())
    {
        status->SetDisplayString(text);
    }
}

void TuioScreenSheeps::Stop()
{
    TuioScreen::Stop();
    UnsubscribeFromTouches(this);
    for (int i = 0; i < kSheepCount; ++i)
    {
        ForgetSheep(i);
    }
    for (Actor* effect : TagCollection::GetInstance()->GetObjectsTagged("effect"))
    {
        effect->Destroy();
    }
    m_active = false;
    m_run.reset(); // a follow-on still on its way is stale
    // Deleted by TuioScreen::Stop (the sheep still in play with them) or destroyed before.
    m_statusText.Reset();
    m_counterText.Reset();
    m_barkWave.Reset();
    std::fill(std::begin(m_sheep), std::end(m_sheep), nullptr);
}

void TuioScreenSheeps::Update(float)
{
    // Stopped, its texts and sheep are gone even if it is still in the World.
    if (m_finished || !m_active)
    {
        return;
    }
    const int elapsed =
        static_cast<int>(World::GetInstance()->GetCurrentTimeSeconds() - m_startTime);
    const int minutes = elapsed / 60;
    const int seconds = elapsed % 60;
    Switchboard* switchboard = Switchboard::GetInstance();
    // At least, not exactly: two sheep reaching the meadow in one pass at seven saved would
    // otherwise leave a level that can be neither won nor lost.
    if (CountSavedSheep() >= kGoal)
    {
        ShowStatus(Format("Well done! Time needed: %02d:%02d", minutes, seconds));
        switchboard->DeferredBroadcast(new FollowOnMessage("MoveForwards", *m_run), kFollowOnDelay);
        m_finished = true;
    }
    else if (CountFreeSheep() < kGoal - CountSavedSheep())
    {
        ShowStatus("Not enough sheep left. restarting...");
        switchboard->DeferredBroadcast(new FollowOnMessage("Restart", *m_run), kFollowOnDelay);
        m_finished = true;
    }
    else
    {
        ShowStatus(Format("%02d:%02d", minutes, seconds));
    }
    if (InputManager::GetInstance()->IsKeyDown('b'))
    {
        // The A umlaut is the single Windows-1252 byte 0xC4.
        ShowStatus("You just pressed [B]. M\xC4H.");
    }
    TurnSheep();
}

void TuioScreenSheeps::TurnSheep()
{
    for (int i = 0; i < kSheepCount; ++i)
    {
        PhysicsActor* sheep = GetSheep(i);
        if (sheep == nullptr || !IsFree(i) || sheep->GetBody() == nullptr)
        {
            continue;
        }
        const float vx = sheep->GetBody()->GetLinearVelocity().x;
        const bool looksRight = sheep->IsTagged("looksright");
        if ((vx > 0.0f && !looksRight) || (vx < 0.0f && looksRight))
        {
            // The sprites face left.
            MirrorSprite(sheep);
            if (looksRight)
            {
                sheep->Untag("looksright");
            }
            else
            {
                sheep->Tag("looksright");
            }
        }
    }
}

void TuioScreenSheeps::ReceiveMessage(Message* message)
{
    if (!m_active)
    {
        return;
    }
    const String name = message->GetMessageName();
    if (name == "TuioCursorAdded")
    {
        BarkAtCursor(message, 1.0f);
    }
    else if (name == "TuioCursorUpdated")
    {
        BarkAtCursor(message, 0.1f);
    }
    for (int i = 0; i < kSheepCount; ++i)
    {
        if (IsFree(i) && m_sheepCollisions[i] == name)
        {
            HandleCollision(i, message);
        }
    }
}

void TuioScreenSheeps::BarkAtCursor(Message* message, float strength)
{
    if (const TUIO::TuioCursor* cursor = CursorOf(message))
    {
        Bark(CursorWorldPoint(*cursor), strength);
    }
}

void TuioScreenSheeps::HandleCollision(int index, Message* message)
{
    // A collision message queued before the level was laid out afresh may come from an actor
    // that is gone.
    const Actor* other = LiveSender(message);
    if (other == nullptr)
    {
        return;
    }
    if (other == Actor::GetNamed("Wiese"))
    {
        m_saved[index] = true;
        RemoveSheep(index);
        ShowCounter();
    }
    if (IsFree(index) && other->IsTagged("sheepdestroyer"))
    {
        BurnSheep(index);
    }
    if (other->IsTagged("barks"))
    {
        if (const b2ContactPoint* contact = ContactOf(message))
        {
            Bark(Vector2(contact->position.x, contact->position.y), 1.0f);
        }
    }
}

void TuioScreenSheeps::BurnSheep(int index)
{
    const PhysicsActor* sheep = GetSheep(index);
    EffectActor* effect = new EffectActor();
    effect->SetPosition(sheep->GetPosition());
    effect->SetRotation(sheep->GetRotation());
    effect->LoadSpriteFrames("Resources/Images/sheep_burning/sheep_burning_01.png");
    effect->PlaySpriteAnimation(kFrameDelay, SAT_OneShot, 0, 11, "burning_sheep");
    effect->Tag("effect");
    World::GetInstance()->Add(effect, 0);
    m_dead[index] = true;
    RemoveSheep(index);
}

void TuioScreenSheeps::MouseMotionEvent(Vec2i) {}

void TuioScreenSheeps::MouseDownEvent(Vec2i screenCoords, MouseButtonInput)
{
    if (m_active)
    {
        Bark(MathUtil::ScreenToWorld(screenCoords.X, screenCoords.Y), 1.0f);
    }
}

void TuioScreenSheeps::Bark(const Vector2& position, float strength)
{
    if (Actor* barkWave = m_barkWave.GetLive())
    {
        barkWave->SetPosition(position);
        barkWave->PlaySpriteAnimation(kFrameDelay, SAT_OneShot, 0, 11);
    }
    for (int i = 0; i < kSheepCount; ++i)
    {
        PhysicsActor* sheep = GetSheep(i);
        if (sheep == nullptr || !IsFree(i))
        {
            continue;
        }
        const Vector2 sheepPosition = sheep->GetPosition();
        const float distance = Vector2::Distance(position, sheepPosition);
        if (distance < kBarkRadius)
        {
            const Vector2 away = Vector2::Normalize(sheepPosition - position);
            sheep->ApplyImpulse(away * ((kBarkRadius - distance) * strength), Vector2::Zero);
        }
    }
}

PhysicsActor* TuioScreenSheeps::GetSheep(int index) const
{
    return m_sheep[index].GetLive();
}

TextActor* TuioScreenSheeps::GetStatusText() const
{
    return m_statusText.GetLive();
}

TextActor* TuioScreenSheeps::GetCounterText() const
{
    return m_counterText.GetLive();
}

Actor* TuioScreenSheeps::GetBarkWave() const
{
    return m_barkWave.GetLive();
}

bool TuioScreenSheeps::IsFree(int index) const
{
    return GetSheep(index) != nullptr && !m_saved[index];
}

int TuioScreenSheeps::CountFreeSheep() const
{
    int count = 0;
    for (int i = 0; i < kSheepCount; ++i)
    {
        count += IsFree(i) ? 1 : 0;
    }
    return count;
}

int TuioScreenSheeps::CountSavedSheep() const
{
    return static_cast<int>(std::count(std::begin(m_saved), std::end(m_saved), true));
}

void TuioScreenSheeps::RemoveSheep(int index)
{
    ForgetSheep(index);
    PhysicsActor* sheep = GetSheep(index);
    m_sheep[index].Reset();
    if (sheep == nullptr)
    {
        return;
    }
    ForgetObject(sheep);
    sheep->Destroy();
}

void TuioScreenSheeps::ForgetSheep(int index)
{
    if (!m_sheepCollisions[index].empty())
    {
        Switchboard::GetInstance()->UnsubscribeFrom(this, m_sheepCollisions[index]);
        m_sheepCollisions[index].clear();
    }
}
