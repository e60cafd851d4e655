#include "engine/messaging/TagCollection.h"

#include "engine/util/StringUtil.h"

#include <algorithm>
#include <iterator>

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
    const StringList tags = SplitString(findTags, ", ", true);
    ActorSet result;
    for (StringList::size_type i = 0; i < tags.size(); ++i)
    {
        auto entry = m_tags.find(tags[i]);
        if (entry == m_tags.end())
            return ActorSet();
        if (i == 0)
        {
            result = entry->second;
            continue;
        }
        ActorSet both;
        std::set_intersection(result.begin(), result.end(), entry->second.begin(),
                              entry->second.end(), std::inserter(both, both.end()));
        result.swap(both);
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
