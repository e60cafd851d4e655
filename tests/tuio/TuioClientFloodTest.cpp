#include "tests/support/TuioSupport.h"

#include <algorithm>
#include <numeric>

using namespace TuioTest;
using TUIO::MaxLiveContainers;

namespace
{

Bytes SetCursors(int first, int count, float x = 0.5f)
{
    std::vector<Bytes> sets;
    for (int s = first; s < first + count; ++s)
        sets.push_back(
            Message("/tuio/2Dcur", "sifffff", Args({"set"}, {s, Word(x), FloatHalf, 0, 0, 0})));
    return Bundle(sets);
}

} // namespace

TEST(TuioClientFloodTest, AFloodOfNewSessionsKeepsTheLiveListsBoundedAndTouchesWorkAfterIt)
{
    FedClient c;

    // 50 bundles of 200 new cursors, each "alive" naming all sent so far, then none alive.
    std::vector<int> alive;
    for (int bundle = 1; bundle <= 50; ++bundle)
    {
        std::vector<CursorSet> sets;
        for (int i = 0; i < 200; ++i)
        {
            alive.push_back(1000 + static_cast<int>(alive.size()));
            sets.push_back({alive.back(), 0.001f * i, 0.5f});
        }
        c.Feed(CursorBundle(alive, sets, bundle));
    }
    EXPECT_EQ(c.Count("+cur"), MaxLiveContainers);
    const std::list<TUIO::TuioCursor*> live = c.client->getTuioCursors();
    ASSERT_EQ(live.size(), MaxLiveContainers);
    EXPECT_TRUE(std::all_of(live.begin(), live.end(),
                            [](const TUIO::TuioCursor* cursor)
                            { return cursor->getCursorID() < int(MaxLiveContainers); }));
    c.Feed(CursorBundle({}, {}, 51));
    EXPECT_EQ(c.Count("-cur"), MaxLiveContainers);
    EXPECT_TRUE(c.client->getTuioCursors().empty());

    // Sessions "set" but never named alive make nothing, so the tracker's touches come in.
    EXPECT_EQ(c.TraceOf({SetCursors(20000, 1000)}), "");
    EXPECT_EQ(c.TraceOf({CursorBundle({20001, 5}, {{20001, 0.5f, 0.5f}, {5, 0.5f, 0.5f}}, 52)}),
              "+cur 20001/0 +cur 5/1 R");

    // A frame keeps one change per session however many "set"s come before its "fseq": the
    // newest, and another session's change still finds room after a flood of them.
    const auto fseq = [&c](int frame)
    { c.Feed(Bundle({Message("/tuio/2Dcur", "si", Args({"fseq"}, {frame}))})); };
    const auto xOf = [&c](int session)
    {
        const TUIO::TuioCursor* cursor = c.client->getTuioCursor(session);
        return cursor != nullptr ? cursor->getX() : -1.0f;
    };
    const size_t updates = c.Count("~cur");
    const int sets = static_cast<int>(MaxLiveContainers) + 10;
    for (int i = 1; i <= sets; ++i)
        c.Feed(SetCursors(5, 1, 0.5f + 0.001f * i));
    c.Feed(SetCursors(20001, 1, 0.25f));
    fseq(53);
    EXPECT_EQ(c.Count("~cur") - updates, 2u);
    EXPECT_FLOAT_EQ(xOf(5), 0.5f + 0.001f * sets) << "the last set";
    EXPECT_FLOAT_EQ(xOf(20001), 0.25f);
    // A newest "set" that brings the live values back leaves the session as it was.
    c.Feed(SetCursors(5, 1, 0.75f));
    c.Feed(SetCursors(5, 1, 0.5f + 0.001f * sets));
    fseq(54);
    EXPECT_EQ(c.Count("~cur") - updates, 2u);
    EXPECT_FLOAT_EQ(xOf(5), 0.5f + 0.001f * sets);

    // The objects' list has the same bound.
    std::vector<int32_t> named(1000);
    std::iota(named.begin(), named.end(), 1);
    std::vector<Bytes> objects = {
        Message("/tuio/2Dobj", "s" + std::string(named.size(), 'i'), Args({"alive"}, named))};
    for (int s = 1; s <= 1000; ++s)
        objects.push_back(Message("/tuio/2Dobj", "siiffffffff", Args({"set"}, {s, 1})));
    for (Bytes& object : objects)
        object.resize(object.size() + 8 * 4); // eight floats 0
    c.Feed(Bundle(objects));
    EXPECT_EQ(c.Count("+obj"), MaxLiveContainers);
    EXPECT_EQ(c.client->getTuioObjects().size(), MaxLiveContainers);
    // ... and keeps the newest change of an object too.
    for (int i = 1; i <= sets; ++i)
    {
        Bytes set = Message("/tuio/2Dobj", "siiffffffff",
                            Args({"set"}, {1, 1, Word(0.001f * i), FloatHalf}));
        set.resize(set.size() + 6 * 4);
        c.Feed(Bundle({set}));
    }
    c.Feed(Bundle({Message("/tuio/2Dobj", "si", Args({"fseq"}, {55}))}));
    EXPECT_EQ(c.Count("~obj"), 1u);
    ASSERT_NE(c.client->getTuioObject(1), nullptr);
    EXPECT_FLOAT_EQ(c.client->getTuioObject(1)->getX(), 0.001f * sets);
}
