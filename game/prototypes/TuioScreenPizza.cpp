#include "game/prototypes/TuioScreenPizza.h"

#include "engine/actors/FullScreenActor.h"
#include "engine/actors/ParticleActor.h"
#include "engine/actors/TextActor.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/MathUtil.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/Camera.h"
#include "engine/world/World.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/PieceQueries.h"

#include <algorithm>
#include <cstdio>

namespace
{
constexpr char kGoal[] = "Colored fungi pop if you push them. Get fungi on the pizza";
constexpr char kCollisionPrefix[] = "CollisionWith";
constexpr size_t kCollisionPrefixLength = sizeof(kCollisionPrefix) - 1;
constexpr const char* kTouchMessages[] = {"TuioCursorAdded", "TuioCursorRemoved",
                                          "TuioCursorUpdated"};
constexpr float kTilePixels = 256.0f;

/// The world point under a window point given in fractions of the window's size.
Vector2 WindowPoint(float xFraction, float yFraction)
{
    const Camera* camera = Camera::GetInstance();
    return MathUtil::ScreenToWorld(static_cast<int>(camera->GetWindowWidth() * xFraction),
                                   static_cast<int>(camera->GetWindowHeight() * yFraction));
}

} // namespace

TuioScreenPizza::TuioScreenPizza() : m_fingers(this, 0) {}

TuioScreenPizza::~TuioScreenPizza()
{
    Switchboard::GetInstance()->UnsubscribeFromAll(this);
}

void TuioScreenPizza::Start()
{
    World* world = World::GetInstance();
    world->SetBlockers(true, 1.0f);
    Switchboard* switchboard = Switchboard::GetInstance();
    for (const char* name : kTouchMessages)
        switchboard->SubscribeTo(this, name);
    switchboard->SubscribeTo(this, "CameraChange");

    m_background = new FullScreenActor();
    m_background->SetSprite("Resources/Images/schimmel_256x256.jpg", 0, GL_REPEAT,
                            kDefaultTextureFilter, false);
    TileBackground();
    world->Add(m_background, 0);
    m_objects.push_back(m_background);

    AddPizza(WindowPoint(0.9f, 0.9f));
    AddPizza(WindowPoint(0.5f, 0.3f));
    AddPizza(WindowPoint(0.1f, 0.5f));

    m_statusText = new TextActor("Console", kGoal, TXT_Left, 5);
    m_statusText->SetPosition(0.0f, 9.0f);
    m_statusText->SetAlignment(TXT_Center);
    world->Add(m_statusText, 0);
    m_objects.push_back(m_statusText);

    // The first update finds no fungus and starts the first round.
    m_active = true;
}

void TuioScreenPizza::Stop()
{
    TuioScreen::Stop();
    m_background = nullptr;
    m_statusText = nullptr;
    World::GetInstance()->SetBlockers(false, -1.0f);
    // A finger left behind could no longer follow its touch, nor leave when the touch ends.
    m_fingers.Clear();

    Switchboard* switchboard = Switchboard::GetInstance();
    for (const char* name : kTouchMessages)
        switchboard->UnsubscribeFrom(this, name);
    for (const String& name : switchboard->GetSubscriptionsFor(this))
        if (StartsWith(name, kCollisionPrefix))
            switchboard->UnsubscribeFrom(this, name);
    m_active = false;
}

void TuioScreenPizza::TileBackground()
{
    const Camera* camera = Camera::GetInstance();
    m_background->SetUVs(Vector2(0.0f, 0.0f), Vector2(camera->GetWindowWidth() / kTilePixels,
                                                      camera->GetWindowHeight() / kTilePixels));
}

PhysicsActor* TuioScreenPizza::AddPizza(const Vector2& position)
{
    auto* pizza = new PhysicsActor();
    pizza->Tag("pizza");
    pizza->SetPosition(position);
    pizza->SetName("Pizza");
    pizza->SetDrawShape(ADS_Square);
    pizza->SetSprite("Resources/Images/pizza_512x512.png", 0, kDefaultTextureClamp,
                     kDefaultTextureFilter, false);
    pizza->SetSize(6.0f);
    pizza->SetShapeType(PhysicsActor::SHAPETYPE_CIRCLE);
    pizza->SetDensity(0.0f);
    pizza->SetIsSensor(true);
    pizza->InitPhysics();
    World::GetInstance()->Add(pizza, 0);
    m_objects.push_back(pizza);
    return pizza;
}

FungusPhysicsActor* TuioScreenPizza::SpawnFungus(const Vector2& position)
{
    auto* fungus = new FungusPhysicsActor();
    fungus->SetCountdown(MathUtil::RandomFloatInRange(2.5f, 10.0f));
    fungus->SetPosition(position);
    fungus->InitPhysics();
    World::GetInstance()->Add(fungus, 0);
    m_objects.push_back(fungus);
    Switchboard::GetInstance()->SubscribeTo(this, kCollisionPrefix + fungus->GetName());
    return fungus;
}

SporePhysicsActor* TuioScreenPizza::SpawnSpore(const Vector2& position)
{
    auto* spore = new SporePhysicsActor();
    spore->SetCountdown(MathUtil::RandomFloatInRange(0.5f, 2.0f));
    spore->SetPosition(position);
    spore->InitPhysics();
    World::GetInstance()->Add(spore, 0);
    m_objects.push_back(spore);
    Switchboard::GetInstance()->SubscribeTo(this, kCollisionPrefix + spore->GetName());
    return spore;
}

