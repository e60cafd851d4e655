#include "game/prototypes/TuioScreenTwoPlayerSheeps.h"

#include "engine/actors/FontRegistry.h"
#include "engine/actors/ParticleActor.h"
#include "engine/actors/PhysicsActor.h"
#include "engine/actors/TextActor.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/util/MathUtil.h"
#include "engine/world/Camera.h"
#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/ActorQueries.h"
#include "game/ScreenMessages.h"
#include "game/prototypes/TiledBoard.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"
#include "tuio/TuioCursor.h"

#include <algorithm>

namespace
{
constexpr const char* kPlayerTags[] = {"p1", "p2"};
constexpr const char* kScoredTags[] = {"aufwiese1", "aufwiese2"};
constexpr const char* kMeadowNames[] = {"P1Wiese", "P2Wiese"};
constexpr float kMeadowSize = 6.0f;
/// Player 1's spring settles, player 2's swings on: the two meadows differ on purpose.
constexpr float kScoringDamping[] = {0.5f, 0.0f};
constexpr float kScoringHz = 1.2f;

void EnsureScoreFont()
{
    // No part of the engine registers this nickname; a registered font measures above zero.
    if (GetTextExtents("0", TuioScreenTwoPlayerSheeps::kScoreFont).Y <= 0.0f)
    {
        RegisterFont("Resources/Fonts/Inconsolata.otf", TuioScreenTwoPlayerSheeps::kScoreFontSize,
                     TuioScreenTwoPlayerSheeps::kScoreFont);
    }
}

String ScoreString(int score)
{
    return std::to_string(score);
}
} // namespace

TuioScreenTwoPlayerSheeps::~TuioScreenTwoPlayerSheeps()
{
    Switchboard::GetInstance()->UnsubscribeFromAll(this);
}

void TuioScreenTwoPlayerSheeps::Start()
{
    World::GetInstance()->SetBlockers(true, 1.0f);
    SubscribeToTouches(this);
    Switchboard::GetInstance()->SubscribeTo(this, "CameraChange");

    m_background = AddObject(new TiledBoard("Resources/Images/flowers_256x256.jpg"), 0);

    m_scores[0] = 0;
    m_scores[1] = 0;
    m_colors[0] = Color(1.0f, 0.0f, 0.0f, 1.0f);
    m_colors[1] = Color(0.0f, 0.0f, 1.0f, 1.0f);

    CreateMeadow(1);
    CreateMeadow(2);
    PlaceMeadows();

    EnsureScoreFont();
    m_scoreTexts[0] = AddCentredText(ScoreString(m_scores[0]), Vector2(-3.0f, 9.0f), kScoreFont);
    m_scoreTexts[1] = AddCentredText(ScoreString(m_scores[1]), Vector2(3.0f, 9.0f), kScoreFont);

    const Camera* camera = Camera::GetInstance();
    const Vector2 centre =
        MathUtil::ScreenToWorld(camera->GetWindowWidth() / 2, camera->GetWindowHeight() / 2);
    for (int i = 0; i < kDogCount; ++i)
    {
        // All on one point: the physics pushes them apart.
        m_dogs.push_back(CreateDog(centre));
    }
    m_active = true;
}

void TuioScreenTwoPlayerSheeps::CreateMeadow(int player)
{
    PhysicsActor* meadow = new PhysicsActor();
    meadow->SetName(kMeadowNames[player - 1]);
    const Color& color = m_colors[player - 1];
    meadow->SetColor(color.R, color.G, color.B, 0.8f);
    meadow->SetDrawShape(ADS_Circle);
    meadow->SetSize(kMeadowSize);
    meadow->SetShapeType(PhysicsActor::SHAPETYPE_CIRCLE);
    meadow->SetDensity(0.0f); // static: nothing pushes it
    meadow->SetIsSensor(true);
    meadow->InitPhysics();
    m_meadows[player - 1] = AddObject(meadow, 0);
}

