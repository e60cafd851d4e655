#pragma once

#include "engine/util/Lifeline.h"

class Message;

/// Everything that receives messages from the Switchboard. Never deleted through this
/// interface; in multiply-derived classes it is the second base, so senders pass this view.
class MessageListener
{
public:
    /// Called on the main thread during the Switchboard's delivery pass. The message belongs to
    /// the Switchboard: do not keep or delete it.
    virtual void ReceiveMessage(Message* message) = 0;

    /// Ends with the listener: a message naming it as its sender watches it.
    const Lifeline& GetListenerLifeline() const { return m_listenerLifeline; }

protected:
    ~MessageListener() = default;

private:
    Lifeline m_listenerLifeline;
};
