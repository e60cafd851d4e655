#pragma once

#include "engine/messaging/QueueLock.h"
#include "engine/util/StringTypes.h"

#include <cstddef>
#include <map>
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
    /// The subscribers of one message name. A name's channel is created by its first
    /// subscription and never removed, so a pointer to it stays valid as long as the
    /// Switchboard does: senders of many messages to one name look it up once.
    class Channel
    {
    public:
        const String& GetName() const { return *m_name; }
        bool HasSubscribers() const { return !m_listeners.empty(); }

    private:
        friend class Switchboard;
        const String* m_name = nullptr; // the key of the channel's entry
        // Sorted by address, the order a std::set would walk them in; a vector because the
        // delivery pass walks it for every message.
        std::vector<MessageListener*> m_listeners;
    };

    /// A message and the channel of its name, found by the sender on the main thread.
    struct RoutedMessage
    {
        Message* message;
        const Channel* channel; // null in the queue: looked up by name at delivery
    };

    static Switchboard* GetInstance();

    /// Tests make private instances; the engine only uses GetInstance().
    Switchboard() = default;
    ~Switchboard();
    Switchboard(const Switchboard&) = delete;
    Switchboard& operator=(const Switchboard&) = delete;

    /// Queues message; the Switchboard owns it from now on. Any thread; it never waits for a
    /// delivery pass: one from another thread during a pass is delivered in the next one.
    void Broadcast(Message* message);
    /// Queues the messages (none null) in order, taking the lock once, and empties the vector;
    /// the Switchboard owns them from now on. Each channel must be this Switchboard's channel of
    /// its message's name.
    void Broadcast(std::vector<RoutedMessage>& messages);
    /// Broadcasts message once delay seconds (negative counts as 0) of frame time have passed.
    /// Main thread only; the Switchboard owns the message from now on.
    void DeferredBroadcast(Message* message, float delay);

    /// Counts deferred messages down and broadcasts those that are due. Main thread.
    void Update(float dt);
    /// Delivers every queued message, including those broadcast by handlers during the pass.
    void SendAllMessages();

    /// False when already subscribed, or when asked during delivery (applied after it); a null
    /// listener is refused (false).
    bool SubscribeTo(MessageListener* listener, const String& messageName);
    /// False when not subscribed, or when asked during delivery (applied after it; it also
    /// cancels a subscription to the same name asked for earlier in the pass).
    bool UnsubscribeFrom(MessageListener* listener, const String& messageName);

    /// Unsubscribes listener from every name it has, one UnsubscribeFrom per name; what
    /// destroyed listeners do.
    void UnsubscribeFromAll(MessageListener* listener);

    /// The listeners of messageName, and below the names of listener, as they will be once the
    /// delivery pass under way has applied the changes asked for during it.
    std::set<MessageListener*> GetSubscribersTo(const String& messageName) const;
    StringSet GetSubscriptionsFor(MessageListener* listener) const;

    /// The name's channel, or null when nobody was ever subscribed to it. Main thread.
    const Channel* FindChannel(const String& messageName) const;
    /// Grows by one with each new channel (channels are never removed): a name that had none
    /// need not be looked up again while it is unchanged.
    std::size_t GetChannelCount() const { return m_subscribers.size(); }
    /// Changes whenever a listener is added to or removed from a name (requests made during a
    /// pass count when they are applied): what a sender found out about subscribers holds
    /// while this stays the same.
    unsigned GetSubscriptionVersion() const { return m_subscriptionVersion; }

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
    void Deliver(const RoutedMessage& queued);
    /// Where the calling thread's broadcast goes. Called with m_lock held.
    std::vector<RoutedMessage>& QueueForCaller();

    /// Guarded by m_lock, like m_nextPass and m_passRunning.
    std::vector<RoutedMessage> m_messages;
    /// Broadcast by other threads during a pass: queued when it ends.
    std::vector<RoutedMessage> m_nextPass;
    bool m_passRunning = false;
    /// The messages a pass is delivering, taken out of the queue. Delivering thread only.
    std::vector<RoutedMessage> m_batch;
    std::map<String, Channel> m_subscribers;
    std::map<MessageListener*, StringSet> m_subscriptions;
    std::vector<DeferredMessage> m_deferredMessages;
    bool m_messagesLocked = false;
    unsigned m_subscriptionVersion = 0;
    std::vector<SubscriptionRequest> m_pendingSubscriptions;
    std::vector<SubscriptionRequest> m_pendingUnsubscriptions;
    /// Guards the queues; held only to add to them or to take messages out, never while a
    /// handler runs, so a broadcast from any thread waits only for a few vector operations.
    QueueLock m_lock;
};
