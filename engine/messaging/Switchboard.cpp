#include "engine/messaging/Switchboard.h"

#include "engine/messaging/Message.h"
#include "engine/messaging/MessageListener.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <mutex>

namespace
{

/// The Switchboard whose delivery pass runs on this thread, if any: broadcasts by its handlers
/// join the pass under way.
thread_local const Switchboard* t_delivering = nullptr;

} // namespace

Switchboard* Switchboard::GetInstance()
{
    static Switchboard* instance = new Switchboard();
    return instance;
}

Switchboard::~Switchboard()
{
    for (const RoutedMessage& queued : m_messages)
        delete queued.message;
    for (const RoutedMessage& queued : m_nextPass)
        delete queued.message;
    for (DeferredMessage& deferred : m_deferredMessages)
        delete deferred.message;
}

void Switchboard::Broadcast(Message* message)
{
    if (message == nullptr)
        return;
    std::lock_guard<QueueLock> lock(m_lock);
    QueueForCaller().push_back(RoutedMessage{message, nullptr});
}

void Switchboard::Broadcast(std::vector<RoutedMessage>& messages)
{
    if (messages.empty())
        return;
    std::lock_guard<QueueLock> lock(m_lock);
    std::vector<RoutedMessage>& queue = QueueForCaller();
    // An empty queue (the usual case: the World queues its collisions after the delivery pass)
    // takes the whole batch without copying it.
    if (queue.empty())
        queue.swap(messages);
    else
        queue.insert(queue.end(), messages.begin(), messages.end());
    messages.clear();
}

std::vector<Switchboard::RoutedMessage>& Switchboard::QueueForCaller()
{
    // Another thread's message waits for the next pass, as it would had it waited for the pass
    // to end; the pass's own handlers' messages join it.
    return m_passRunning && t_delivering != this ? m_nextPass : m_messages;
}

void Switchboard::DeferredBroadcast(Message* message, float delay)
{
    if (message == nullptr)
        return;
    m_deferredMessages.push_back(DeferredMessage{message, std::max(0.0f, delay)});
}

void Switchboard::Update(float dt)
{
    // Broadcasting never touches the deferred list, so it can be compacted in place.
    auto keep = m_deferredMessages.begin();
    for (auto it = m_deferredMessages.begin(); it != m_deferredMessages.end(); ++it)
    {
        it->delay -= dt;
        if (it->delay <= 0.0f)
            Broadcast(it->message);
        else
            *keep++ = *it;
    }
    m_deferredMessages.erase(keep, m_deferredMessages.end());
}

inline void Switchboard::Deliver(const RoutedMessage& queued)
{
    const Channel* channel = queued.channel;
    if (channel == nullptr)
    {
        auto found = m_subscribers.find(queued.message->GetMessageName());
        if (found == m_subscribers.end())
            return;
        channel = &found->second;
    }
    // The list cannot change during the pass: subscription changes are queued while locked.
    for (MessageListener* listener : channel->m_listeners)
    {
        if (!m_pendingUnsubscriptions.empty() &&
            IsUnsubscriptionPending(listener, *channel->m_name))
            continue;
        listener->ReceiveMessage(queued.message);
    }
}

void Switchboard::SendAllMessages()
{
    // A handler's own call: the pass under way delivers everything queued.
    if (t_delivering == this)
        return;
    {
        // The lock is held only to take messages out of the queue, never while handlers run:
        // a handler may wait for another thread (a script's thread, for the interpreter) that
        // is itself about to broadcast.
        {
            std::lock_guard<QueueLock> lock(m_lock);
            m_passRunning = true;
        }
        std::vector<RoutedMessage>& batch = m_batch;
        std::size_t next = 0;
        // Undone also when a handler throws, so that the Switchboard stays usable: the message
        // in hand is dropped, the rest wait for the next pass, and so do the subscription
        // changes asked for so far.
        struct Pass
        {
            Switchboard* board;
            const std::size_t& next;
            const Switchboard* outer = t_delivering;
            Pass(Switchboard* b, const std::size_t& n) : board(b), next(n)
            {
                board->m_messagesLocked = true;
                t_delivering = board;
            }
            ~Pass()
            {
                std::vector<RoutedMessage>& batch = board->m_batch;
                std::vector<RoutedMessage>& queue = board->m_messages;
                {
                    std::lock_guard<QueueLock> lock(board->m_lock);
                    queue.insert(queue.begin(), batch.begin() + next, batch.end());
                    queue.insert(queue.end(), board->m_nextPass.begin(), board->m_nextPass.end());
                    board->m_nextPass.clear();
                    board->m_passRunning = false;
                }
                batch.clear();
                board->m_messagesLocked = false;
                t_delivering = outer;
            }
        } pass(this, next);
        for (;;)
        {
            {
                std::lock_guard<QueueLock> lock(m_lock);
                if (m_messages.empty())
                    break;
                batch.clear();
                next = 0;
                batch.swap(m_messages);
            }
            // What handlers broadcast meanwhile queues behind this batch, for the next round.
            while (next < batch.size())
            {
                const RoutedMessage queued = batch[next++];
                const std::unique_ptr<Message> owned(queued.message);
                Deliver(queued);
            }
        }
    }

    std::vector<SubscriptionRequest> unsubscriptions;
    unsubscriptions.swap(m_pendingUnsubscriptions);
    for (const SubscriptionRequest& request : unsubscriptions)
        UnsubscribeFrom(request.listener, request.messageName);

    std::vector<SubscriptionRequest> subscriptions;
    subscriptions.swap(m_pendingSubscriptions);
    for (const SubscriptionRequest& request : subscriptions)
        SubscribeTo(request.listener, request.messageName);
}

