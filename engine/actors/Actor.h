#pragma once

#include "engine/actors/Textures.h"
#include "engine/messaging/ActorCollections.h"
#include "engine/messaging/MessageListener.h"
#include "engine/util/Color.h"
#include "engine/util/Interval.h"
#include "engine/util/StringTypes.h"
#include "engine/util/Vector2.h"
#include "engine/world/Renderable.h"

// The enumerations scripts pass as ints have a fixed underlying type, so that any int is a
// value of them (not undefined behaviour) until the setter that receives it refuses it.
enum actorDrawShape : int
{
    ADS_Square = 0,
    ADS_Circle = 1
};

enum spriteAnimationType : int
{
    SAT_None = 0,
    SAT_Loop = 1,
    SAT_PingPong = 2,
    SAT_OneShot = 3
};

constexpr int MAX_SPRITE_FRAMES = 64;

/// The engine's basic visible object: a square or circle centred on its position, plain or
/// textured, with flip-book sprite animation, timed changes of position, rotation, colour and
/// size, a unique name and any number of lower-case tags. Owned by the World once added
/// (deleted at the clean-up after Destroy()). Main thread only.
class Actor : public Renderable, public MessageListener
{
public:
    /// White unit square at the origin; not named and not in the World.
    Actor();
    /// Leaves every tag, releases the name and unsubscribes from every message.
    ~Actor() override;

    /// Steps the sprite animation, then the move, rotation, colour and size changes.
    void Update(float dt) override;
    /// Immediate-mode drawing of the unit square or circle, scaled to the size.
    void Render() override;

    virtual void SetPosition(const Vector2& pos);
    virtual void SetPosition(float x, float y);
    /// Called when a one-shot sprite animation reaches its end frame.
    virtual void AnimCallback(const String& animName);
    /// Called by World::UnloadAll on actors the game manager keeps.
    virtual void LevelUnloaded();
    /// The base of default names ("Actor"); subclasses return their own class name.
    virtual String GetClassName() const;

    /// Ignores every message; subclasses subscribe and override.
    void ReceiveMessage(Message* message) override;

    // Placement and appearance.

    const Vector2& GetPosition() const { return m_position; }
    /// Full width and height.
    const Vector2& GetSize() const { return m_size; }
    /// Each negative component becomes 0.
    void SetSize(const Vector2& size);
    /// Width x (0 when negative); height y when above 0, else the width.
    void SetSize(float x, float y = -1.0f);
    /// Degrees, counter-clockwise; stored as given.
    float GetRotation() const { return m_rotation; }
    void SetRotation(float rotation);
    const Color& GetColor() const { return m_color; }
    /// Stored as given, alpha included.
    void SetColor(const Color& color);
    /// Channels clamped to 0 ... 1.
    void SetColor(float r, float g, float b, float a = 1.0f);
    float GetAlpha() const { return m_color.A; }
    void SetAlpha(float newAlpha);
    /// Texture coordinates of the square's lower-left and upper-right corners.
    void SetUVs(const Vector2& lowerLeft, const Vector2& upperRight);
    void GetUVs(Vector2& lowerLeft, Vector2& upperRight) const;
    /// An unknown shape is refused with a warning.
    void SetDrawShape(actorDrawShape drawShape);
    /// Moves the actor to another World layer after the current update pass.
    void SetLayer(int layer);
    void SetLayer(const String& layerName);

    // Timed changes. Each starts from the current value and replaces a running change of the
    // same kind; onCompletionMessage (if not empty) is broadcast once, with this actor as the
    // sender, in the update that reaches the target. smooth eases in and out.

    void MoveTo(const Vector2& newPosition, float duration, bool smooth = false,
                const String& onCompletionMessage = "");
    void RotateTo(float newRotation, float duration, bool smooth = false,
                  const String& onCompletionMessage = "");
    void ChangeColorTo(const Color& newColor, float duration, bool smooth = false,
                       const String& onCompletionMessage = "");
    /// The final size goes through SetSize(x, y): a target height of 0 ends at the width.
    void ChangeSizeTo(const Vector2& newSize, float duration, bool smooth = false,
                      const String& onCompletionMessage = "");
    void ChangeSizeTo(float newSize, float duration, bool smooth = false,
                      const String& onCompletionMessage = "");

    // Names: unique across all actors, first letter upper case.

