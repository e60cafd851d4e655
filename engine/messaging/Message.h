#pragma once

#include "engine/util/Lifeline.h"
#include "engine/util/StringTypes.h"

class MessageListener;

/// A named notification. Created with new by the sender and handed to the Switchboard, which
/// owns and deletes it after delivery. One with a sender is made and deleted on the main thread
/// (it watches the sender).
class Message
{
public:
    Message();
    explicit Message(const String& name, MessageListener* sender = nullptr);
    virtual ~Message() = default;

    virtual String GetMessageName() const { return m_name; }
    /// The sending object, or null; null also once the sender has been deleted, whether the
    /// message was queued then or held elsewhere (by a script).
    MessageListener* GetSender() const { return m_senderWatch.IsAlive() ? m_sender : nullptr; }

    Message(const Message&) = delete;
    Message& operator=(const Message&) = delete;

protected:
    /// For subclasses that answer GetMessageName themselves: the name field stays empty.
    struct NamedBySubclass
    {
    };
    Message(NamedBySubclass, MessageListener* sender);

    String m_name;
    MessageListener* m_sender;
    Lifeline::Watch m_senderWatch;
};
