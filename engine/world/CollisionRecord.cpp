#include "engine/world/CollisionRecord.h"

#include "engine/actors/Actor.h"
#include "engine/world/CollisionMessage.h"

#include <algorithm>
#include <utility>

namespace
{

constexpr std::size_t kMinSlots = 64;

std::size_t Hash(const Actor* actor, std::size_t mask)
{
    // Fibonacci hashing: heap addresses differ mostly in their middle bits.
    const auto bits = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(actor));
    return static_cast<std::size_t>((bits * 0x9E3779B97F4A7C15ull) >> 32) & mask;
}

} // namespace

CollisionRecord::CollisionRecord() : m_switchboard(Switchboard::GetInstance())
{
    Rebuild(kMinSlots, false);
}

void CollisionRecord::Clear()
{
    // Drop the entries of actors that took part in nothing lately (and may be gone). A tick
    // without contacts (no step was due) says nothing about that, and would otherwise make the
    // next tick build every entry again.
    if (m_usedThisTick > 0 && m_entryCount > 2 * m_usedThisTick + 256)
        Rebuild(4 * m_usedThisTick, true);
    ++m_tick;
    m_usedThisTick = 0;
}

void CollisionRecord::Report(Actor* first, Actor* second, b2ContactPoint* point)
{
    if (m_holding)
    {
        m_held.push_back(Contact{first, second, point});
        return;
    }
    Send(first, second, point);
    Send(second, first, point);
    Flush();
}

void CollisionRecord::StartTick(std::size_t slot, const Actor* actor)
{
    Entry& entry = m_entries[slot];
    entry.tick = m_tick;
    ++m_usedThisTick;
    if (entry.senderCount > kInlineSenders)
        m_details[slot].moreSenders.clear();
    entry.senderCount = 0;
    // The actor itself is read only when some actor was named or destroyed since the last look.
    const unsigned naming = Actor::GetNamingCount();
    if (entry.namingSeen == naming && entry.versionSeen != kNeverLookedUp)
        return;
    entry.namingSeen = naming;
    Detail& detail = m_details[slot];
    if (detail.actorName != actor->GetName() || entry.versionSeen == kNeverLookedUp)
    {
        detail.actorName = actor->GetName();
        entry.channel = nullptr;
        entry.versionSeen = kNeverLookedUp;
    }
}

void CollisionRecord::LookUp(std::size_t slot)
{
    Entry& entry = m_entries[slot];
    // Channels are never removed: one found stays the name's, and a name without one needs
    // another look only once channels were added.
    if (entry.channel == nullptr)
    {
        Detail& detail = m_details[slot];
        const std::size_t channels = m_switchboard->GetChannelCount();
        if (entry.versionSeen == kNeverLookedUp || detail.channelsSeen != channels)
        {
            entry.channel = m_switchboard->FindChannel("CollisionWith" + detail.actorName);
            detail.channelsSeen = channels;
        }
    }
    entry.subscribed = entry.channel != nullptr && entry.channel->HasSubscribers();
    entry.versionSeen = m_switchboard->GetSubscriptionVersion();
}

inline bool CollisionRecord::AddSender(std::size_t slot, Actor* sender)
{
    Entry& entry = m_entries[slot];
    const int count = entry.senderCount;
    if (count > kInlineSenders)
        return AddSpilledSender(slot, sender);
    for (int i = 0; i < count; ++i)
        if (entry.senders[i] == sender)
            return false;
    if (count == kInlineSenders)
        return AddSpilledSender(slot, sender);
    entry.senders[count] = sender;
    entry.senderCount = static_cast<std::uint16_t>(count + 1);
    return true;
}

bool CollisionRecord::AddSpilledSender(std::size_t slot, Actor* sender)
{
    Entry& entry = m_entries[slot];
    if (std::find(entry.senders, entry.senders + kInlineSenders, sender) !=
        entry.senders + kInlineSenders)
        return false;
    std::vector<Actor*>& more = m_details[slot].moreSenders;
    if (std::find(more.begin(), more.end(), sender) != more.end())
        return false;
    more.push_back(sender);
    ++entry.senderCount;
    return true;
}

void CollisionRecord::Release()
{
    m_holding = false;
    for (const Contact& contact : m_held)
    {
        Send(contact.first, contact.second, contact.point);
        Send(contact.second, contact.first, contact.point);
    }
    m_held.clear();
    Flush();
}

void CollisionRecord::Flush()
{
    m_switchboard->Broadcast(m_batch);
}

inline std::size_t CollisionRecord::SlotFor(Actor* actor)
{
    for (std::size_t slot = Hash(actor, m_mask);; slot = (slot + 1) & m_mask)
    {
        const Actor* held = m_entries[slot].actor;
        if (held == actor)
            return slot;
        if (held == nullptr)
            return Insert(actor);
    }
}

std::size_t CollisionRecord::Insert(Actor* actor)
{
    // Keep the table at most half full, so that probes stay short.
    if (2 * (m_entryCount + 1) > m_entries.size())
        Rebuild(2 * m_entries.size(), false);
    std::size_t slot = Hash(actor, m_mask);
    while (m_entries[slot].actor != nullptr)
        slot = (slot + 1) & m_mask;
    m_entries[slot].actor = actor;
    ++m_entryCount;
    return slot;
}

void CollisionRecord::Rebuild(std::size_t size, bool onlyUsedThisTick)
{
    std::size_t slots = kMinSlots;
    while (slots < size)
        slots *= 2;
    std::vector<Entry> entries(slots);
    std::vector<Detail> details(slots);
    entries.swap(m_entries);
    details.swap(m_details);
    m_entryCount = 0;
    m_mask = slots - 1;
    for (std::size_t old = 0; old < entries.size(); ++old)
    {
        if (entries[old].actor == nullptr || (onlyUsedThisTick && entries[old].tick != m_tick))
            continue;
        std::size_t slot = Hash(entries[old].actor, m_mask);
        while (m_entries[slot].actor != nullptr)
            slot = (slot + 1) & m_mask;
        m_entries[slot] = entries[old];
        m_details[slot] = std::move(details[old]);
        ++m_entryCount;
    }
}

void CollisionRecord::Send(Actor* named, Actor* sender, b2ContactPoint* point)
{
    const std::size_t slot = SlotFor(named);
    Entry& entry = m_entries[slot];
    if (entry.tick != m_tick)
        StartTick(slot, named);
    if (entry.versionSeen != m_switchboard->GetSubscriptionVersion())
        LookUp(slot);
    if (!entry.subscribed || !AddSender(slot, sender))
        return;
    m_batch.push_back(Switchboard::RoutedMessage{
        new CollisionMessage(entry.channel, point, static_cast<MessageListener*>(sender)),
        entry.channel});
}
