#include "game/prototypes/TuioScreenPizza.h"

#include "engine/actors/PhysicsActor.h"
#include "engine/util/MathUtil.h"
#include "engine/world/Camera.h"
#include "engine/world/World.h"
#include "game/ActorQueries.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/TiledBoard.h"

#include <algorithm>

namespace
{
constexpr char kGoal[] = "Colored fungi pop if you push them. Get fungi on the pizza";

/// The world point under a window point given in fractions of the window's size.
Vector2 WindowPoint(float xFraction, float yFraction)
{
    const Camera* camera = Camera::GetInstance();
    return MathUtil::ScreenToWorld(static_cast<int>(camera->GetWindowWidth() * xFraction),
                                   static_cast<int>(camera->GetWindowHeight() * yFraction));
}

} // namespace

TuioScreenPizza::TuioScreenPizza() : PieceScreen(0) {}

void TuioScreenPizza::Start()
{
    BeginStart();
    m_background = AddObject(new TiledBoard("Resources/Images/schimmel_256x256.jpg"), 0);
    AddPizza(WindowPoint(0.9f, 0.9f));
    AddPizza(WindowPoint(0.5f, 0.3f));
    AddPizza(WindowPoint(0.1f, 0.5f));
    // The first update finds no fungus and starts the first round.
    FinishStart(kGoal);
}

void TuioScreenPizza::Stop()
{
    PieceScreen::Stop();
    m_background.Reset();
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
    return AddObject(pizza, 0);
}

FungusPhysicsActor* TuioScreenPizza::SpawnFungus(const Vector2& position)
{
    return AddPiece(new FungusPhysicsActor(), MathUtil::RandomFloatInRange(2.5f, 10.0f), position,
                    0);
}

GamePieceActor* TuioScreenPizza::SpawnFungusPiece(const Vector2& position)
{
    return SpawnFungus(position);
}

SporePhysicsActor* TuioScreenPizza::SpawnSpore(const Vector2& position)
{
    return AddPiece(new SporePhysicsActor(), MathUtil::RandomFloatInRange(0.5f, 2.0f), position, 0);
}

void TuioScreenPizza::BurstFungus(Actor* fungus)
{
    AddPuff(fungus, 0);
    const int spores = std::min(3, RoomForPieces());
    for (int i = 0; i < spores; ++i)
    {
        SporePhysicsActor* spore = SpawnSpore(fungus->GetPosition());
        spore->SetColor(fungus->GetColor());
        const float x = MathUtil::RandomFloatWithError(0.0f, 0.3f);
        const float y = MathUtil::RandomFloatWithError(0.0f, 0.3f);
        spore->ApplyImpulse(Vector2(x, y), spore->GetPosition());
    }
    RemoveActor(fungus);
}

void TuioScreenPizza::Update(float)
{
    if (!IsActive())
        return;
    const float dt = World::GetInstance()->GetDT();
    const ActorList fungi = LiveActorsTagged("fungus");
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
    if (static_cast<int>(fungi.size()) + AgeSpores() == 0)
        StartRound();
}

void TuioScreenPizza::StartRound()
{
    const Vector2 corner = WindowPoint(0.1f, 0.1f);
    SpawnFungus(Vector2(corner.X - 0.2f, corner.Y - 0.2f));
    SpawnFungus(Vector2(corner.X + 0.2f, corner.Y - 0.2f));
    SpawnFungus(corner);
    CleanInfested("pizza");
    ShowStatus(kGoal);
}

void TuioScreenPizza::ReceiveCollision(const String& subject, Actor* other)
{
    const String& otherName = other->GetName();
    if (StartsWith(subject, "Fungus") && StartsWith(otherName, "Pizza"))
    {
        other->ChangeColorTo(Color(0.0f, 1.0f, 0.0f, 1.0f), 2.0f);
        other->Tag("infested");
        ShowInfested("pizza");
    }
    // A fungus that an earlier message of this pass burst is gone.
    else if (StartsWith(subject, "Cursor") && StartsWith(otherName, "Fungus") &&
             other->IsTagged("popable"))
        BurstFungus(other);
}