void TuioScreenTwoPlayerSheeps::PlaceMeadows()
{
    for (int player = 1; player <= 2; ++player)
    {
        if (PhysicsActor* meadow = GetMeadow(player))
        {
            meadow->SetPosition(MeadowPlace(player));
        }
    }
}

Vector2 TuioScreenTwoPlayerSheeps::MeadowPlace(int player)
{
    // Player 1 scores at the right edge, player 2 at the left.
    const int width = Camera::GetInstance()->GetWindowWidth();
    return Vector2(MathUtil::ScreenToWorld(player == 1 ? width : 0, 0).X, 0.0f);
}

Vector2 TuioScreenTwoPlayerSheeps::GetMeadowPosition(int player) const
{
    const PhysicsActor* meadow = GetMeadow(player);
    return meadow != nullptr ? meadow->GetPosition() : MeadowPlace(player);
}

PhysicsActor* TuioScreenTwoPlayerSheeps::GetMeadow(int player) const
{
    return m_meadows[player - 1].GetLive();
}

TextActor* TuioScreenTwoPlayerSheeps::GetScoreText(int player) const
{
    return m_scoreTexts[player - 1].GetLive();
}

TiledBoard* TuioScreenTwoPlayerSheeps::GetBackground() const
{
    return m_background.GetLive();
}

std::vector<PhysicsActor*> TuioScreenTwoPlayerSheeps::GetDogs() const
{
    return LiveOf(m_dogs);
}

PhysicsActor* TuioScreenTwoPlayerSheeps::CreateDog(Vector2 position)
{
    PhysicsActor* dog = new PhysicsActor();
    dog->SetName("Dog");
    dog->SetPosition(position);
    dog->SetColor(0.0f, 0.0f, 0.0f, 1.0f); // the sheep frames tinted black
    dog->Tag("dog");
    PrepareAnimal(dog, false);
    return FinishAnimal(dog);
}

PhysicsActor* TuioScreenTwoPlayerSheeps::CreateSheep(String tag, Color color, Vector2 position)
{
    PhysicsActor* sheep = new PhysicsActor();
    sheep->SetName("Sheep");
    sheep->SetPosition(position);
    sheep->SetColor(color);
    sheep->Tag(tag);
    PrepareAnimal(sheep, true);
    m_sheep.push_back(sheep);
    return FinishAnimal(sheep);
}

bool TuioScreenTwoPlayerSheeps::HasRoomForSheep()
{
    // Knocked out, or destroyed by anyone else: no longer on the board.
    m_sheep.erase(std::remove_if(m_sheep.begin(), m_sheep.end(),
                                 [](const RenderableRef<PhysicsActor>& sheep)
                                 { return sheep.GetLive() == nullptr; }),
                  m_sheep.end());
    return m_sheep.size() < static_cast<size_t>(kMaxSheep);
}

PhysicsActor* TuioScreenTwoPlayerSheeps::FinishAnimal(PhysicsActor* animal)
{
    animal->SetSize(1.0f);
    animal->SetDensity(0.8f);
    animal->SetFriction(0.0f);
    animal->SetRestitution(0.7f);
    animal->SetShapeType(PhysicsActor::SHAPETYPE_CIRCLE);
    animal->SetDrawShape(ADS_Square);
    animal->SetFixedRotation(true);
    animal->LoadSpriteFrames("Resources/Images/sheep_jumping/sheep_01.png");
    animal->PlaySpriteAnimation(0.05f, SAT_Loop, 0, 11);
    animal->InitPhysics();
    AddObject(animal, 0);
    Switchboard::GetInstance()->SubscribeTo(this, CollisionName(animal));
    return animal;
}

