#pragma once

#include "engine/util/StringTypes.h"

#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <vector>

class Message;
class MessageListener;

/// The process-wide message hub. Listeners subscribe to exact, case-sensitive names; messages
/// are queued by Broadcast (from any thread) and delivered once a frame on the main thread by
/// SendAllMessages. Subscription changes asked for during delivery take effect after it.
class Switchboard
{
public:
    static Switchboard* GetInstance();

    /// Tests make private instances; the engine only uses GetInstance().
    Switchboard() = default;
    ~Switchboard();
    Switchboard(const Switchboard&) = delete;
    Switchboard& operator=(const Switchboard&) = delete;

    /// Queues message; the Switchboard owns it from now on. Any thread.
    void Broadcast(Message* message);
    /// Broadcasts message once delay seconds (negative counts as 0) of frame time have passed.
    /// Main thread only; the Switchboard owns the message from now on.
    void DeferredBroadcast(Message* message, float delay);

    /// Counts deferred messages down and broadcasts those that are due. Main thread.
    void Update(float dt);
    /// Delivers every queued message, including those broadcast by handlers during the pass.
    void SendAllMessages();

    /// False when already subscribed, or when asked during delivery (applied after it).
    bool SubscribeTo(MessageListener* listener, const String& messageName);
    /// False when not subscribed, or when asked during delivery (applied after it; it also
    /// cancels a subscription to the same name asked for earlier in the pass).
    bool UnsubscribeFrom(MessageListener* listener, const String& messageName);

    /// Unsubscribes listener from every name it has, one UnsubscribeFrom per name; what
    /// destroyed listeners do.
    void UnsubscribeFromAll(MessageListener* listener);

    std::set<MessageListener*> GetSubscribersTo(const String& messageName) const;
    /// The names listener is subscribed to, including those waiting for the end of a pass.
    StringSet GetSubscriptionsFor(MessageListener* listener) const;
    /// True when anyone is subscribed to messageName (cheaper than copying the set).
    bool HasSubscribers(const String& messageName) const;

private:
    struct DeferredMessage
    {
        Message* message;
        float delay;
    };
    struct SubscriptionRequest
    {
        MessageListener* listener;
        String messageName;
    };

    bool IsUnsubscriptionPending(MessageListener* listener, const String& messageName) const;
    void Deliver(Message* message);

    std::deque<Message*> m_messages;
    std::map<String, std::set<MessageListener*>> m_subscribers;
    std::map<MessageListener*, StringSet> m_subscriptions;
    std::vector<DeferredMessage> m_deferredMessages;
    bool m_messagesLocked = false;
    std::vector<SubscriptionRequest> m_pendingSubscriptions;
    std::vector<SubscriptionRequest> m_pendingUnsubscriptions;
    /// Guards m_messages. Recursive: handlers broadcast while the delivery pass holds it.
    mutable std::recursive_mutex m_mutex;
};
