#pragma once

#include "engine/messaging/Message.h"
#include "engine/messaging/MessageListener.h"
#include "engine/messaging/Switchboard.h"

/// Records the names of the messages it subscribed to, in the order they are delivered.
class MessageRecorder : public MessageListener
{
public:
    explicit MessageRecorder(std::initializer_list<const char*> names)
    {
        for (const char* name : names)
            Switchboard::GetInstance()->SubscribeTo(this, name);
        Deliver(); // drops whatever earlier tests left queued
    }
    ~MessageRecorder() { Switchboard::GetInstance()->UnsubscribeFromAll(this); }

    void ReceiveMessage(Message* message) override
    {
        received.push_back(message->GetMessageName());
    }

    /// Runs the switchboard's delivery pass; gives what reached us since the last call.
    StringList Deliver()
    {
        received.clear();
        Switchboard::GetInstance()->SendAllMessages();
        return received;
    }

    StringList received;
};
