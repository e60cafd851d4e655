#include "game/prototypes/GrabSheepsScreen.h"

#include "engine/actors/PhysicsActor.h"
#include "engine/messaging/TagCollection.h"
#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/ActorQueries.h"
#include "game/ScreenMessages.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"

namespace
{
constexpr const char* kPlayerTags[] = {"p1", "p2"};

/// The x velocity of an actor's body; false for actors without one.
bool VelocityX(Actor* actor, float& vx)
{
    const auto* physics = dynamic_cast<PhysicsActor*>(actor);
    if (physics == nullptr || physics->GetBody() == nullptr)
    {
        return false;
    }
    vx = physics->GetBody()->GetLinearVelocity().x;
    return true;
}
} // namespace

void GrabSheepsScreen::Start()
{
    m_spawnTimers[0] = 0.0f;
    m_spawnTimers[1] = 0.0f;
    TuioScreenTwoPlayerSheeps::Start();
}

void GrabSheepsScreen::Update(float dt)
{
    SpawnSheep(1);
    SpawnSheep(2);
    TuioScreenTwoPlayerSheeps::Update(dt);
    FaceMovement();
}

void GrabSheepsScreen::SpawnSheep(int player)
{
    const int index = player - 1;
    // The World's frame time: the one the physics steps by.
    m_spawnTimers[index] += World::GetInstance()->GetDT();
    const size_t inPlay = TagCollection::GetInstance()->GetObjectsTagged(kPlayerTags[index]).size();
    // While a cap holds the timer keeps running, so the next sheep comes as soon as it lifts.
    if (m_spawnTimers[index] > kSpawnInterval && inPlay < static_cast<size_t>(kSpawnCap) &&
        HasRoomForSheep())
    {
        // A player's sheep start on the other player's meadow, the far side from their own.
        const int other = 3 - player;
        CreateSheep(kPlayerTags[index], GetPlayerColor(player), GetMeadowPosition(other));
        m_spawnTimers[index] = 0.0f;
    }
}

void GrabSheepsScreen::FaceMovement()
{
    TagCollection* tags = TagCollection::GetInstance();
    float vx = 0.0f;
    // Two sets, each taken before its loop changes tags, so nobody turns twice in a frame and
    // an actor at rest ends up facing left.
    for (Actor* actor : tags->GetObjectsTagged("looksleft"))
    {
        if (VelocityX(actor, vx) && vx > 0.0f)
        {
            MirrorSprite(actor);
            actor->Untag("looksleft");
            actor->Tag("looksright");
        }
    }
    for (Actor* actor : tags->GetObjectsTagged("looksright"))
    {
        if (VelocityX(actor, vx) && vx <= 0.0f)
        {
            MirrorSprite(actor);
            actor->Untag("looksright");
            actor->Tag("looksleft");
        }
    }
}

void GrabSheepsScreen::PrepareAnimal(PhysicsActor* animal, bool isSheep)
{
    animal->Tag("looksleft");
    if (isSheep)
    {
        animal->SetLinearDamping(0.5f);
    }
}

String GrabSheepsScreen::CarryTag(int cursorId)
{
    return "attachedtocursor" + std::to_string(cursorId);
}

void GrabSheepsScreen::CursorLifted(TuioCursorPhysicsActor* cursorActor,
                                    const TUIO::TuioCursor& cursor)
{
    if (!cursorActor->IsTagged("gotsheep"))
    {
        return;
    }
    const String tag = CarryTag(cursorActor->GetCursorId());
    const Vector2 fling = CursorWorldVelocity(cursor);
    for (Actor* actor : TagCollection::GetInstance()->GetObjectsTagged(tag))
    {
        // Flung from where the touch last was, at the finger's velocity.
        actor->SetPosition(cursorActor->GetPosition());
        if (auto* sheep = dynamic_cast<PhysicsActor*>(actor))
        {
            sheep->ApplyImpulse(fling, sheep->GetPosition());
        }
        actor->Untag(tag);
    }
}

void GrabSheepsScreen::TouchEnded(int cursorId)
{
    // Kept, the tag would hand the sheep to the next touch that gets this cursor ID.
    const String tag = CarryTag(cursorId);
    for (Actor* actor : TagCollection::GetInstance()->GetObjectsTagged(tag))
    {
        actor->Untag(tag);
    }
}

void GrabSheepsScreen::CursorMoved(TuioCursorPhysicsActor* cursorActor)
{
    if (!cursorActor->IsTagged("gotsheep"))
    {
        return;
    }
    for (Actor* actor :
         TagCollection::GetInstance()->GetObjectsTagged(CarryTag(cursorActor->GetCursorId())))
    {
        actor->SetPosition(cursorActor->GetPosition());
    }
}

void GrabSheepsScreen::CursorTouched(TuioCursorPhysicsActor* cursorActor, Actor* other)
{
    auto* sheep = dynamic_cast<PhysicsActor*>(other);
    if (cursorActor->IsTagged("gotsheep") || sheep == nullptr ||
        !StartsWith(sheep->GetName(), "Sheep"))
    {
        return;
    }
    cursorActor->Tag("gotsheep");
    Grab(cursorActor, sheep);
}
