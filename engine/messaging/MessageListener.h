#pragma once

class Message;

/// Everything that receives messages from the Switchboard. Never deleted through this
/// interface; in multiply-derived classes it is the second base, so senders pass this view.
class MessageListener
{
public:
    /// Called on the main thread during the Switchboard's delivery pass. The message belongs to
    /// the Switchboard: do not keep or delete it.
    virtual void ReceiveMessage(Message* message) = 0;

protected:
    ~MessageListener() = default;
};
