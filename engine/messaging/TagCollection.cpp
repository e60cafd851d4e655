#include "engine/messaging/TagCollection.h"

#include "engine/util/StringUtil.h"

#include <algorithm>
#include <vector>

TagCollection* TagCollection::GetInstance()
{
    static TagCollection* instance = new TagCollection();
    return instance;
}

void TagCollection::AddObjToTagList(Actor* actor, const String& tag)
{
    m_tags[tag].insert(actor);
}

void TagCollection::RemoveObjFromTagList(Actor* actor, const String& tag)
{
    auto entry = m_tags.find(tag);
    if (entry == m_tags.end())
        return;
    entry->second.erase(actor);
    if (entry->second.empty())
        m_tags.erase(entry);
}

ActorSet TagCollection::GetObjectsTagged(const String& findTags) const
{
    std::vector<const ActorSet*> sets;
    for (const String& tag : SplitString(findTags, ", ", true))
    {
        auto entry = m_tags.find(tag);
        if (entry == m_tags.end())
            return ActorSet();
        sets.push_back(&entry->second);
    }
    if (sets.empty())
        return ActorSet();

    // The intersection does not depend on the order: walk the smallest set and look the
    // candidates up in the others, instead of copying the first set whole.
    std::sort(sets.begin(), sets.end(),
              [](const ActorSet* a, const ActorSet* b) { return a->size() < b->size(); });
    if (sets.size() == 1)
        return *sets.front();
    ActorSet result;
    for (Actor* actor : *sets.front())
    {
        const bool inAll =
            std::all_of(sets.begin() + 1, sets.end(),
                        [actor](const ActorSet* set) { return set->count(actor) != 0; });
        if (inAll)
            result.insert(result.end(), actor);
    }
    return result;
}

StringSet TagCollection::GetTagList() const
{
    StringSet tags;
    for (const auto& entry : m_tags)
        tags.insert(tags.end(), entry.first);
    return tags;
}
