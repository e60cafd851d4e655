// The actor's sprite frames: loading single textures and numbered series, and the flip-book
// animation step.

#include "engine/actors/Actor.h"

#include "engine/actors/Textures.h"
#include "engine/console/Log.h"
#include "engine/util/Ascii.h"
#include "engine/util/MathUtil.h"
#include "engine/util/StringUtil.h"

#include <algorithm>
#include <string>

namespace
{
// More frame changes than this in one update only happen with absurdly small delays; the
// animation then restarts its frame timer instead of spinning.
constexpr int kMaxFrameStepsPerUpdate = 4096;

bool IsAllDigits(const String& text)
{
    return !text.empty() && std::all_of(text.begin(), text.end(), IsAsciiDigit);
}

// Adds one to a decimal digit string, keeping its width unless the carry needs another digit.
String IncrementDecimal(String digits)
{
    for (auto it = digits.rbegin(); it != digits.rend(); ++it)
    {
        if (*it != '9')
        {
            ++*it;
            return digits;
        }
        *it = '0';
    }
    return "1" + digits;
}
} // namespace

bool Actor::SetSprite(const String& filename, int frame, int clampmode, int filtermode,
                      bool optional)
{
    const int texture = GetTextureReference(filename, clampmode, filtermode, optional);
    if (texture == -1)
        return false;
    SetSpriteTexture(texture, frame);
    return true;
}

void Actor::SetSpriteTexture(int textureId, int frame)
{
    frame = MathUtil::Clamp(frame, 0, MAX_SPRITE_FRAMES - 1);
    if (frame >= m_spriteNumFrames)
        m_spriteNumFrames = frame + 1;
    m_spriteTextureReferences[frame] = textureId;
}

void Actor::LoadSpriteFrames(const String& firstFilename, int clampmode, int filtermode)
{
    const String::size_type dot = firstFilename.rfind('.');
    const String::size_type underscore = firstFilename.rfind('_');
    m_spriteNumFrames = 0;

    const bool wellFormed = underscore != String::npos && dot != String::npos &&
                            dot > underscore + 1 &&
                            IsAllDigits(firstFilename.substr(underscore + 1, dot - underscore - 1));
    if (!wellFormed)
    {
        GetSystemLog()->Log("LoadSpriteFrames() - Bad Format - Expecting somename_###.ext");
        GetSystemLog()->Log("Attempting to load single texture: " + Printable(firstFilename));
        SetSprite(firstFilename, 0, clampmode, filtermode, false);
        return;
    }

    const String prefix = firstFilename.substr(0, underscore + 1);
    const String extension = firstFilename.substr(dot);
    // Counting in the digit text itself keeps the padding and cannot overflow.
    String number = firstFilename.substr(underscore + 1, dot - underscore - 1);
    // A series costs at most what one texture may: many large frames would stall the main
    // thread for as long as one huge image. A frame too large alone is refused by its load.
    unsigned long long pixels = 0;
    for (;;)
    {
        const String file = prefix + number + extension;
        TextureRequest frame(file);
        const unsigned long long framePixels = frame.Pixels();
        if (framePixels <= kMaxTexturePixels && pixels + framePixels > kMaxTexturePixels)
        {
            GetSystemLog()->Log("ERROR: Sprite frames " + Printable(firstFilename) +
                                " stop before " + Printable(file) + ": a series may have at most " +
                                std::to_string(kMaxTexturePixels) + " pixels in all.");
            break;
        }
        pixels += framePixels;
        // The first missing number ends the series quietly; the first frame itself, named by
        // the caller, is missed aloud as a single sprite is.
        const int texture = frame.Load(clampmode, filtermode, m_spriteNumFrames > 0);
        if (texture == -1)
            break;
        SetSpriteTexture(texture, m_spriteNumFrames);
        if (m_spriteNumFrames >= MAX_SPRITE_FRAMES)
        {
            GetSystemLog()->Log("Maximum number of frames reached (" +
                                IntToString(MAX_SPRITE_FRAMES) + "). Bailing out...");
            GetSystemLog()->Log("Increment MAX_SPRITE_FRAMES if you need more.");
            break;
        }
        number = IncrementDecimal(number);
    }
}