bool Switchboard::IsUnsubscriptionPending(MessageListener* listener,
                                          const String& messageName) const
{
    return std::any_of(m_pendingUnsubscriptions.begin(), m_pendingUnsubscriptions.end(),
                       [&](const SubscriptionRequest& request) {
                           return request.listener == listener &&
                                  request.messageName == messageName;
                       });
}

bool Switchboard::SubscribeTo(MessageListener* listener, const String& messageName)
{
    // Delivery would call through it.
    if (listener == nullptr)
        return false;
    if (m_messagesLocked)
    {
        m_pendingSubscriptions.push_back(SubscriptionRequest{listener, messageName});
        return false;
    }
    m_subscriptions[listener].insert(messageName);
    auto [entry, created] = m_subscribers.try_emplace(messageName);
    Channel& channel = entry->second;
    if (created)
        channel.m_name = &entry->first;
    auto place = std::lower_bound(channel.m_listeners.begin(), channel.m_listeners.end(), listener,
                                  std::less<MessageListener*>());
    if (place != channel.m_listeners.end() && *place == listener)
        return false;
    channel.m_listeners.insert(place, listener);
    ++m_subscriptionVersion;
    return true;
}

bool Switchboard::UnsubscribeFrom(MessageListener* listener, const String& messageName)
{
    if (m_messagesLocked)
    {
        // A subscription asked for earlier in this pass is cancelled, so that a listener
        // created and destroyed within one pass is never entered after it.
        m_pendingSubscriptions.erase(std::remove_if(m_pendingSubscriptions.begin(),
                                                    m_pendingSubscriptions.end(),
                                                    [&](const SubscriptionRequest& request) {
                                                        return request.listener == listener &&
                                                               request.messageName == messageName;
                                                    }),
                                     m_pendingSubscriptions.end());
        m_pendingUnsubscriptions.push_back(SubscriptionRequest{listener, messageName});
        return false;
    }
    auto found = m_subscribers.find(messageName);
    if (found == m_subscribers.end())
        return false;
    std::vector<MessageListener*>& listeners = found->second.m_listeners;
    auto place = std::lower_bound(listeners.begin(), listeners.end(), listener,
                                  std::less<MessageListener*>());
    if (place == listeners.end() || *place != listener)
        return false;
    listeners.erase(place);
    ++m_subscriptionVersion;

    auto names = m_subscriptions.find(listener);
    if (names != m_subscriptions.end())
    {
        names->second.erase(messageName);
        // A listener with no names left is forgotten, so a deleted object's address that is
        // reused later starts clean.
        if (names->second.empty())
            m_subscriptions.erase(names);
    }
    return true;
}

std::set<MessageListener*> Switchboard::GetSubscribersTo(const String& messageName) const
{
    // As they will be after the pass under way: a listener that left during it, deleted since
    // perhaps, is not handed out, and one that came is.
    std::set<MessageListener*> listeners;
    auto found = m_subscribers.find(messageName);
    if (found != m_subscribers.end())
        for (MessageListener* listener : found->second.m_listeners)
            if (m_pendingUnsubscriptions.empty() || !IsUnsubscriptionPending(listener, messageName))
                listeners.insert(listeners.end(), listener);
    for (const SubscriptionRequest& request : m_pendingSubscriptions)
        if (request.messageName == messageName)
            listeners.insert(request.listener);
    return listeners;
}

void Switchboard::UnsubscribeFromAll(MessageListener* listener)
{
    for (const String& name : GetSubscriptionsFor(listener))
        UnsubscribeFrom(listener, name);
}

StringSet Switchboard::GetSubscriptionsFor(MessageListener* listener) const
{
    StringSet names;
    auto found = m_subscriptions.find(listener);
    if (found != m_subscriptions.end())
        names = found->second;
    // As they will be after the pass under way. Names left during it are not counted: they
    // may be those of a deleted listener at the same address. Subscriptions still waiting for
    // the end of the pass count, so that a listener that leaves all its names (in its
    // destructor, say) also leaves those.
    for (const SubscriptionRequest& request : m_pendingUnsubscriptions)
        if (request.listener == listener)
            names.erase(request.messageName);
    for (const SubscriptionRequest& request : m_pendingSubscriptions)
        if (request.listener == listener)
            names.insert(request.messageName);
    return names;
}

const Switchboard::Channel* Switchboard::FindChannel(const String& messageName) const
{
    auto found = m_subscribers.find(messageName);
    return found == m_subscribers.end() ? nullptr : &found->second;
}
