#include "engine/messaging/TagCollection.h"
#include "engine/actors/Actor.h"

#include <gtest/gtest.h>

// A private collection, filled directly, so the actors' own tag bookkeeping stays out of it.
class TagCollectionTest : public ::testing::Test
{
protected:
    TagCollection tags;
    Actor sheep, freeSheep, dog;
};

TEST_F(TagCollectionTest, QueriesOfOneOrSeveralTags)
{
    tags.AddObjToTagList(&sheep, "sheep");
    tags.AddObjToTagList(&freeSheep, "sheep");
    tags.AddObjToTagList(&freeSheep, "free");
    tags.AddObjToTagList(&dog, "free");
    tags.AddObjToTagList(&dog, "dog");

    EXPECT_EQ(tags.GetObjectsTagged("sheep"), (ActorSet{&sheep, &freeSheep}));
    EXPECT_EQ(tags.GetObjectsTagged("free"), (ActorSet{&freeSheep, &dog}));
    EXPECT_EQ(tags.GetObjectsTagged("sheep, free"), ActorSet{&freeSheep});
    EXPECT_EQ(tags.GetObjectsTagged("free,sheep"), ActorSet{&freeSheep});
    EXPECT_EQ(tags.GetObjectsTagged(" free ,, sheep "), ActorSet{&freeSheep});
    EXPECT_TRUE(tags.GetObjectsTagged("sheep, free, dog").empty());
    EXPECT_TRUE(tags.GetObjectsTagged("Sheep").empty()) << "matching is case-sensitive";
    EXPECT_TRUE(tags.GetObjectsTagged("sheep, wolf").empty()) << "an unknown tag empties it";
    EXPECT_TRUE(tags.GetObjectsTagged("wolf, sheep").empty());
    EXPECT_TRUE(tags.GetObjectsTagged("").empty());
    EXPECT_TRUE(tags.GetObjectsTagged(" , ,").empty());
}

TEST_F(TagCollectionTest, TagsLiveExactlyWhileSomeoneCarriesThem)
{
    tags.AddObjToTagList(&sheep, "woolly");
    tags.AddObjToTagList(&sheep, "woolly");
    tags.AddObjToTagList(&dog, "barks");
    EXPECT_EQ(tags.GetTagList(), (StringSet{"barks", "woolly"}));

    tags.RemoveObjFromTagList(&dog, "woolly");
    EXPECT_EQ(tags.GetObjectsTagged("woolly"), ActorSet{&sheep})
        << "removing a non-carrier leaves the carriers";
    tags.RemoveObjFromTagList(&dog, "nosuchtag");
    EXPECT_EQ(tags.GetTagList(), (StringSet{"barks", "woolly"}));

    tags.RemoveObjFromTagList(&sheep, "woolly");
    EXPECT_EQ(tags.GetTagList(), StringSet{"barks"}) << "added twice, removed once: gone";
    EXPECT_TRUE(tags.GetObjectsTagged("woolly").empty());
}

TEST(TagCollectionSingletonTest, ActorTagsReachTheProcessWideIndex)
{
    Actor actor;
    actor.Tag("Sheep, Free");
    TagCollection* tags = TagCollection::GetInstance();
    EXPECT_EQ(tags->GetObjectsTagged("sheep, free"), ActorSet{&actor});
    EXPECT_EQ(tags->GetObjectsTagged("free,sheep"), ActorSet{&actor});
    EXPECT_TRUE(tags->GetObjectsTagged("Sheep").empty());
    actor.Untag("sheep");
    actor.Untag("free");
    EXPECT_EQ(tags->GetTagList().count("sheep"), 0u);
}