    /// Takes newName (or the class name when empty), upper-cases its first letter and appends
    /// 1, 2, ... while another actor holds it. Releases the previous name. Returns the name.
    String SetName(String newName);
    const String& GetName() const { return m_name; }
    /// The actor bearing name, or null.
    static Actor* GetNamed(const String& name);
    /// Grows with every name given to an actor and with every actor destroyed: a cache of
    /// actors' names by address (the World's collision messages keep one) need not look at
    /// them again while it is unchanged.
    static unsigned GetNamingCount() { return s_namingCount; }

    // Tags: stored lower case and indexed in the TagCollection.

    /// Adds every tag of a list separated by commas and blanks, lower-cased.
    void Tag(const String& newTag);
    /// Removes the tag as given (not lower-cased).
    void Untag(const String& oldTag);
    bool IsTagged(const String& tag) const;
    StringSet GetTags() const { return m_tags; }

    /// Builds an actor from a script archetype; null (with an "ERROR: " log line) when the
    /// script made none. The caller owns the result.
    static Actor* Create(const String& archetype);

    // Sprites. Frame indices outside the loaded frames are clamped, never rejected.

    /// Loads an image file (through the texture cache) into frame; false leaves the actor as it
    /// was.
    bool SetSprite(const String& filename, int frame = 0, int clampmode = kDefaultTextureClamp,
                   int filtermode = kDefaultTextureFilter, bool optional = false);
    /// Puts a GL texture name (or -1 for none) into frame 0 ... 63, growing the frame count.
    void SetSpriteTexture(int textureId, int frame = 0);
    /// Loads the numbered series "name_###.ext" starting at firstFilename, until the first
    /// missing number or MAX_SPRITE_FRAMES frames; any other name loads as a single frame. A
    /// first frame that cannot be loaded logs "Failed to find - <file>" as SetSprite does.
    void LoadSpriteFrames(const String& firstFilename, int clampmode = kDefaultTextureClamp,
                          int filtermode = kDefaultTextureFilter);
    /// Plays frames startFrame ... endFrame (clamped; -1 is frame 0) with delay seconds per
    /// frame. A null animName keeps the previous name. An unknown animType is refused with a
    /// warning.
    void PlaySpriteAnimation(float delay, spriteAnimationType animType = SAT_Loop,
                             int startFrame = -1, int endFrame = -1,
                             const char* animName = nullptr);
    /// Shows frame (clamped) without stopping a running animation.
    void SetSpriteFrame(int frame);
    /// The texture of frame (clamped), -1 for none.
    int GetSpriteTexture(int frame = 0) const;
    /// Empties every frame slot and stops the animation; the frame count stays.
    void ClearSpriteInfo();
    /// True while a frame delay is set, also after a one-shot has ended.
    bool IsSpriteAnimPlaying() const { return m_spriteFrameDelay > 0.0f; }

protected:
    /// The texture of the frame being shown, -1 for none.
    int GetCurrentSpriteTexture() const;
    /// Binds the shown frame's texture with texturing enabled; false (nothing bound) for none.
    bool BindSpriteTexture() const;
    /// Draws the unit square centred on the origin, its corners at these texture coordinates.
    static void DrawUnitSquare(const Vector2& uvLowerLeft, const Vector2& uvUpperRight);
    void UpdateSpriteAnimation(float dt);

    Vector2 m_size;
    Vector2 m_position;
    Color m_color;
    float m_rotation = 0.0f;
    Vector2 m_UV_rightup;
    Vector2 m_UV_leftlow;
    actorDrawShape m_drawShape = ADS_Square;

    int m_spriteCurrentFrame = 0;
    int m_spriteNumFrames = 0;
    float m_spriteFrameDelay = 0.0f;
    float m_spriteCurrentFrameDelay = 0.0f;
    int m_spriteTextureReferences[MAX_SPRITE_FRAMES];
    spriteAnimationType m_spriteAnimType = SAT_None;
    int m_spriteAnimStartFrame = 0;
    int m_spriteAnimEndFrame = 0;
    int m_spriteAnimDirection = 1;

    StringSet m_tags;
    String m_name;
    String m_currentAnimName;

    Interval<Vector2> m_positionInterval;
    String m_positionIntervalMessage;
    Interval<float> m_rotationInterval;
    String m_rotationIntervalMessage;
    Interval<Color> m_colorInterval;
    String m_colorIntervalMessage;
    Interval<Vector2> m_sizeInterval;
    String m_sizeIntervalMessage;

private:
    static unsigned s_namingCount;

    void BroadcastCompletion(const String& messageName);
    void StepIntervals(float dt);

    Actor(const Actor&) = delete;
    Actor& operator=(const Actor&) = delete;
};
