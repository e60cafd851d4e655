#pragma once

#include "engine/messaging/Message.h"

/// A Message carrying one value. The value is not owned unless a specialisation says so
/// (touch messages own the cursor copy they carry).
template <typename T> class TypedMessage : public Message
{
public:
    TypedMessage(const String& name, T value, MessageListener* sender = nullptr)
        : Message(name, sender), m_value(value)
    {
    }

    T GetValue() const { return m_value; }

protected:
    TypedMessage(NamedBySubclass tag, T value, MessageListener* sender)
        : Message(tag, sender), m_value(value)
    {
    }

    T m_value;
};