void Actor::PlaySpriteAnimation(float delay, spriteAnimationType animType, int startFrame,
                                int endFrame, const char* animName)
{
    if (animType < SAT_None || animType > SAT_OneShot)
    {
        GetSystemLog()->Printf("WARNING: PlaySpriteAnimation() ignored the unknown animation "
                               "type %d.",
                               static_cast<int>(animType));
        return;
    }
    startFrame = MathUtil::Clamp(startFrame, 0, m_spriteNumFrames - 1);
    endFrame = MathUtil::Clamp(endFrame, 0, m_spriteNumFrames - 1);
    m_spriteAnimDirection = startFrame <= endFrame ? 1 : -1;
    m_spriteFrameDelay = delay;
    m_spriteCurrentFrameDelay = delay;
    m_spriteAnimType = animType;
    m_spriteCurrentFrame = startFrame;
    m_spriteAnimStartFrame = startFrame;
    m_spriteAnimEndFrame = endFrame;
    if (animName != nullptr)
        m_currentAnimName = animName;
}

void Actor::SetSpriteFrame(int frame)
{
    frame = MathUtil::Clamp(frame, 0, m_spriteNumFrames - 1);
    if (m_spriteTextureReferences[frame] == -1)
        GetSystemLog()->Log("setSpriteFrame() - Warning: frame(" + IntToString(frame) +
                            ") has an invalid texture reference.");
    m_spriteCurrentFrame = frame;
}

int Actor::GetSpriteTexture(int frame) const
{
    return m_spriteTextureReferences[MathUtil::Clamp(frame, 0, m_spriteNumFrames - 1)];
}

void Actor::ClearSpriteInfo()
{
    std::fill(m_spriteTextureReferences, m_spriteTextureReferences + m_spriteNumFrames, -1);
    m_spriteAnimType = SAT_None;
    m_spriteFrameDelay = 0.0f;
    m_spriteCurrentFrame = 0;
}

int Actor::GetCurrentSpriteTexture() const
{
    return m_spriteTextureReferences[MathUtil::Clamp(m_spriteCurrentFrame, 0,
                                                     MAX_SPRITE_FRAMES - 1)];
}

void Actor::UpdateSpriteAnimation(float dt)
{
    if (!(m_spriteFrameDelay > 0.0f))
        return;

    m_spriteCurrentFrameDelay -= dt;
    int steps = 0;
    // An AnimCallback may stop the animation (delay 0) in the middle of this loop.
    while (m_spriteCurrentFrameDelay < 0.0f && m_spriteFrameDelay > 0.0f)
    {
        if (++steps > kMaxFrameStepsPerUpdate)
        {
            m_spriteCurrentFrameDelay = m_spriteFrameDelay;
            break;
        }

        // Reversed ranges play downwards; a frame set from outside the range (SetSpriteFrame
        // during an animation) goes back to the start, so the index never leaves the frames.
        const int low = std::min(m_spriteAnimStartFrame, m_spriteAnimEndFrame);
        const int high = std::max(m_spriteAnimStartFrame, m_spriteAnimEndFrame);
        const bool outsideRange = m_spriteCurrentFrame < low || m_spriteCurrentFrame > high;

        switch (m_spriteAnimType)
        {
        case SAT_Loop:
            if (outsideRange || m_spriteCurrentFrame == m_spriteAnimEndFrame)
                m_spriteCurrentFrame = m_spriteAnimStartFrame;
            else
                m_spriteCurrentFrame += m_spriteAnimDirection;
            break;
        case SAT_PingPong:
            if (outsideRange)
                m_spriteCurrentFrame = m_spriteAnimStartFrame;
            else if (low == high)
                break;
            else if (m_spriteAnimDirection > 0 && m_spriteCurrentFrame == high)
            {
                m_spriteAnimDirection = -1;
                m_spriteCurrentFrame = high - 1;
            }
            else if (m_spriteAnimDirection < 0 && m_spriteCurrentFrame == low)
            {
                m_spriteAnimDirection = 1;
                m_spriteCurrentFrame = low + 1;
            }
            else
                m_spriteCurrentFrame += m_spriteAnimDirection;
            break;
        case SAT_OneShot:
            if (m_spriteCurrentFrame == m_spriteAnimEndFrame)
            {
                m_spriteAnimType = SAT_None;
                if (!m_currentAnimName.empty())
                {
                    const String name = m_currentAnimName;
                    AnimCallback(name);
                }
            }
            else if (outsideRange)
                m_spriteCurrentFrame = m_spriteAnimStartFrame;
            else
                m_spriteCurrentFrame += m_spriteAnimDirection;
            break;
        case SAT_None:
            break;
        }
        m_spriteCurrentFrameDelay += m_spriteFrameDelay;
    }
}
