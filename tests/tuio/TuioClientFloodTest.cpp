#include "tests/support/TuioSupport.h"

#include <oscpack/ip/IpEndpointName.h>

#include <algorithm>

using namespace TuioTest;
using TUIO::MaxLiveContainers;

namespace
{

/// A client without a socket, fed datagrams as its receive loop hands them over.
struct FedClient
{
    FedClient() { client.addTuioListener(&listener); }
    void Feed(const Bytes& datagram)
    {
        client.ProcessPacket(datagram.data(), static_cast<int>(datagram.size()), IpEndpointName());
    }
    size_t Count(const std::string& call) { return TuioTest::Count(listener.Events(), call); }

    TUIO::TuioClient client{-1};
    RecordingListener listener;
};

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
    testing::internal::CaptureStderr(); // "could not bind": no socket wanted
    FedClient c;
    testing::internal::GetCapturedStderr();

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
    const std::list<TUIO::TuioCursor*> live = c.client.getTuioCursors();
    ASSERT_EQ(live.size(), MaxLiveContainers);
    EXPECT_TRUE(std::all_of(live.begin(), live.end(),
                            [](const TUIO::TuioCursor* cursor)
                            { return cursor->getCursorID() < int(MaxLiveContainers); }));
    c.Feed(CursorBundle({}, {}, 51));
    EXPECT_EQ(c.Count("-cur"), MaxLiveContainers);
    EXPECT_TRUE(c.client.getTuioCursors().empty());

    // Sessions "set" but never named alive fill the list; the tracker's next "alive" takes out
    // every one it does not name, so that its touches come in again.
    c.Feed(SetCursors(20000, 1000));
    EXPECT_EQ(c.client.getTuioCursors().size(), MaxLiveContainers);
    EXPECT_EQ(c.client.getTuioCursor(20000 + MaxLiveContainers), nullptr);
    const size_t before = c.listener.Events().size();
    c.Feed(CursorBundle({20001, 5}, {{20001, 0.5f, 0.5f}, {5, 0.5f, 0.5f}}, 52));
    const std::vector<Event> events = c.listener.Events();
    EXPECT_EQ(Count({events.begin() + static_cast<ptrdiff_t>(before), events.end()}, "-cur"),
              MaxLiveContainers - 1);
    EXPECT_EQ(events.back().text, "R");
    EXPECT_EQ(events[events.size() - 2].text, "+cur 5/0");
    EXPECT_NE(c.client.getTuioCursor(20001), nullptr) << "named alive: it stays";
    EXPECT_EQ(c.client.getTuioCursors().size(), 2u);

    // A frame keeps one change per session however many "set"s come before its "fseq": the
    // newest, and another session's change still finds room after a flood of them.
    const auto fseq = [&c](int frame)
    { c.Feed(Bundle({Message("/tuio/2Dcur", "si", Args({"fseq"}, {frame}))})); };
    const auto xOf = [&c](int session)
    {
        const TUIO::TuioCursor* cursor = c.client.getTuioCursor(session);
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
    std::vector<Bytes> objects;
    for (int s = 1; s <= 1000; ++s)
        objects.push_back(Message("/tuio/2Dobj", "siiffffffff", Args({"set"}, {s, 1})));
    for (Bytes& object : objects)
        object.resize(object.size() + 8 * 4); // eight floats 0
    c.Feed(Bundle(objects));
    EXPECT_EQ(c.Count("+obj"), MaxLiveContainers);
    EXPECT_EQ(c.client.getTuioObjects().size(), MaxLiveContainers);
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
    ASSERT_NE(c.client.getTuioObject(1), nullptr);
    EXPECT_FLOAT_EQ(c.client.getTuioObject(1)->getX(), 0.001f * sets);
}
