#pragma once

#include "engine/messaging/Switchboard.h"
#include "engine/util/StringTypes.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class Actor;
struct b2ContactPoint;

/// The World's collision messages: for each actor named in a "CollisionWith" message this
/// tick, the actors already sent as that message's sender. Entries outlive the tick, so that
/// an actor's channel is looked up once, not once per contact; each is refreshed (renames,
/// senders) the first time it is used in a tick. Main thread only.
class CollisionRecord
{
public:
    CollisionRecord();

    /// Starts a new tick: every pair may be reported again.
    void Clear();
    /// Sends "CollisionWith" + first's name with second as the sender, and the same with the
    /// roles swapped, each with point as the value, unless nobody is subscribed to the name or
    /// the pair was already sent this tick.
    void Report(Actor* first, Actor* second, b2ContactPoint* point);
    /// From Hold to Release, reports wait and are handled and queued together (one lock for
    /// all), so that walking Box2D's contacts and this bookkeeping do not evict each other's
    /// data from the caches; otherwise each is queued at once.
    void Hold() { m_holding = true; }
    void Release();

private:
    static constexpr int kInlineSenders = 12;
    static constexpr unsigned kNeverLookedUp = ~0u;

    /// What every contact point reads about an actor, in its first cache line; the senders
    /// past the fourth spill into the second.
    struct alignas(64) Entry
    {
        Actor* actor = nullptr; // null: a free slot
        /// Null when nobody was subscribed to the name at the last look-up.
        const Switchboard::Channel* channel = nullptr;
        /// The Switchboard's subscription version at that look-up.
        unsigned versionSeen = kNeverLookedUp;
        /// Actor::GetNamingCount when the name was last compared.
        unsigned namingSeen = 0;
        unsigned tick = 0;
        std::uint16_t senderCount = 0;
        bool subscribed = false;
        Actor* senders[kInlineSenders] = {};
    };
    /// What is read at most once a tick, beside its entry.
    struct Detail
    {
        /// The actor's name when its channel was looked up.
        String actorName;
        /// The Switchboard's channel count when the name had none.
        std::size_t channelsSeen = 0;
        /// The senders of this tick beyond the inline ones.
        std::vector<Actor*> moreSenders;
    };

    struct Contact
    {
        Actor* first;
        Actor* second;
        b2ContactPoint* point;
    };

    void Send(Actor* named, Actor* sender, b2ContactPoint* point);
    /// The slot of actor's entry, made when there is none.
    std::size_t SlotFor(Actor* actor);
    std::size_t Insert(Actor* actor);
    void StartTick(std::size_t slot, const Actor* actor);
    void LookUp(std::size_t slot);
    /// False when sender was already recorded for the entry this tick.
    bool AddSender(std::size_t slot, Actor* sender);
    bool AddSpilledSender(std::size_t slot, Actor* sender);
    /// Moves the entries kept (all, or those used this tick) into a table of `size` slots.
    void Rebuild(std::size_t size, bool onlyUsedThisTick);
    void Flush();

    Switchboard* m_switchboard;
    // An open-addressing table by actor, as it is looked up for every contact point and
    // direction; m_details runs parallel to it.
    std::vector<Entry> m_entries;
    std::vector<Detail> m_details;
    std::size_t m_mask = 0; // m_entries.size() - 1
    std::size_t m_entryCount = 0;
    unsigned m_tick = 1;
    std::size_t m_usedThisTick = 0;
    bool m_holding = false;
    std::vector<Contact> m_held;
    std::vector<Switchboard::RoutedMessage> m_batch;
};
