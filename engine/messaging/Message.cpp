#include "engine/messaging/Message.h"

#include "engine/messaging/MessageListener.h"

namespace
{
Lifeline::Watch WatchOf(const MessageListener* sender)
{
    return sender != nullptr ? sender->GetListenerLifeline().GetWatch() : Lifeline::Watch();
}
} // namespace

Message::Message() : m_name("GenericMessage"), m_sender(nullptr) {}

Message::Message(const String& name, MessageListener* sender)
    : m_name(name), m_sender(sender), m_senderWatch(WatchOf(sender))
{
}

Message::Message(NamedBySubclass, MessageListener* sender)
    : m_sender(sender), m_senderWatch(WatchOf(sender))
{
}
