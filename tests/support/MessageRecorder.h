#pragma once

#include "engine/messaging/Message.h"
#include "engine/messaging/MessageListener.h"
#include "engine/messaging/Switchboard.h"

#include <functional>
#include <vector>

/// Subscribes to the names on the process-wide switchboard and records what reaches it, in the
/// order delivered, until destroyed.
class MessageRecorder : public MessageListener
{
public:
    explicit MessageRecorder(const StringList& names)
    {
        for (const String& name : names)
            Switchboard::GetInstance()->SubscribeTo(this, name);
    }
    ~MessageRecorder() { Switchboard::GetInstance()->UnsubscribeFromAll(this); }

    void ReceiveMessage(Message* message) override
    {
        received.push_back(message->GetMessageName());
        senders.push_back(message->GetSender());
        if (onReceive)
            onReceive(message);
    }
    /// Runs the switchboard's delivery pass; gives the names that reached us in it.
    StringList Deliver()
    {
        received.clear();
        Switchboard::GetInstance()->SendAllMessages();
        return received;
    }

    StringList received;
    std::vector<MessageListener*> senders;
    std::function<void(Message*)> onReceive;
};