void TuioScreenTwoPlayerSheeps::Stop()
{
    TuioScreen::Stop();
    LeaveKnockedOutCollisions();
    m_dogs.clear();
    m_sheep.clear();
    World::GetInstance()->SetBlockers(false, -1.0f);
    UnsubscribeFromTouches(this);
    // Touches still down would keep their actors in the World with nobody to remove them, and
    // an entry would dangle once the World deleted its actor (a level unload): both go here.
    m_fingers.Clear();
    m_active = false;
    m_background.Reset();
    for (int index = 0; index < 2; ++index)
    {
        m_meadows[index].Reset();
        m_scoreTexts[index].Reset();
    }
}

void TuioScreenTwoPlayerSheeps::Update(float)
{
    LeaveKnockedOutCollisions();
    for (PhysicsActor* dog : GetDogs())
    {
        // Two draws in this order; each axis a whole number from -5 to 4, so dogs drift.
        const int x = MathUtil::RandomInt(10) - 5;
        const int y = MathUtil::RandomInt(10) - 5;
        dog->ApplyForce(Vector2(static_cast<float>(x), static_cast<float>(y)), dog->GetPosition());
    }
}

void TuioScreenTwoPlayerSheeps::ReceiveMessage(Message* message)
{
    if (!m_active)
    {
        return;
    }
    const String& name = message->GetMessageName();
    const String receiver = CollisionSubject(name);
    if (TUIO::TuioCursor* cursor = CursorOf(message))
    {
        Touch(name, cursor);
    }
    else if (!receiver.empty())
    {
        Collision(receiver, message);
    }
    else if (name == "CameraChange")
    {
        PlaceMeadows();
    }
}

void TuioScreenTwoPlayerSheeps::Touch(const String& name, TUIO::TuioCursor* cursor)
{
    if (name == "TuioCursorAdded")
    {
        m_fingers.Add(cursor);
    }
    else if (name == "TuioCursorRemoved")
    {
        if (TuioCursorPhysicsActor* finger = m_fingers.Lift(cursor->getCursorID()))
        {
            CursorLifted(finger, *cursor);
            finger->Destroy();
        }
        TouchEnded(cursor->getCursorID());
    }
    else if (name == "TuioCursorUpdated")
    {
        if (TuioCursorPhysicsActor* finger = m_fingers.Move(cursor))
        {
            CursorMoved(finger);
        }
    }
}

void TuioScreenTwoPlayerSheeps::CursorLifted(TuioCursorPhysicsActor*,
                                             const TUIO::TuioCursor& cursor)
{
    if (!HasRoomForSheep())
    {
        return;
    }
    // The side of the picture the sheep is made on: left of the middle pixel column is player
    // 1's. A touch far off the table or at no number counts where its sheep stands.
    const Vector2 at = CursorWorldPoint(cursor);
    const int width = Camera::GetInstance()->GetWindowWidth();
    const int player = at.X < MathUtil::ScreenToWorld(width / 2, 0).X ? 1 : 2;
    PhysicsActor* sheep = CreateSheep(kPlayerTags[player - 1], m_colors[player - 1], at);
    sheep->ApplyImpulse(CursorWorldVelocity(cursor), sheep->GetPosition());
}

void TuioScreenTwoPlayerSheeps::Collision(const String& receiver, Message* message)
{
    // No sender, or one that is gone: no rule applies.
    Actor* other = LiveSender(message);
    if (other == nullptr)
    {
        return;
    }
    if (StartsWith(receiver, "Sheep"))
    {
        if (Actor* sheep = Actor::GetNamed(receiver))
        {
            SheepTouched(sheep, other, other->GetName());
        }
    }
    else if (StartsWith(receiver, "Cursor"))
    {
        if (auto* finger = dynamic_cast<TuioCursorPhysicsActor*>(Actor::GetNamed(receiver)))
        {
            CursorTouched(finger, other);
        }
    }
}

