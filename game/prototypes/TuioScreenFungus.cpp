#include "game/prototypes/TuioScreenFungus.h"

#include "engine/actors/FullScreenActor.h"
#include "engine/messaging/Message.h"
#include "engine/util/MathUtil.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/Camera.h"
#include "engine/world/World.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/PieceQueries.h"
#include "game/prototypes/RootActor.h"

namespace
{
/// The board's image repeats every this many pixels.
constexpr float kTilePixels = 256.0f;
} // namespace

TuioScreenFungus::TuioScreenFungus(const String& levelName) : FungusScreenBase(levelName) {}

void TuioScreenFungus::Start()
{
    World* world = World::GetInstance();
    SubscribeOnStart("CameraChange");

    m_background = new FullScreenActor();
    m_background->SetSprite("Resources/Images/schimmel_256x256.jpg", 0, GL_REPEAT,
                            kDefaultTextureFilter, false);
    TileBackground();
    world->Add(m_background, 0);
    m_objects.push_back(m_background);

    LoadLevelScript(m_levelName);
    AdoptActorsTagged("levelactor");

    m_spawnPosition = MathUtil::ScreenToWorld(20, 20);
    m_spawnDirection = Vector2(1.0f, -1.0f);
    m_spawnCount = 3;
    // With several markers the last one wins.
    for (Actor* marker : LiveActorsTagged("spawnpos"))
        SetSpawnFrom(marker);

    FinishStart();
}

void TuioScreenFungus::Stop()
{
    FungusScreenBase::Stop();
    m_background = nullptr;
}

void TuioScreenFungus::TileBackground()
{
    const Camera* camera = Camera::GetInstance();
    m_background->SetUVs(Vector2(0.0f, 0.0f), Vector2(camera->GetWindowWidth() / kTilePixels,
                                                      camera->GetWindowHeight() / kTilePixels));
}

PilzPhysicsActor* TuioScreenFungus::SpawnFungus(const Vector2& position)
{
    return static_cast<PilzPhysicsActor*>(SpawnFungusPiece(position));
}

SporenPhysicsActor* TuioScreenFungus::SpawnSpore(const Vector2& position)
{
    return static_cast<SporenPhysicsActor*>(SpawnSporePiece(position));
}

GamePieceActor* TuioScreenFungus::NewFungus() const
{
    return new PilzPhysicsActor();
}

GamePieceActor* TuioScreenFungus::NewSpore() const
{
    return new SporenPhysicsActor();
}

float TuioScreenFungus::NewSporeCountdown() const
{
    return MathUtil::RandomFloatInRange(1.0f, 5.0f);
}

Actor* TuioScreenFungus::NewRoot(PhysicsActor* first, PhysicsActor* second) const
{
    return new RootActor(first, second);
}

const char* TuioScreenFungus::StaticFungusSprite() const
{
    return "Resources/Images/pilz_weich.png";
}

void TuioScreenFungus::CheckWave(int pieceCount)
{
    if (pieceCount != 0)
        return;
    SpawnWave();
    for (Actor* food : LiveActorsTagged("food"))
    {
        food->Untag("infested");
        food->ChangeColorTo(Color(1.0f, 1.0f, 1.0f, 1.0f), 2.0f);
    }
    ShowGoalText();
}

void TuioScreenFungus::ColorInfestedFood(Actor* food)
{
    food->ChangeColorTo(Color(0.5f, 0.5f, 1.0f, 1.0f), 2.0f);
}

void TuioScreenFungus::ReceiveOtherMessage(Message* message)
{
    if (message->GetMessageName() == "CameraChange")
        TileBackground();
}