void TuioScreenPizza::RemoveActor(Actor* actor)
{
    Switchboard::GetInstance()->UnsubscribeFrom(this, kCollisionPrefix + actor->GetName());
    auto found = std::find(m_objects.begin(), m_objects.end(), actor);
    if (found != m_objects.end())
        m_objects.erase(found);
    actor->Destroy();
}

void TuioScreenPizza::BurstFungus(Actor* fungus)
{
    auto* puff = new ParticleActor();
    puff->SetColor(fungus->GetColor());
    puff->SetEndScale(0.0f);
    puff->SetPosition(fungus->GetPosition());
    puff->SetSystemLifetime(0.1f);
    puff->SetSize(Vector2(0.5f, 0.5f));
    puff->SetMaxParticles(100);
    puff->SetParticlesPerSecond(5.0f);
    puff->SetParticleLifetime(0.2f);
    puff->SetSpread(3.1415929794311523f);
    World::GetInstance()->Add(puff, 0);

    for (int i = 0; i < 3; ++i)
    {
        SporePhysicsActor* spore = SpawnSpore(fungus->GetPosition());
        spore->SetColor(fungus->GetColor());
        const float x = MathUtil::RandomFloatWithError(0.0f, 0.3f);
        const float y = MathUtil::RandomFloatWithError(0.0f, 0.3f);
        spore->ApplyImpulse(Vector2(x, y), spore->GetPosition());
    }
    RemoveActor(fungus);
}

void TuioScreenPizza::SporeToFungus(Actor* spore)
{
    SpawnFungus(spore->GetPosition());
    RemoveActor(spore);
}

void TuioScreenPizza::Update(float)
{
    if (!m_active)
        return;
    const float dt = World::GetInstance()->GetDT();
    const ActorList fungi = LiveActorsTagged("fungus");
    int count = static_cast<int>(fungi.size());
    for (Actor* actor : fungi)
    {
        auto* fungus = dynamic_cast<GamePieceActor*>(actor);
        if (fungus == nullptr)
            continue;
        fungus->DecreaseCountdown(dt);
        const float left = fungus->GetCountdown();
        // The change is started anew on every frame the fungus spends in a band; once popable
        // it stays so.
        if (left < 0.0f)
            RemoveActor(fungus);
        else if (left < 1.0f)
            fungus->ChangeColorTo(Color(0.0f, 1.0f, 0.0f, 1.0f), 0.5f);
        else if (left < 1.5f)
            fungus->ChangeColorTo(Color(0.0f, 1.0f, 1.0f, 1.0f), 0.5f);
        else if (left < 2.0f)
        {
            fungus->ChangeColorTo(Color(0.0f, 0.0f, 1.0f, 1.0f), 0.5f);
            fungus->Tag("popable");
        }
    }

    const ActorList spores = LiveActorsTagged("spore");
    count += static_cast<int>(spores.size());
    for (Actor* actor : spores)
    {
        auto* spore = dynamic_cast<GamePieceActor*>(actor);
        if (spore == nullptr)
            continue;
        spore->DecreaseCountdown(dt);
        if (spore->GetCountdown() < 0.0f)
            SporeToFungus(spore);
    }

    if (count == 0)
        StartRound();
}

void TuioScreenPizza::StartRound()
{
    const Vector2 corner = WindowPoint(0.1f, 0.1f);
    SpawnFungus(Vector2(corner.X - 0.2f, corner.Y - 0.2f));
    SpawnFungus(Vector2(corner.X + 0.2f, corner.Y - 0.2f));
    SpawnFungus(corner);
    for (Actor* pizza : TagCollection::GetInstance()->GetObjectsTagged("pizza"))
    {
        pizza->Untag("infested");
        pizza->ChangeColorTo(Color(1.0f, 1.0f, 1.0f, 1.0f), 2.0f);
    }
    m_statusText->SetDisplayString(kGoal);
}

void TuioScreenPizza::ReceiveMessage(Message* message)
{
    if (!m_active || m_fingers.Handle(message))
        return;
    const String name = message->GetMessageName();
    if (StartsWith(name, kCollisionPrefix))
        ReceiveCollision(name.substr(kCollisionPrefixLength), message);
    else if (name == "CameraChange")
        TileBackground();
}

void TuioScreenPizza::ReceiveCollision(const String& subject, Message* message)
{
    Actor* other = LiveSender(message);
    if (other == nullptr || other->IsDestroyed())
        return;
    const String& otherName = other->GetName();

    if (StartsWith(subject, "Fungus") && StartsWith(otherName, "Pizza"))
    {
        other->ChangeColorTo(Color(0.0f, 1.0f, 0.0f, 1.0f), 2.0f);
        other->Tag("infested");
        const ActorSet pizzas = TagCollection::GetInstance()->GetObjectsTagged("pizza");
        const int total = static_cast<int>(pizzas.size());
        const int infested = static_cast<int>(
            std::count_if(pizzas.begin(), pizzas.end(),
                          [](Actor* pizza) { return pizza->IsTagged("infested"); }));
        if (infested == total)
        {
            m_statusText->SetDisplayString("All pizza infested. Well done!");
            return;
        }
        char text[64];
        std::snprintf(text, sizeof(text), "%d pizza infested. %d more to go.", infested,
                      total - infested);
        m_statusText->SetDisplayString(text);
    }
    else if (StartsWith(subject, "Cursor") && StartsWith(otherName, "Fungus"))
    {
        // A fungus that an earlier message of this pass burst is gone (checked above).
        if (other->IsTagged("popable"))
            BurstFungus(other);
    }
}