void TuioScreenTwoPlayerSheeps::SheepTouched(Actor* sheep, Actor* other, const String& otherName)
{
    if (StartsWith(otherName, "Sheep"))
    {
        // Each of the pair's messages knocks out its sender, so two opposing sheep in play
        // take each other out; a sheep in play also knocks out the other player's scored ones.
        const bool p1MeetsP2 =
            sheep->IsTagged("p1") && (other->IsTagged("p2") || other->IsTagged("aufwiese2"));
        const bool p2MeetsP1 =
            sheep->IsTagged("p2") && (other->IsTagged("p1") || other->IsTagged("aufwiese1"));
        if (p1MeetsP2 || p2MeetsP1)
        {
            RemoveSheep(other);
        }
    }
    else if (otherName == kMeadowNames[1] && sheep->IsTagged("p2"))
    {
        Score(2, sheep);
    }
    else if (otherName == kMeadowNames[0] && sheep->IsTagged("p1"))
    {
        Score(1, sheep);
    }
    else if (StartsWith(otherName, "Dog") && (sheep->IsTagged("p1") || sheep->IsTagged("p2")))
    {
        SwitchSheepOwner(sheep);
    }
}

void TuioScreenTwoPlayerSheeps::Score(int player, Actor* sheep)
{
    const int index = player - 1;
    ++m_scores[index];
    if (TextActor* text = GetScoreText(player))
    {
        text->SetDisplayString(ScoreString(m_scores[index]));
    }
    sheep->SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    sheep->Untag(kPlayerTags[index]);
    sheep->Tag(kScoredTags[index]);

    auto* body = dynamic_cast<PhysicsActor*>(sheep);
    const PhysicsActor* meadow = GetMeadow(player);
    box2d20::DistanceJointDef spring;
    // Without either body (a meadow someone destroyed) there is no spring.
    spring.body1 = body != nullptr ? body->GetBody() : nullptr;
    spring.body2 = meadow != nullptr ? meadow->GetBody() : nullptr;
    spring.length = 0.0f;
    spring.frequencyHz = kScoringHz;
    spring.dampingRatio = kScoringDamping[index];
    spring.collideConnected = false;
    // Owned by the physics world; it goes with either body. None when a script has renamed the
    // meadow after the sheep, so that both are one.
    box2d20::CreateDistanceJoint(World::GetInstance()->GetPhysicsWorld(), spring);
}

void TuioScreenTwoPlayerSheeps::RemoveSheep(Actor* sheep)
{
    ParticleActor* burst = new ParticleActor();
    burst->SetColor(sheep->GetColor());
    burst->SetEndColor(Color(0.0f, 0.0f, 0.0f, 1.0f));
    burst->SetPosition(sheep->GetPosition());
    burst->SetSystemLifetime(0.5f);
    burst->SetSize(0.1f, 0.1f);
    burst->SetMaxParticles(100);
    burst->SetParticlesPerSecond(5.0f);
    burst->SetParticleLifetime(0.5f);
    burst->SetSpread(3.141593f);
    // Not in objects: it destroys itself once its last particle has died.
    World::GetInstance()->Add(burst, 0);

    m_knockedOutCollisions.push_back(CollisionName(sheep));
    ForgetObject(sheep);
    sheep->Destroy();
}

void TuioScreenTwoPlayerSheeps::LeaveKnockedOutCollisions()
{
    Switchboard* switchboard = Switchboard::GetInstance();
    for (const String& name : m_knockedOutCollisions)
    {
        switchboard->UnsubscribeFrom(this, name);
    }
    m_knockedOutCollisions.clear();
}

void TuioScreenTwoPlayerSheeps::SwitchSheepOwner(Actor* sheep)
{
    for (int index = 0; index < 2; ++index)
    {
        if (sheep->IsTagged(kPlayerTags[index]))
        {
            const int other = 1 - index;
            sheep->Untag(kPlayerTags[index]);
            sheep->Tag(kPlayerTags[other]);
            sheep->SetColor(m_colors[other]);
            return;
        }
    }
}
