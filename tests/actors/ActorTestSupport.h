#pragma once

#include "engine/actors/Actor.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"

#include <vector>

/// Records the messages of the given names, and their senders, until destroyed.
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
    void ReceiveMessage(Message* message) override
    {
        received.push_back(message->GetMessageName());
        senders.push_back(message->GetSender());
    }
    /// Delivers what is queued; returns every name received so far.
    const StringList& Deliver()
    {
        Switchboard::GetInstance()->SendAllMessages();
        return received;
    }

    StringList received;
    std::vector<MessageListener*> senders;

private:
    StringList m_names;
};

/// An actor that exposes its sprite state and records the engine's calls on it.
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
    MessageListener* AsListener() { return this; }

    int virtualMoves = 0, levelUnloads = 0;
    StringList animCallbacks;

private:
    String m_className;
};
