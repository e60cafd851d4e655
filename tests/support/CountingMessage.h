#pragma once

#include "engine/messaging/Message.h"

#include <atomic>

/// A message that counts how often messages of its kind are deleted.
class CountingMessage : public Message
{
public:
    explicit CountingMessage(const String& name, MessageListener* sender = nullptr)
        : Message(name, sender)
    {
        ++s_alive;
    }
    ~CountingMessage() override
    {
        --s_alive;
        ++s_deleted;
    }

    static std::atomic<int> s_alive;
    static std::atomic<int> s_deleted;
};
