#include "game/prototypes/TuioScreenFungus.h"

#include "engine/util/MathUtil.h"
#include "game/ActorQueries.h"
#include "game/prototypes/GamePieces.h"
#include "game/prototypes/RootActor.h"
#include "game/prototypes/TiledBoard.h"

TuioScreenFungus::TuioScreenFungus(const String& levelName)
    : FungusScreenBase(levelName, {&New<PilzPhysicsActor>, &New<SporenPhysicsActor>, 1.0f, 5.0f,
                                   &NewRoot<RootActor>, "Resources/Images/pilz_weich.png"})
{
}

void TuioScreenFungus::Start()
{
    BeginStart();
    m_background = AddObject(new TiledBoard("Resources/Images/schimmel_256x256.jpg"), 0);

    LoadLevelScript(m_levelName);
    AdoptActorsTagged("levelactor");

    m_spawnPosition = MathUtil::ScreenToWorld(20, 20);
    m_spawnDirection = Vector2(1.0f, -1.0f);
    m_spawnCount = 3;
    // With several markers the last one wins.
    for (Actor* marker : LiveActorsTagged("spawnpos"))
        SetSpawnFrom(marker);

    FinishFungusStart();
}

void TuioScreenFungus::Stop()
{
    FungusScreenBase::Stop();
    m_background.Reset();
}

PilzPhysicsActor* TuioScreenFungus::SpawnFungus(const Vector2& position)
{
    return static_cast<PilzPhysicsActor*>(SpawnFungusPiece(position));
}

SporenPhysicsActor* TuioScreenFungus::SpawnSpore(const Vector2& position)
{
    return static_cast<SporenPhysicsActor*>(SpawnSporePiece(position));
}

void TuioScreenFungus::CheckWave(int pieceCount)
{
    if (pieceCount != 0)
        return;
    SpawnWave();
    CleanInfested("food");
    ShowGoalText();
}

void TuioScreenFungus::ColorInfestedFood(Actor* food)
{
    food->ChangeColorTo(Color(0.5f, 0.5f, 1.0f, 1.0f), 2.0f);
}
