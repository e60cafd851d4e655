#include "game/prototypes/TuioScreenFungusLevels.h"

#include "engine/actors/PhysicsActor.h"
#include "engine/actors/TextActor.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/util/MathUtil.h"
#include "engine/util/StringUtil.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/Camera.h"
#include "engine/world/World.h"
#include "game/ActorQueries.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/RootJointActor.h"

#include <utility>

namespace
{
constexpr float kScrollSeconds = 5.0f;
constexpr char kScrollDone[] = "movecompleted";

void MoveDown(Actor* actor, float distance)
{
    const Vector2 position = actor->GetPosition();
    actor->SetPosition(Vector2(position.X, position.Y - distance));
}

} // namespace

TuioScreenFungusLevels::TuioScreenFungusLevels(const String& levelName)
    : FungusScreenBase(levelName, {&New<FlowerActor>, &New<SporenActor>, 1.0f, 3.0f,
                                   &NewRoot<RootJointActor>, "Resources/Images/hibiscus.png"})
{
    // Used while a level has no spawn marker: the top-left corner.
    m_spawnPosition = Vector2(-12.0f, 8.5f);
}

String TuioScreenFungusLevels::LevelTag(int level) const
{
    return "level" + IntToString(level);
}

void TuioScreenFungusLevels::Start()
{
    m_currentLevel = 0;
    m_levelCount = 3;
    m_scrolling = false;
    m_winShown = false;
    BeginStart();
    Switchboard::GetInstance()->SubscribeTo(this, kScrollDone);

    auto* background = new Actor();
    background->SetSize(35.0f, 60.0f);
    background->SetSprite("Resources/Images/mauer.png", 0, GL_REPEAT, kDefaultTextureFilter, false);
    // The wall repeats every 160 x 120 pixels.
    const float width = MathUtil::WorldSizeToScreenSize(background->GetSize().X);
    const float height = MathUtil::WorldSizeToScreenSize(background->GetSize().Y);
    background->SetUVs(Vector2(0.0f, 0.0f), Vector2(width / 160.0f, height / 120.0f));
    m_background = AddObject(background, 0);

    LoadLevelActors(m_currentLevel);

    // The level finished before lies below, its food infested from the start.
    const int previous = (m_currentLevel - 1 + m_levelCount) % m_levelCount;
    const String previousTag = LevelTag(previous);
    LoadLevelScript(m_levelName + IntToString(previous));
    for (Actor* actor : LiveActorsTagged(previousTag))
        MoveDown(actor, kLevelSpacing);
    AdoptActorsTagged(previousTag);
    for (Actor* food : LiveActorsTagged("food, " + previousTag))
    {
        ColorInfestedFood(food);
        food->Tag("infested");
    }

    // Food is drawn a unit larger than it touches.
    for (Actor* food : LiveActorsTagged("food"))
    {
        const Vector2 size = food->GetSize();
        if (auto* body = dynamic_cast<PhysicsActor*>(food))
            body->SetDrawSize(size.X + 1.0f, size.Y + 1.0f);
        else
            food->SetSize(size.X + 1.0f, size.Y + 1.0f);
    }

    FinishFungusStart();
}

void TuioScreenFungusLevels::Stop()
{
    if (m_scrolling)
    {
        // The next screen must not inherit a camera on its way.
        Camera* camera = Camera::GetInstance();
        camera->SetPosition(Vector2(0.0f, 0.0f));
        camera->MoveTo(Vector2(0.0f, 0.0f), 0.0f);
        m_scrolling = false;
    }
    FungusScreenBase::Stop();
    m_background.Reset();
}

void TuioScreenFungusLevels::Update(float dt)
{
    FungusScreenBase::Update(dt);
    if (m_scrolling)
        KeepStatusInView();
}

void TuioScreenFungusLevels::KeepStatusInView()
{
    if (TextActor* status = GetStatusText())
        status->SetPosition(Camera::GetInstance()->GetPosition() + Vector2(0.0f, kStatusY));
}

void TuioScreenFungusLevels::LoadLevelActors(int level)
{
    const String tag = LevelTag(level);
    LoadLevelScript(m_levelName + IntToString(level));
    AdoptActorsTagged(tag);
    const ActorList markers = LiveActorsTagged("spawnpos, " + tag);
    if (!markers.empty())
        SetSpawnFrom(markers.front());
}

FlowerActor* TuioScreenFungusLevels::SpawnFungus(const Vector2& position)
{
    return static_cast<FlowerActor*>(SpawnFungusPiece(position));
}

SporenActor* TuioScreenFungusLevels::SpawnSpore(const Vector2& position)
{
    return static_cast<SporenActor*>(SpawnSporePiece(position));
}

void TuioScreenFungusLevels::CheckWave(int pieceCount)
{
    if (pieceCount > 1)
        return;
    SpawnWave();
    // A level change empties the board, and the wave that follows at once must not hide the
    // win text.
    if (!m_winShown)
        ShowGoalText();
}

void TuioScreenFungusLevels::ColorInfestedFood(Actor* food)
{
    food->ChangeColorTo(Color(1.0f, 1.0f, 1.0f, food->GetAlpha()), 2.0f);
    m_winShown = false;
}

void TuioScreenFungusLevels::AllFoodInfested()
{
    ChangeLevel();
    m_winShown = true;
}

void TuioScreenFungusLevels::ChangeLevel()
{
    for (Actor* flower : LiveActorsTagged("fungus"))
        TurnIntoStaticFungus(flower);
    for (Actor* spore : LiveActorsTagged("spore"))
        RemoveActor(spore);

    for (Renderable* object : LiveObjects())
        if (auto* actor = dynamic_cast<Actor*>(object))
            MoveDown(actor, kLevelSpacing);
    if (Actor* background = m_background.GetLive())
        background->SetPosition(Vector2(0.0f, 0.0f));
    if (Actor* compass = GetCompass())
        compass->SetPosition(Vector2(0.0f, 0.0f));

    m_currentLevel = (m_currentLevel + 1) % m_levelCount;
    // A level finished within the last scroll: the level that scroll would have removed is the
    // one coming back now, so it goes before it is loaded afresh.
    RemoveLevel(m_currentLevel);
    LoadLevelActors(m_currentLevel);

    // The view starts where the finished level now lies and slides up onto the new one.
    Camera* camera = Camera::GetInstance();
    camera->SetPosition(Vector2(0.0f, -kLevelSpacing));
    camera->MoveTo(Vector2(0.0f, 0.0f), kScrollSeconds, false, kScrollDone);
    m_scrolling = true;
    KeepStatusInView();
}

void TuioScreenFungusLevels::RemoveLevel(int level)
{
    for (Actor* actor : LiveActorsTagged(LevelTag(level)))
    {
        ForgetObject(actor);
        actor->Destroy();
    }
}

void TuioScreenFungusLevels::ReceiveOtherMessage(Message* message)
{
    // "CameraChange" is subscribed to and has no effect here.
    if (message->GetMessageName() != kScrollDone)
        return;
    m_scrolling = false;
    // Home, where the view ends; also when another actor's move ended first.
    if (TextActor* status = GetStatusText())
        status->SetPosition(0.0f, kStatusY);
    if (std::exchange(m_winShown, false))
        ShowGoalText();
    RemoveLevel((m_currentLevel - 2 + m_levelCount) % m_levelCount);
}
