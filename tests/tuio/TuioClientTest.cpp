#include "tests/support/TuioSupport.h"

using namespace TuioTest;

TEST(TuioClientTest, SetAddsAtOnceUnchangedSetOnlyRefreshesChangedOneUpdatesAtFseq)
{
    ConnectedClient c;
    EXPECT_EQ(c.TraceOf({CursorBundle({5}, {{5, 0.5f, 0.5f}}, 1)}), "+cur 5/0 R");
    EXPECT_EQ(c.TraceOf({CursorBundle({5}, {{5, 0.5f, 0.5f}}, 2)}), "R");
    EXPECT_EQ(c.TraceOf({CursorBundle({5}, {{5, 0.5f, 0.6f}}, 3)}), "~cur 5/0 R");
    EXPECT_EQ(c.client->getTuioCursor(6), nullptr);

    // Speeds of a first "set" are not applied, so the same "set" again is a change.
    CursorSet moving{8, 0.5f, 0.5f, 0.2f, 0.0f, 1.0f};
    EXPECT_EQ(c.TraceOf({CursorBundle({5, 8}, {moving}, 4), CursorBundle({5, 8}, {moving}, 5)}, 2),
              "+cur 8/1 R ~cur 8/1 R");
    const std::vector<Event> events = c.listener.Events();
    EXPECT_FLOAT_EQ(events[5].xSpeed, 0.0f);
    EXPECT_FLOAT_EQ(events[7].xSpeed, 0.2f);
    EXPECT_EQ(events[7].state, TUIO::TUIO_ACCELERATING);
}

TEST(TuioClientTest, LateFramesAreDroppedFarBehindOnesRestartTheCount)
{
    ConnectedClient c;
    // 9 is late, 10 again accepted, 50 more than 100 behind, 49 late against it, 0 never late.
    const int frames[] = {10, 9, 10, 200, 50, 49, 0};
    std::vector<Bytes> bundles;
    for (int i = 0; i < 7; ++i)
        bundles.push_back(CursorBundle({1}, {{1, float(i + 1) / 8, 0.1f}}, frames[i]));
    EXPECT_EQ(c.TraceOf(bundles, 5), "+cur 1/0 R ~cur 1/0 R ~cur 1/0 R ~cur 1/0 R ~cur 1/0 R");
    std::vector<float> applied; // which bundles' positions, counted from 1
    for (const TUIO::TuioPoint& point : c.client->getTuioCursor(1)->getPath())
        applied.push_back(point.getX() * 8);
    EXPECT_EQ(applied, (std::vector<float>{1, 3, 4, 5, 7}));
}

TEST(TuioClientTest, BothProfilesShareTheFrameCounter)
{
    ConnectedClient c;
    // Object 4 with symbol ID 17 at the angle; without an angle, no object.
    auto objects = [](int fseq, float angle = -1.0f)
    {
        const std::string obj = "/tuio/2Dobj";
        const Bytes fseqMessage = Message(obj, "si", Args({"fseq"}, {fseq}));
        if (angle < 0.0f)
            return Bundle({Message(obj, "s", Args({"alive"})), fseqMessage});
        return Bundle(
            {Message(obj, "si", Args({"alive"}, {4})),
             Message(obj, "siiffffffff",
                     Args({"set"}, {4, 17, FloatHalf, FloatHalf, Word(angle), 0, 0, 0, 0, 0})),
             fseqMessage});
    };
    EXPECT_EQ(c.TraceOf({objects(7, 1.0f),
                         CursorBundle({2}, {{2, 0.5f, 0.5f}}, 7), // equal number: accepted
                         objects(6, 1.5f),                        // late for both profiles
                         objects(8, 1.0f), objects(9, 1.5f), objects(10)},
                        5),
              "+obj 4/17 R +cur 2/0 R R ~obj 4/17 R -obj 4/17 R");
    const std::vector<Event> events = c.listener.Events();
    EXPECT_FLOAT_EQ(events[0].angle, 1.0f);
    EXPECT_FLOAT_EQ(events[5].angle, 1.5f);
    EXPECT_EQ(events[7].state, TUIO::TUIO_REMOVED);
    EXPECT_EQ(c.client->getTuioObject(4), nullptr);
}

TEST(TuioClientTest, CursorIDsGoToTheNearestFreeOneAndFreeIDsAboveTheHighestAreDropped)
{
    ConnectedClient c;
    int frame = 0;
    auto step = [&](const std::vector<int>& alive, const std::vector<CursorSet>& sets)
    { return c.TraceOf({CursorBundle(alive, sets, ++frame)}); };
    EXPECT_EQ(step({1, 2, 3}, {{1, 0.75f, 0.75f}, {2, 0.25f, 0.25f}, {3, 0.9f, 0.9f}}),
              "+cur 1/0 +cur 2/1 +cur 3/2 R");
    EXPECT_EQ(step({1, 3}, {}), "-cur 2/1 R"); // free: 1 at 0.25
    EXPECT_EQ(step({3}, {}), "-cur 1/0 R");    // free: 1 at 0.25, 0 at 0.75
    // Equally near: the earlier freed; then the only free ID, however far.
    EXPECT_EQ(step({3, 4}, {{4, 0.5f, 0.5f}}), "+cur 4/1 R");
    EXPECT_EQ(step({3, 4, 5}, {{5, 0.1f, 0.1f}}), "+cur 5/0 R");
    EXPECT_EQ(step({3}, {}), "-cur 4/1 -cur 5/0 R"); // free: 1 at 0.5, 0 at 0.1
    EXPECT_EQ(step({3, 6}, {{6, 0.05f, 0.05f}}), "+cur 6/0 R");
    // The highest leaves: the free ID 1 above the new highest, 0, goes too.
    EXPECT_EQ(step({6}, {}), "-cur 3/2 R");
    EXPECT_EQ(step({6, 7}, {{7, 0.5f, 0.5f}}), "+cur 7/1 R");
    EXPECT_EQ(step({7}, {}), "-cur 6/0 R");
    // A stale free ID 1 at 0.5 would be nearer here and be handed out twice.
    EXPECT_EQ(step({7, 8}, {{8, 0.5f, 0.5f}}), "+cur 8/0 R");
    EXPECT_EQ(step({7}, {}), "-cur 8/0 R");
    EXPECT_EQ(step({}, {}), "-cur 7/1 R"); // the last leaves: numbering starts over
    EXPECT_EQ(step({9, 10}, {{9, 0.9f, 0.9f}, {10, 0.1f, 0.1f}}), "+cur 9/0 +cur 10/1 R");
}

