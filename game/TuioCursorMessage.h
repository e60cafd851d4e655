#pragma once

#include "engine/messaging/TypedMessage.h"
#include "tuio/TuioCursor.h"

/// A touch message: "TuioCursorAdded", "TuioCursorUpdated" or "TuioCursorRemoved" carrying a
/// heap copy of the TUIO client's cursor. The message owns the copy and frees it with itself
/// after delivery; receivers that want the cursor later copy it. Include this header wherever
/// such a message is made or read, so that every use sees the owning form.
template <> class TypedMessage<TUIO::TuioCursor*> : public Message
{
public:
    /// Takes ownership of value.
    TypedMessage(const String& name, TUIO::TuioCursor* value, MessageListener* sender = nullptr)
        : Message(name, sender), m_value(value)
    {
    }
    ~TypedMessage() override { delete m_value; }

    TUIO::TuioCursor* GetValue() const { return m_value; }

private:
    TUIO::TuioCursor* m_value;
};

using TuioCursorMessage = TypedMessage<TUIO::TuioCursor*>;
