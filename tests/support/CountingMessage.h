#pragma once

#include "engine/messaging/Message.h"

#include <atomic>

/// A message that counts how many of its kind are alive and how many were deleted.
class CountingMessage : public Message
{
public:
    explicit CountingMessage(const String& name, MessageListener* sender = nullptr)
        : Message(name, sender)
    {
        ++s_alive;
    }
    ~CountingMessage() override { --s_alive, ++s_deleted; }

    static inline std::atomic<int> s_alive{0}, s_deleted{0};
};
