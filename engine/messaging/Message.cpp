#include "engine/messaging/Message.h"

Message::Message() : m_name("GenericMessage"), m_sender(nullptr) {}

Message::Message(const String& name, MessageListener* sender) : m_name(name), m_sender(sender) {}
