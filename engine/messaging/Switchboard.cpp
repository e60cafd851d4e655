#include "engine/messaging/Switchboard.h"

#include "engine/messaging/Message.h"
#include "engine/messaging/MessageListener.h"

#include <algorithm>

Switchboard* Switchboard::GetInstance()
{
    static Switchboard* instance = new Switchboard();
    return instance;
}

Switchboard::~Switchboard()
{
    for (Message* message : m_messages)
        delete message;
    for (DeferredMessage& deferred : m_deferredMessages)
        delete deferred.message;
}

void Switchboard::Broadcast(Message* message)
{
    if (message == nullptr)
        return;
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    m_messages.push_back(message);
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

void Switchboard::SendAllMessages()
{
    {
        std::lock_guard<std::recursive_mutex> lock(m_mutex);
        m_messagesLocked = true;
        while (!m_messages.empty())
        {
            Message* message = m_messages.front();
            Deliver(message);
            delete message;
            m_messages.pop_front();
        }
        m_messagesLocked = false;
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

void Switchboard::Deliver(Message* message)
{
    auto found = m_subscribers.find(message->GetMessageName());
    if (found == m_subscribers.end())
        return;
    // The set cannot change during the pass: subscription changes are queued while locked.
    const String& name = found->first;
    for (MessageListener* listener : found->second)
    {
        if (!m_pendingUnsubscriptions.empty() && IsUnsubscriptionPending(listener, name))
            continue;
        listener->ReceiveMessage(message);
    }
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
    if (m_messagesLocked)
    {
        m_pendingSubscriptions.push_back(SubscriptionRequest{listener, messageName});
        return false;
    }
    m_subscriptions[listener].insert(messageName);
    return m_subscribers[messageName].insert(listener).second;
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
    if (found == m_subscribers.end() || found->second.erase(listener) == 0)
        return false;

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
    auto found = m_subscribers.find(messageName);
    if (found == m_subscribers.end())
        return {};
    return found->second;
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
    // Subscriptions still waiting for the end of the pass count too, so that a listener that
    // leaves all its names (in its destructor, say) also leaves those.
    for (const SubscriptionRequest& request : m_pendingSubscriptions)
        if (request.listener == listener)
            names.insert(request.messageName);
    return names;
}

bool Switchboard::HasSubscribers(const String& messageName) const
{
    auto found = m_subscribers.find(messageName);
    return found != m_subscribers.end() && !found->second.empty();
}
