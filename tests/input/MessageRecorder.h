#pragma once

#include "engine/messaging/Message.h"
#include "engine/messaging/MessageListener.h"
#include "engine/messaging/Switchboard.h"

#include <initializer_list>

/// Subscribes to message names on the process-wide switchboard and records what arrives, in
/// order. Deliver() runs the switchboard's delivery pass.
class MessageRecorder : public MessageListener
{
public:
    explicit MessageRecorder(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            Switchboard::GetInstance()->SubscribeTo(this, name);
    }
    ~MessageRecorder()
    {
        Switchboard* switchboard = Switchboard::GetInstance();
        for (const String& name : switchboard->GetSubscriptionsFor(this))
            switchboard->UnsubscribeFrom(this, name);
    }

    void ReceiveMessage(Message* message) override
    {
        received.push_back(message->GetMessageName());
    }

    /// Delivers everything queued and returns what reached this recorder since the last call.
    StringList Deliver()
    {
        received.clear();
        Switchboard::GetInstance()->SendAllMessages();
        return received;
    }

    StringList received;
};
