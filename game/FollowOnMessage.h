#pragma once

#include "engine/messaging/Message.h"
#include "engine/util/Lifeline.h"

/// A message by which a run of a screen leaves or restarts itself after a delay ("MoveForwards"
/// after a won level, "Restart" after a lost one). It belongs to that run: once the run has
/// ended (the screen stopped by a key, a switch or a script), it is stale and the screen
/// manager ignores it. Main thread only.
class FollowOnMessage : public Message
{
public:
    /// run lives as long as the run that sends the message.
    FollowOnMessage(const String& name, const Lifeline& run) : Message(name), m_run(run.GetWatch())
    {
    }

    bool IsStale() const { return !m_run.IsAlive(); }

private:
    Lifeline::Watch m_run;
};