TEST(TuioClientTest, OtherAddressesAndCommandsAreIgnored)
{
    ConnectedClient c;
    const std::string blb = "/tuio/2Dblb";
    const Bytes blob = Bundle({Message(blb, "si", Args({"alive"}, {3})),
                               Message(blb, "siff", Args({"set"}, {3, FloatHalf, FloatHalf})),
                               Message(blb, "si", Args({"fseq"}, {3})),
                               Message("/tuio/2Dcur", "ss", Args({"source", "tracker@host"}))});
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.TraceOf({CursorBundle({9}, {{9, 0.5f, 0.5f}}, 1), CursorBundle({9}, {}, 2), blob,
                         CursorBundle({9}, {}, 4)},
                        3),
              "+cur 9/0 R R R");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(c.client->getTuioCursor(9), nullptr);
}

// A cursor or object lives only while the "alive" of its frame names it: a "set" for a session
// that the last "alive" does not name makes nothing (it would never be removed), and a frame
// that its "fseq" finds late takes back what it made (a stale frame would bring back a touch
// that is over for good).
TEST(TuioClientTest, OnlyWhatTheFramesAliveNamesLivesAndALateFrameTakesBackWhatItMade)
{
    const std::string cur = "/tuio/2Dcur", obj = "/tuio/2Dobj";
    const auto alive = [](const std::string& profile, const std::vector<int32_t>& ids)
    { return Message(profile, "s" + std::string(ids.size(), 'i'), Args({"alive"}, ids)); };
    const auto set = [&](int session) {
        return Message(cur, "sifffff", Args({"set"}, {session, FloatHalf, FloatHalf, 0, 0, 0}));
    };
    const auto fseq = [](const std::string& profile, int frame)
    { return Message(profile, "si", Args({"fseq"}, {frame})); };
    Bytes setObject = Message(obj, "siiffffffff", Args({"set"}, {4, 17, FloatHalf, FloatHalf}));
    setObject.resize(setObject.size() + 6 * 4);
    const Bytes touch = CursorBundle({1}, {{1, 0.5f, 0.5f}}, 9);

    const struct
    {
        const char* what;
        std::vector<Bytes> datagrams;
        std::string trace;
        std::vector<int> live; // cursors, then objects with 1000 added
    } cases[] = {
        {"a set before any alive", {Bundle({set(9), fseq(cur, 1)})}, "R", {}},
        {"sets the alive of their frames never name",
         {CursorBundle({}, {{1000, 0.5f, 0.5f}}, 1), CursorBundle({2}, {{1001, 0.5f, 0.5f}}, 2)},
         "R R",
         {}},
        {"a set before its frame's alive comes in a frame later",
         {Bundle({set(1), alive(cur, {1}), fseq(cur, 1)}),
          Bundle({set(1), alive(cur, {1}), fseq(cur, 2)})},
         "R +cur 1/0 R",
         {1}},
        {"a touch ended in a late frame",
         {touch, CursorBundle({}, {}, 8)},
         "+cur 1/0 R -cur 1/0",
         {}},
        {"a touch brought back by a late frame, and its set with no alive after",
         {touch, CursorBundle({}, {}, 10), touch, Bundle({set(1), fseq(cur, 11)})},
         "+cur 1/0 R -cur 1/0 R +cur 1/0 -cur 1/0 R",
         {}},
        {"a late frame keeps the touches it did not make",
         {CursorBundle({1}, {{1, 0.5f, 0.5f}}, 10), CursorBundle({1, 2}, {{2, 0.1f, 0.1f}}, 9)},
         "+cur 1/0 R +cur 2/1 -cur 2/1",
         {1}},
        {"objects alike",
         {Bundle({setObject, fseq(obj, 1)}), Bundle({alive(obj, {4}), setObject, fseq(obj, 3)}),
          Bundle({alive(obj, {}), fseq(obj, 4)}),
          Bundle({alive(obj, {4}), setObject, fseq(obj, 2)}),
          Bundle({alive(obj, {4}), setObject, fseq(obj, 5)})},
         "R +obj 4/17 R -obj 4/17 R +obj 4/17 -obj 4/17 +obj 4/17 R",
         {1004}},
    };
    for (const auto& each : cases)
    {
        FedClient c;
        EXPECT_EQ(c.TraceOf(each.datagrams), each.trace) << each.what;
        std::vector<int> live;
        for (const TUIO::TuioCursor* cursor : c.client->getTuioCursors())
            live.push_back(static_cast<int>(cursor->getSessionID()));
        for (const TUIO::TuioObject* object : c.client->getTuioObjects())
            live.push_back(1000 + static_cast<int>(object->getSessionID()));
        EXPECT_EQ(live, each.live) << each.what;
    }
}
