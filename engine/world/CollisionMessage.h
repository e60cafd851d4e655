#pragma once

#include "engine/messaging/Switchboard.h"
#include "engine/messaging/TypedMessage.h"

#include <cstddef>

struct b2ContactPoint;

/// A "CollisionWith" message as the World sends it: a TypedMessage<b2ContactPoint*> whose name
/// is that of its Switchboard channel. Physics sends thousands a tick, so the name is shared
/// instead of copied into each message, and the memory comes from a free list that `delete`
/// through a Message* returns it to. Created and deleted on the main thread only.
class CollisionMessage : public TypedMessage<b2ContactPoint*>
{
public:
    /// channel: the Switchboard's channel of the message name; it outlives the message.
    CollisionMessage(const Switchboard::Channel* channel, b2ContactPoint* point,
                     MessageListener* sender);

    String GetMessageName() const override { return m_channel->GetName(); }
    const Switchboard::Channel* GetChannel() const { return m_channel; }

    static void* operator new(std::size_t size);
    static void operator delete(void* memory, std::size_t size);

private:
    const Switchboard::Channel* m_channel;
};
