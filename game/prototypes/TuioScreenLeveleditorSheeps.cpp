#include "game/prototypes/TuioScreenLeveleditorSheeps.h"

#include "engine/actors/TextActor.h"
#include "engine/console/Log.h"
#include "engine/input/InputManager.h"
#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/StringUtil.h"
#include "engine/world/Camera.h"
#include "engine/world/World.h"
#include "engine/world/box2d/Box2D20.h"
#include "game/ActorQueries.h"
#include "game/ScreenMessages.h"
#include "game/prototypes/ReplaceFile.h"
#include "game/prototypes/TuioCursorPhysicsActor.h"

#include <charconv>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace
{
constexpr char kLineEnd[] = "\r\n";
constexpr char kSaveFile[] = "createdlevel.ini";
constexpr float kPanStep = 1.0f;

/// "%.2f" in the classic locale, whatever the process's locale says.
String FormatNumber(float value)
{
    char text[64];
    const std::to_chars_result result = std::to_chars(
        text, text + sizeof text, static_cast<double>(value), std::chars_format::fixed, 2);
    return String(text, result.ptr);
}

void ConsoleLine(const String& text)
{
    // Names come from data files and scripts: a line break in one would forge a line.
    std::fputs((Printable(text) + "\n").c_str(), stdout);
}
} // namespace

TuioScreenLeveleditorSheeps::TuioScreenLeveleditorSheeps(const String& levelName)
    : DragScreen(levelName, "The Leveleditor for Sheeps", true)
{
}

void TuioScreenLeveleditorSheeps::Start()
{
    m_cameraAtStart = Camera::GetInstance()->GetPosition();
    BeginStart();
    World* world = World::GetInstance();

    auto* trash = new PhysicsActor();
    trash->SetName("trashbin");
    trash->SetSize(1.0f, 1.0f);
    trash->SetColor(0.1f, 0.1f, 0.8f, 1.0f);
    trash->SetPosition(9.0f, -7.0f);
    trash->InitPhysics();
    AddObject(trash, 0);
    Switchboard::GetInstance()->SubscribeTo(this, CollisionName(trash));

    world->NameLayer("background", -1);
    auto* background = new Actor();
    background->SetLayer("background");
    background->SetPosition(0.0f, 0.0f);
    background->SetColor(1.0f, 1.0f, 0.0f, 1.0f);
    background->SetSize(26.6f, 20.0f);
    AddObject(background, 0);

    AddTitle();
    AddCentredText("dragr items.", Vector2(0.0f, 2.5f));
    AddClassLabel("TuioScreenLeveleditorSheeps");
    AdoptActorsTagged(kPaletteTag);
    m_boardChanged = false;
}

void TuioScreenLeveleditorSheeps::Stop()
{
    if (m_boardChanged)
        SaveLevel(kSaveFile);
    DragScreen::Stop();
    // The next screen is laid out for the camera the editor found.
    Camera* camera = Camera::GetInstance();
    const Vector2 position = camera->GetPosition();
    if (position.X != m_cameraAtStart.X || position.Y != m_cameraAtStart.Y)
        camera->SetPosition(m_cameraAtStart.X, m_cameraAtStart.Y);
}

void TuioScreenLeveleditorSheeps::Update(float dt)
{
    DragScreen::Update(dt);
    if (!IsActive())
        return;
    const InputManager* input = InputManager::GetInstance();
    Camera* camera = Camera::GetInstance();
    const struct
    {
        char key;
        float dx;
        float dy;
    } pans[] = {{'w', 0.0f, kPanStep},
                {'a', -kPanStep, 0.0f},
                {'s', 0.0f, -kPanStep},
                {'d', kPanStep, 0.0f}};
    for (const auto& pan : pans)
    {
        if (!input->IsKeyDown(pan.key))
            continue;
        const Vector2 position = camera->GetPosition();
        camera->SetPosition(position.X + pan.dx, position.Y + pan.dy);
    }
}

void TuioScreenLeveleditorSheeps::OnPickingUp(Actor* other)
{
    ConsoleLine("not dragging cursor collides with " + other->GetName());
}

bool TuioScreenLeveleditorSheeps::MayPickUp(PhysicsActor* other) const
{
    return !other->IsTagged(kPaletteTag) ||
           LiveActorsTagged(kCopyTag).size() < static_cast<size_t>(kMaxCopies);
}

