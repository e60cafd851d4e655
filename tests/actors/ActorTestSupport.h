#pragma once

#include "engine/actors/Actor.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/MessageListener.h"
#include "engine/messaging/Switchboard.h"

#include <utility>
#include <vector>

/// Records the messages of the names it is subscribed to on the process-wide switchboard;
/// unsubscribes on destruction.
class MessageProbe : public MessageListener
{
public:
    explicit MessageProbe(const StringList& names) : m_names(names)
    {
        for (const String& name : m_names)
            Switchboard::GetInstance()->SubscribeTo(this, name);
    }
    ~MessageProbe()
    {
        for (const String& name : m_names)
            Switchboard::GetInstance()->UnsubscribeFrom(this, name);
    }
    MessageProbe(const MessageProbe&) = delete;
    MessageProbe& operator=(const MessageProbe&) = delete;

    void ReceiveMessage(Message* message) override
    {
        received.emplace_back(message->GetMessageName(), message->GetSender());
    }

    /// Delivers everything queued on the process-wide switchboard.
    static void Deliver() { Switchboard::GetInstance()->SendAllMessages(); }

    int CountOf(const String& name) const
    {
        int count = 0;
        for (const auto& entry : received)
            count += entry.first == name ? 1 : 0;
        return count;
    }

    std::vector<std::pair<String, MessageListener*>> received;

private:
    StringList m_names;
};

/// An actor that exposes its sprite state and records the calls the engine makes on it.
class ProbeActor : public Actor
{
public:
    explicit ProbeActor(String className = "Actor") : m_className(std::move(className)) {}

    String GetClassName() const override { return m_className; }
    void SetPosition(const Vector2& pos) override
    {
        ++virtualMoves;
        Actor::SetPosition(pos);
    }
    void AnimCallback(const String& animName) override { animCallbacks.push_back(animName); }
    void LevelUnloaded() override { ++levelUnloads; }

    int CurrentFrame() const { return m_spriteCurrentFrame; }
    int FrameCount() const { return m_spriteNumFrames; }
    int CurrentTexture() const { return GetCurrentSpriteTexture(); }

    int virtualMoves = 0;
    int levelUnloads = 0;
    StringList animCallbacks;

private:
    String m_className;
};

/// The listener view an actor sends its messages with.
inline MessageListener* AsListener(Actor& actor)
{
    return static_cast<MessageListener*>(&actor);
}
