#pragma once

#include "engine/messaging/ActorCollections.h"
#include "engine/util/StringTypes.h"

#include <map>

/// The process-wide index from tag names to the actors that carry them. It does not own the
/// actors: an actor leaves all its tags when it is deleted. Main thread only.
class TagCollection
{
public:
    static TagCollection* GetInstance();

    /// Tests make private instances; the engine only uses GetInstance().
    TagCollection() = default;
    TagCollection(const TagCollection&) = delete;
    TagCollection& operator=(const TagCollection&) = delete;

    /// Adding an actor twice changes nothing.
    void AddObjToTagList(Actor* actor, const String& tag);
    /// A tag whose last actor leaves is forgotten.
    void RemoveObjFromTagList(Actor* actor, const String& tag);

    /// The actors that carry every tag in findTags (separated by commas and blanks). Tags are
    /// matched exactly: the query is not lower-cased. No tag gives an empty set.
    ActorSet GetObjectsTagged(const String& findTags) const;
    /// Every tag that at least one actor carries, sorted.
    StringSet GetTagList() const;

private:
    std::map<String, ActorSet> m_tags;
};