void TuioScreenLeveleditorSheeps::AttachDragged(TuioCursorPhysicsActor* cursorActor,
                                                PhysicsActor* other, b2ContactPoint* contact)
{
    if (!other->IsTagged(kPaletteTag))
    {
        JoinAtContact(cursorActor, other, contact);
        return;
    }
    // The palette item stays where it is whatever happens next.
    other->Untag(DraggedByTag(cursorActor->GetCursorId()));
    if (PhysicsActor* copy = CopyPaletteItem(other, cursorActor->GetCursorId()))
        JoinAtContact(cursorActor, copy, contact);
}

PhysicsActor* TuioScreenLeveleditorSheeps::CopyPaletteItem(PhysicsActor* item, int cursorId)
{
    const String key = ToLower(item->GetName());
    ConsoleLine("creating a " + key);
    // The archetype's script is Python, where the item may go (a script's thread that takes the
    // interpreter meanwhile unloads the World): then there is nothing to copy.
    const RenderableRef<PhysicsActor> palette(item);
    Actor* created = Actor::Create(key);
    auto* copy = dynamic_cast<PhysicsActor*>(created);
    item = palette.Get();
    if (copy == nullptr || copy->GetBody() != nullptr || item == nullptr)
    {
        // Only a physics actor without a body yet can be set up as a copy; the cursor then
        // carries nothing until it is lifted. The archetype's script may have put it into the
        // World already.
        if (created != nullptr)
        {
            World::GetInstance()->Remove(created);
            delete created;
        }
        return nullptr;
    }
    copy->SetName(key);
    copy->SetSize(item->GetSize().X, item->GetSize().Y);
    copy->SetPosition(item->GetPosition().X, item->GetPosition().Y);
    copy->SetRotation(item->GetRotation());
    copy->SetFixedRotation(true);
    copy->SetDensity(1.0f);
    copy->SetIsSensor(true);
    copy->Tag(DraggedByTag(cursorId));
    copy->Tag(kCopyTag);
    copy->InitPhysics();
    World::GetInstance()->Add(copy, 0);
    m_archetypeOfCopy[copy->GetName()] = key;
    m_boardChanged = true;
    return copy;
}

void TuioScreenLeveleditorSheeps::OnOtherCollision(const String& name, Actor* other)
{
    if (!StartsWith(name, "Trashbin"))
        return;
    ConsoleLine("trash collides with " + other->GetName());
    if (!other->IsTagged(kCopyTag) || other->IsDestroyed())
        return;
    ConsoleLine("removing " + other->GetName());
    other->Destroy();
    m_boardChanged = true;
}

void TuioScreenLeveleditorSheeps::OnDropped(TuioCursorPhysicsActor*, Actor* held, TUIO::TuioCursor*)
{
    // Nothing damps the pieces and the copies are sensors that no blocker stops: a piece let go
    // while the finger still moved would drift on, out of the view.
    if (held->IsTagged(kCopyTag))
        m_boardChanged = true;
    auto* piece = dynamic_cast<PhysicsActor*>(held);
    if (piece == nullptr || piece->GetBody() == nullptr)
        return;
    piece->GetBody()->SetLinearVelocity(b2Vec2(0.0f, 0.0f));
    piece->GetBody()->SetAngularVelocity(0.0f);
}

bool TuioScreenLeveleditorSheeps::SaveLevel(const String& fileName) const
{
    const int error = ReplaceFile(fileName, LevelText());
    if (error == 0)
        return true;
    GetSystemLog()->Log("ERROR: Could not save the level to " + Printable(fileName) + " - " +
                        std::strerror(error) + ".");
    return false;
}

String TuioScreenLeveleditorSheeps::LevelText() const
{
    String text = String("//created levelfile.") + kLineEnd;
    for (Actor* copy : TagCollection::GetInstance()->GetObjectsTagged(kCopyTag))
    {
        // One the trash removed in this frame is still tagged until the World deletes it.
        if (copy->IsDestroyed())
            continue;
        const String& name = copy->GetName();
        auto archetype = m_archetypeOfCopy.find(name);
        text += kLineEnd;
        text += "[" + name + "]" + kLineEnd;
        text += "type=" + (archetype == m_archetypeOfCopy.end() ? String() : archetype->second) +
                kLineEnd;
        text += "position=[" + FormatNumber(copy->GetPosition().X) + ", " +
                FormatNumber(copy->GetPosition().Y) + "]" + kLineEnd;
        text += "rotation=" + FormatNumber(copy->GetRotation()) + kLineEnd;
    }
    return text;
}
