#include "engine/actors/Actor.h"

#include "engine/console/Log.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TagCollection.h"
#include "engine/util/Ascii.h"
#include "engine/util/MathUtil.h"
#include "engine/util/StringUtil.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/RenderableRef.h"
#include "engine/world/World.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace
{
std::map<String, Actor*>& NameRegistry()
{
    static std::map<String, Actor*> registry;
    return registry;
}

constexpr int kCircleSegments = 32;

// Steps a running change and applies its value; true when the change ended in this step.
template <typename T, typename Apply>
bool StepInterval(Interval<T>& interval, float dt, Apply apply)
{
    if (!interval.ShouldStep())
        return false;
    apply(interval.Step(dt));
    return !interval.ShouldStep();
}
} // namespace

unsigned Actor::s_namingCount = 0;

Actor::Actor()
{
    std::fill(std::begin(m_spriteTextureReferences), std::end(m_spriteTextureReferences), -1);
    SetColor(1.0f, 1.0f, 1.0f, 1.0f);
    SetAlpha(1.0f);
    SetSize(1.0f, -1.0f);
    SetRotation(0.0f);
    Actor::SetPosition(0.0f, 0.0f);
    SetUVs(Vector2(0.0f, 0.0f), Vector2(1.0f, 1.0f));
}

Actor::~Actor()
{
    const StringSet tags = m_tags;
    for (const String& tag : tags)
        Untag(tag);

    auto named = NameRegistry().find(m_name);
    if (named != NameRegistry().end() && named->second == this)
        NameRegistry().erase(named);
    // Another actor may come to live at this address, under another name.
    ++s_namingCount;

    // Messages that name this actor as their sender read null from now on by themselves.
    Switchboard::GetInstance()->UnsubscribeFromAll(this);
}

void Actor::Update(float dt)
{
    UpdateSpriteAnimation(dt);
    StepIntervals(dt);
}

void Actor::StepIntervals(float dt)
{
    if (StepInterval(m_positionInterval, dt, [this](const Vector2& pos) { SetPosition(pos); }))
        BroadcastCompletion(m_positionIntervalMessage);
    if (StepInterval(m_rotationInterval, dt, [this](float angle) { Actor::SetRotation(angle); }))
        BroadcastCompletion(m_rotationIntervalMessage);
    if (StepInterval(m_colorInterval, dt, [this](const Color& color) { SetColor(color); }))
        BroadcastCompletion(m_colorIntervalMessage);
    if (StepInterval(m_sizeInterval, dt,
                     [this](const Vector2& size) { Actor::SetSize(size.X, size.Y); }))
        BroadcastCompletion(m_sizeIntervalMessage);
}

void Actor::BroadcastCompletion(const String& messageName)
{
    if (messageName.empty())
        return;
    Switchboard::GetInstance()->Broadcast(
        new Message(messageName, static_cast<MessageListener*>(this)));
}

void Actor::Render()
{
    glPushMatrix();
    glTranslatef(m_position.X, m_position.Y, 0.0f);
    glRotatef(m_rotation, 0.0f, 0.0f, 1.0f);
    glScalef(m_size.X, m_size.Y, 1.0f);
    glColor4f(m_color.R, m_color.G, m_color.B, m_color.A);

    const bool textured = BindSpriteTexture();
    if (m_drawShape == ADS_Circle)
    {
        glBegin(GL_TRIANGLE_FAN);
        glVertex2f(0.0f, 0.0f);
        for (int i = 0; i <= kCircleSegments; ++i)
        {
            // The last rim vertex repeats the first exactly, closing the fan without a seam.
            const float angle = MathUtil::TwoPi * static_cast<float>(i % kCircleSegments) /
                                static_cast<float>(kCircleSegments);
            glVertex2f(0.5f * std::cos(angle), 0.5f * std::sin(angle));
        }
        glEnd();
    }
    else
        DrawUnitSquare(m_UV_leftlow, m_UV_rightup);
    if (textured)
        glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

bool Actor::BindSpriteTexture() const
{
    const int texture = GetCurrentSpriteTexture();
    if (texture < 0)
        return false;
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(texture));
    return true;
}

void Actor::DrawUnitSquare(const Vector2& uvLowerLeft, const Vector2& uvUpperRight)
{
    glBegin(GL_QUADS);
    glTexCoord2f(uvUpperRight.X, uvUpperRight.Y);
    glVertex2f(0.5f, 0.5f);
    glTexCoord2f(uvLowerLeft.X, uvUpperRight.Y);
    glVertex2f(-0.5f, 0.5f);
    glTexCoord2f(uvLowerLeft.X, uvLowerLeft.Y);
    glVertex2f(-0.5f, -0.5f);
    glTexCoord2f(uvUpperRight.X, uvLowerLeft.Y);
    glVertex2f(0.5f, -0.5f);
    glEnd();
}

void Actor::SetPosition(const Vector2& pos)
{
    m_position = pos;
}

void Actor::SetPosition(float x, float y)
{
    m_position = Vector2(x, y);
}

void Actor::AnimCallback(const String&) {}

void Actor::LevelUnloaded() {}

String Actor::GetClassName() const
{
    return "Actor";
}

void Actor::ReceiveMessage(Message*) {}

void Actor::SetSize(const Vector2& size)
{
    m_size = Vector2(std::max(0.0f, size.X), std::max(0.0f, size.Y));
}

void Actor::SetSize(float x, float y)
{
    const float width = x < 0.0f ? 0.0f : x;
    m_size = Vector2(width, y > 0.0f ? y : width);
}

void Actor::SetRotation(float rotation)
{
    m_rotation = rotation;
}

