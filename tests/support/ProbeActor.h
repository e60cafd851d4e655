#pragma once

#include "engine/actors/Actor.h"

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

    int CurrentFrame() const { return m_spriteCurrentFrame; }
    int FrameCount() const { return m_spriteNumFrames; }
    MessageListener* AsListener() { return this; }

    int virtualMoves = 0;
    StringList animCallbacks;

private:
    String m_className;
};
