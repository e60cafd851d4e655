#pragma once

#include "engine/util/StringTypes.h"

class MessageListener;

/// A named notification. Created with new by the sender and handed to the Switchboard, which
/// owns and deletes it after delivery.
class Message
{
public:
    Message();
    explicit Message(const String& name, MessageListener* sender = nullptr);
    virtual ~Message() = default;

    virtual String GetMessageName() const { return m_name; }
    /// The sending object, or null; null also once a sending actor has been deleted.
    MessageListener* GetSender() const { return m_sender; }

    Message(const Message&) = delete;
    Message& operator=(const Message&) = delete;

protected:
    friend class Switchboard; // forgets deleted senders

    /// For subclasses that answer GetMessageName themselves: the name field stays empty.
    struct NamedBySubclass
    {
    };
    Message(NamedBySubclass, MessageListener* sender) : m_sender(sender) {}

    String m_name;
    MessageListener* m_sender;
};
