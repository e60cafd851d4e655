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

CollisionRecord::CollisionRecord() : m_switchboard(Switchboard::GetInstance()) {}

void CollisionRecord::Clear()
{
    // Drop the entries of actors that took part in nothing lately (and may be gone). A tick
    // without contacts (no step was due) says nothing about that, and would otherwise make the
    // next tick build every entry again.
    if (m_usedThisTick > 0 && m_entries.size() > 2 * m_usedThisTick + 256)
    {
        std::size_t kept = 0;
        for (std::size_t i = 0; i < m_entries.size(); ++i)
        {
            if (m_entries[i].tick != m_tick)
                continue;
            m_entries[kept] = m_entries[i];
            m_details[kept] = std::move(m_details[i]);
            ++kept;
        }
        m_entries.resize(kept);
        m_details.resize(kept);
        Rehash(kMinSlots);
    }
    ++m_tick;
    m_usedThisTick = 0;
}

void CollisionRecord::Report(Actor* named, Actor* sender, b2ContactPoint* point)
{
    const std::uint32_t index = IndexFor(named);
    Entry& entry = m_entries[index];
    if (entry.tick != m_tick)
        StartTick(index, named);
    if (entry.versionSeen != m_switchboard->GetSubscriptionVersion())
        LookUp(index);
    if (!entry.subscribed || !AddSender(index, sender))
        return;
    m_batch.push_back(Switchboard::RoutedMessage{
        new CollisionMessage(entry.channel, point, static_cast<MessageListener*>(sender)),
        entry.channel});
    if (!m_holding)
        Flush();
}

void CollisionRecord::StartTick(std::uint32_t index, const Actor* actor)
{
    Entry& entry = m_entries[index];
    Detail& detail = m_details[index];
    entry.tick = m_tick;
    ++m_usedThisTick;
    entry.senderCount = 0;
    detail.moreSenders.clear();
    if (detail.actorName != actor->GetName() || entry.versionSeen == kNeverLookedUp)
    {
        detail.actorName = actor->GetName();
        entry.channel = nullptr;
        entry.versionSeen = kNeverLookedUp;
    }
}

void CollisionRecord::LookUp(std::uint32_t index)
{
    Entry& entry = m_entries[index];
    // Channels are never removed: one found stays the name's.
    if (entry.channel == nullptr)
        entry.channel = m_switchboard->FindChannel("CollisionWith" + m_details[index].actorName);
    entry.subscribed = entry.channel != nullptr && entry.channel->HasSubscribers();
    entry.versionSeen = m_switchboard->GetSubscriptionVersion();
}

bool CollisionRecord::AddSender(std::uint32_t index, Actor* sender)
{
    Entry& entry = m_entries[index];
    const int inlineCount = std::min<int>(entry.senderCount, kInlineSenders);
    if (std::find(entry.senders, entry.senders + inlineCount, sender) !=
        entry.senders + inlineCount)
        return false;
    if (entry.senderCount < kInlineSenders)
    {
        entry.senders[entry.senderCount++] = sender;
        return true;
    }
    std::vector<Actor*>& more = m_details[index].moreSenders;
    if (std::find(more.begin(), more.end(), sender) != more.end())
        return false;
    more.push_back(sender);
    ++entry.senderCount;
    return true;
}

void CollisionRecord::Release()
{
    m_holding = false;
    Flush();
}

void CollisionRecord::Flush()
{
    m_switchboard->Broadcast(m_batch);
    m_batch.clear();
}

std::uint32_t CollisionRecord::IndexFor(Actor* actor)
{
    if (2 * (m_entries.size() + 1) > m_slots.size())
        Rehash(2 * (m_entries.size() + 1));
    const std::size_t mask = m_slots.size() - 1;
    for (std::size_t i = Hash(actor, mask);; i = (i + 1) & mask)
    {
        Slot& slot = m_slots[i];
        if (slot.actor == actor)
            return slot.index;
        if (slot.actor == nullptr)
        {
            slot = Slot{actor, static_cast<std::uint32_t>(m_entries.size())};
            Entry entry{};
            entry.actor = actor;
            entry.versionSeen = kNeverLookedUp;
            m_entries.push_back(entry);
            m_details.emplace_back();
            return slot.index;
        }
    }
}

void CollisionRecord::Rehash(std::size_t size)
{
    std::size_t slots = kMinSlots;
    while (slots < size)
        slots *= 2;
    m_slots.assign(slots, Slot{nullptr, 0});
    const std::size_t mask = slots - 1;
    for (std::size_t index = 0; index < m_entries.size(); ++index)
    {
        std::size_t i = Hash(m_entries[index].actor, mask);
        while (m_slots[i].actor != nullptr)
            i = (i + 1) & mask;
        m_slots[i] = Slot{m_entries[index].actor, static_cast<std::uint32_t>(index)};
    }
}