void Actor::SetColor(const Color& color)
{
    m_color = color;
}

void Actor::SetColor(float r, float g, float b, float a)
{
    m_color = Color(r, g, b, a);
}

void Actor::SetAlpha(float newAlpha)
{
    m_color.A = newAlpha;
}

void Actor::SetUVs(const Vector2& lowerLeft, const Vector2& upperRight)
{
    m_UV_leftlow = lowerLeft;
    m_UV_rightup = upperRight;
}

void Actor::GetUVs(Vector2& lowerLeft, Vector2& upperRight) const
{
    lowerLeft = m_UV_leftlow;
    upperRight = m_UV_rightup;
}

void Actor::SetDrawShape(actorDrawShape drawShape)
{
    if (drawShape != ADS_Square && drawShape != ADS_Circle)
    {
        GetSystemLog()->Printf("WARNING: SetDrawShape() ignored the unknown draw shape %d.",
                               static_cast<int>(drawShape));
        return;
    }
    m_drawShape = drawShape;
}

void Actor::SetLayer(int layer)
{
    World::GetInstance()->UpdateLayer(this, layer);
}

void Actor::SetLayer(const String& layerName)
{
    World::GetInstance()->UpdateLayer(this, layerName);
}

void Actor::MoveTo(const Vector2& newPosition, float duration, bool smooth,
                   const String& onCompletionMessage)
{
    m_positionInterval = Interval<Vector2>(m_position, newPosition, duration, smooth);
    m_positionIntervalMessage = onCompletionMessage;
}

void Actor::RotateTo(float newRotation, float duration, bool smooth,
                     const String& onCompletionMessage)
{
    m_rotationInterval = Interval<float>(m_rotation, newRotation, duration, smooth);
    m_rotationIntervalMessage = onCompletionMessage;
}

void Actor::ChangeColorTo(const Color& newColor, float duration, bool smooth,
                          const String& onCompletionMessage)
{
    m_colorInterval = Interval<Color>(m_color, newColor, duration, smooth);
    m_colorIntervalMessage = onCompletionMessage;
}

void Actor::ChangeSizeTo(const Vector2& newSize, float duration, bool smooth,
                         const String& onCompletionMessage)
{
    m_sizeInterval = Interval<Vector2>(m_size, newSize, duration, smooth);
    m_sizeIntervalMessage = onCompletionMessage;
}

void Actor::ChangeSizeTo(float newSize, float duration, bool smooth,
                         const String& onCompletionMessage)
{
    ChangeSizeTo(Vector2(newSize, newSize), duration, smooth, onCompletionMessage);
}

String Actor::SetName(String newName)
{
    if (!newName.empty() && newName == m_name)
        return m_name;
    if (newName.empty())
        newName = GetClassName();
    if (!newName.empty())
        newName[0] = AsciiToUpper(newName[0]);

    // The actor's own entry does not count as taken, so renaming Sheep to sheep keeps Sheep.
    auto isTaken = [this](const String& name)
    {
        Actor* holder = GetNamed(name);
        return holder != nullptr && holder != this;
    };
    String candidate = newName;
    for (int counter = 1; isTaken(candidate); ++counter)
        candidate = newName + IntToString(counter);

    std::map<String, Actor*>& registry = NameRegistry();
    auto previous = registry.find(m_name);
    if (previous != registry.end() && previous->second == this)
        registry.erase(previous);
    registry[candidate] = this;
    m_name = candidate;
    ++s_namingCount;
    return m_name;
}

Actor* Actor::GetNamed(const String& name)
{
    auto found = NameRegistry().find(name);
    return found == NameRegistry().end() ? nullptr : found->second;
}

void Actor::Tag(const String& newTag)
{
    for (const String& piece : SplitString(newTag, ", ", true))
    {
        const String tag = ToLower(piece);
        m_tags.insert(tag);
        TagCollection::GetInstance()->AddObjToTagList(this, tag);
    }
}

void Actor::Untag(const String& oldTag)
{
    m_tags.erase(oldTag);
    TagCollection::GetInstance()->RemoveObjFromTagList(this, oldTag);
}

bool Actor::IsTagged(const String& tag) const
{
    return m_tags.count(tag) != 0;
}

Actor* Actor::Create(const String& archetype)
{
    const String tag = "last-spawned-actor-from-code";
    // The archetype goes to the script as a value: a name from a data file never runs as code.
    World::GetInstance()->ScriptExec("Actor._lastSpawnedActor = Actor.Create(archetype)\n"
                                     "Actor._lastSpawnedActor.Tag(tag)\n",
                                     {{"archetype", archetype}, {"tag", tag}});

    const ActorSet actors = TagCollection::GetInstance()->GetObjectsTagged(tag);
    if (actors.empty())
    {
        GetSystemLog()->Log("ERROR: Script failed to create Actor with archetype " +
                            Printable(archetype) + ". ");
        return nullptr;
    }
    if (actors.size() > 1)
        GetSystemLog()->Log("WARNING: more than one Actor tagged with '" + tag + "'. (" +
                            Printable(archetype) + ")");

    // Python again, where the actor may go (a script's thread that takes the interpreter
    // meanwhile drops the last reference to it or unloads the World).
    const RenderableRef<Actor> spawned(*actors.begin());
    World::GetInstance()->ScriptExec("Actor._lastSpawnedActor.__disown__()\n"
                                     "Actor._lastSpawnedActor = None\n");
    Actor* actor = spawned.Get();
    if (actor == nullptr)
    {
        GetSystemLog()->Log("ERROR: Script failed to create Actor with archetype " +
                            Printable(archetype) + ". ");
        return nullptr;
    }
    actor->Untag(tag);
    return actor;
}
