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
    /// Sends "CollisionWith" + named's name with sender as the sender and point as the value,
    /// unless nobody is subscribed to the name or the pair was already sent this tick.
    void Report(Actor* named, Actor* sender, b2ContactPoint* point);
    /// From Hold to Release, reports are gathered and queued together (one lock for all);
    /// otherwise each is queued at once.
    void Hold() { m_holding = true; }
    void Release();

private:
    static constexpr int kInlineSenders = 4;
    static constexpr std::size_t kNeverLookedUp = ~std::size_t(0);

    /// What every contact point reads: one cache line per actor.
    struct Entry
    {
        Actor* actor;
        /// Null when nobody was subscribed to the name at the last look-up.
        const Switchboard::Channel* channel;
        /// The Switchboard's subscription version at that look-up.
        std::size_t versionSeen;
        unsigned tick;
        std::uint16_t senderCount;
        bool subscribed;
        Actor* senders[kInlineSenders];
    };
    /// What is read at most once a tick, kept apart so that entries stay small.
    struct Detail
    {
        /// The actor's name when its channel was looked up.
        String actorName;
        /// The senders of this tick beyond the inline ones.
        std::vector<Actor*> moreSenders;
    };
    struct Slot
    {
        Actor* actor;
        std::uint32_t index;
    };

    std::uint32_t IndexFor(Actor* actor);
    void StartTick(std::uint32_t index, const Actor* actor);
    void LookUp(std::uint32_t index);
    bool AddSender(std::uint32_t index, Actor* sender);
    /// Refills the slots from the entries, in a table of at least `size` slots.
    void Rehash(std::size_t size);
    void Flush();

    Switchboard* m_switchboard;
    // An open-addressing table from actor to entry index: it is looked up for every contact
    // point and direction.
    std::vector<Slot> m_slots;
    std::vector<Entry> m_entries;
    std::vector<Detail> m_details; // parallel to m_entries
    unsigned m_tick = 1;
    std::size_t m_usedThisTick = 0;
    bool m_holding = false;
    std::vector<Switchboard::RoutedMessage> m_batch;
};
