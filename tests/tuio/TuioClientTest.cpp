#include "tests/tuio/TuioTestSupport.h"

#include "tuio/TuioCursor.h"
#include "tuio/TuioObject.h"

#include <oscpack/osc/OscOutboundPacketStream.h>

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace TuioTest;

namespace
{
/// The events without refresh calls, once count refreshes have come in.
std::vector<Event> ChangesAfterRefreshes(ConnectedClient& c, size_t count)
{
    EXPECT_TRUE(c.listener.WaitForRefreshes(count)) << "timed out waiting for refresh " << count;
    return Changes(c.listener.Events());
}

std::vector<char> ObjectBundle(const std::vector<int>& alive, int sessionID, int symbolID, float x,
                               float y, float angle, int fseq)
{
    std::vector<char> buffer(1024);
    osc::OutboundPacketStream stream(buffer.data(), buffer.size());
    stream << osc::BeginBundleImmediate << osc::BeginMessage("/tuio/2Dobj") << "alive";
    for (int id : alive)
    {
        stream << osc::int32(id);
    }
    stream << osc::EndMessage;
    if (sessionID >= 0)
    {
        stream << osc::BeginMessage("/tuio/2Dobj") << "set" << osc::int32(sessionID)
               << osc::int32(symbolID) << x << y << angle << 0.0f << 0.0f << 0.0f << 0.0f << 0.0f
               << osc::EndMessage;
    }
    stream << osc::BeginMessage("/tuio/2Dobj") << "fseq" << osc::int32(fseq) << osc::EndMessage
           << osc::EndBundle;
    buffer.resize(stream.Size());
    return buffer;
}
} // namespace

TEST(TuioClientTest, FirstSetAddsAtOnceUnchangedSetOnlyRefreshesChangeUpdatesAtFseq)
{
    ConnectedClient c;
    c.sender->Send(CursorBundle({5}, {{5, 0.5f, 0.5f}}, 1));
    std::vector<Event> changes = ChangesAfterRefreshes(c, 1);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, Event::AddCursor);
    EXPECT_EQ(changes[0].sessionID, 5);
    EXPECT_EQ(changes[0].id, 0);
    EXPECT_EQ(c.listener.Events().back().kind, Event::Refresh);

    c.sender->Send(CursorBundle({5}, {{5, 0.5f, 0.5f}}, 2));
    EXPECT_EQ(ChangesAfterRefreshes(c, 2).size(), 1u);

    c.sender->Send(CursorBundle({5}, {{5, 0.6f, 0.5f}}, 3));
    changes = ChangesAfterRefreshes(c, 3);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[1].kind, Event::UpdateCursor);
    EXPECT_FLOAT_EQ(changes[1].x, 0.6f);
    EXPECT_EQ(c.listener.Events().back().kind, Event::Refresh);

    TUIO::TuioCursor* live = c.client->getTuioCursor(5);
    ASSERT_NE(live, nullptr);
    EXPECT_FLOAT_EQ(live->getX(), 0.6f);
    EXPECT_EQ(c.client->getTuioCursors().size(), 1u);
    EXPECT_EQ(c.client->getTuioCursor(6), nullptr);
}

TEST(TuioClientTest, SpeedsOfTheFirstSetAreNotApplied)
{
    ConnectedClient c;
    CursorSet moving{8, 0.5f, 0.5f, 0.2f, 0.0f, 1.0f};
    c.sender->Send(CursorBundle({8}, {moving}, 1));
    c.sender->Send(CursorBundle({8}, {moving}, 2));
    std::vector<Event> changes = ChangesAfterRefreshes(c, 2);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_FLOAT_EQ(changes[0].xSpeed, 0.0f);
    EXPECT_EQ(changes[1].kind, Event::UpdateCursor);
    EXPECT_FLOAT_EQ(changes[1].xSpeed, 0.2f);
    EXPECT_EQ(changes[1].state, TUIO::TUIO_ACCELERATING);
}

TEST(TuioClientTest, LateFramesAreDroppedFarBehindOnesRestartTheCount)
{
    ConnectedClient c;
    c.sender->Send(CursorBundle({1}, {{1, 0.1f, 0.1f}}, 10));
    c.sender->Send(CursorBundle({1}, {{1, 0.2f, 0.1f}}, 9));  // late: dropped
    c.sender->Send(CursorBundle({1}, {{1, 0.3f, 0.1f}}, 10)); // equal: accepted
    std::vector<Event> changes = ChangesAfterRefreshes(c, 2);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_FLOAT_EQ(changes[1].x, 0.3f);

    c.sender->Send(CursorBundle({1}, {{1, 0.4f, 0.1f}}, 200));
    c.sender->Send(CursorBundle({1}, {{1, 0.5f, 0.1f}}, 50)); // 150 behind: accepted
    c.sender->Send(CursorBundle({1}, {{1, 0.6f, 0.1f}}, 49)); // late against 50
    c.sender->Send(CursorBundle({1}, {{1, 0.7f, 0.1f}}, 0));  // no number: never late
    changes = ChangesAfterRefreshes(c, 5);
    ASSERT_EQ(changes.size(), 5u);
    EXPECT_FLOAT_EQ(changes[2].x, 0.4f);
    EXPECT_FLOAT_EQ(changes[3].x, 0.5f);
    EXPECT_FLOAT_EQ(changes[4].x, 0.7f);
    EXPECT_EQ(c.listener.Events().size(), 10u);
}

TEST(TuioClientTest, BothProfilesShareTheFrameCounter)
{
    ConnectedClient c;
    c.sender->Send(ObjectBundle({4}, 4, 17, 0.3f, 0.3f, 1.0f, 7));
    c.sender->Send(CursorBundle({2}, {{2, 0.5f, 0.5f}}, 7));       // equal number: accepted
    c.sender->Send(ObjectBundle({4}, 4, 17, 0.4f, 0.3f, 1.5f, 6)); // late for both profiles
    c.sender->Send(ObjectBundle({4}, -1, 0, 0, 0, 0, 8));
    std::vector<Event> changes = ChangesAfterRefreshes(c, 3);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].kind, Event::AddObject);
    EXPECT_EQ(changes[0].id, 17);
    EXPECT_FLOAT_EQ(changes[0].angle, 1.0f);
    EXPECT_EQ(changes[1].kind, Event::AddCursor);

    c.sender->Send(ObjectBundle({4}, 4, 17, 0.4f, 0.3f, 1.5f, 9));
    c.sender->Send(ObjectBundle({}, -1, 0, 0, 0, 0, 10));
    changes = ChangesAfterRefreshes(c, 5);
    ASSERT_EQ(changes.size(), 4u);
    EXPECT_EQ(changes[2].kind, Event::UpdateObject);
    EXPECT_FLOAT_EQ(changes[2].angle, 1.5f);
    EXPECT_EQ(changes[3].kind, Event::RemoveObject);
    EXPECT_EQ(changes[3].state, TUIO::TUIO_REMOVED);
    EXPECT_TRUE(c.client->getTuioObjects().empty());
    EXPECT_EQ(c.client->getTuioObject(4), nullptr);
}

TEST(TuioClientTest, CursorIDsAreReusedByTheNearestFreeCursor)
{
    ConnectedClient c;
    c.sender->Send(CursorBundle({1, 2, 3}, {{1, 0.1f, 0.1f}, {2, 0.5f, 0.5f}, {3, 0.9f, 0.9f}}, 1));
    c.sender->Send(CursorBundle({1, 3}, {}, 2));
    c.sender->Send(CursorBundle({1, 3, 4}, {{4, 0.95f, 0.95f}}, 3)); // far away, still ID 1
    std::vector<Event> changes = ChangesAfterRefreshes(c, 3);
    ASSERT_EQ(changes.size(), 5u);
    EXPECT_EQ(changes[0].id, 0);
    EXPECT_EQ(changes[1].id, 1);
    EXPECT_EQ(changes[2].id, 2);
    EXPECT_EQ(changes[3].kind, Event::RemoveCursor);
    EXPECT_EQ(changes[3].sessionID, 2);
    EXPECT_EQ(changes[4].sessionID, 4);
    EXPECT_EQ(changes[4].id, 1);

    // Free IDs 0 (at 0.1) and 1 (at 0.95): the new cursor takes the nearer one.
    c.sender->Send(CursorBundle({3}, {}, 4));
    c.sender->Send(CursorBundle({3, 5}, {{5, 0.8f, 0.8f}}, 5));
    changes = ChangesAfterRefreshes(c, 5);
    ASSERT_EQ(changes.size(), 8u);
    EXPECT_EQ(changes[7].sessionID, 5);
    EXPECT_EQ(changes[7].id, 1);
}

TEST(TuioClientTest, EquallyNearFreeCursorsGoByRemovalOrder)
{
    ConnectedClient c;
    c.sender->Send(
        CursorBundle({1, 2, 3}, {{1, 0.25f, 0.25f}, {2, 0.75f, 0.75f}, {3, 0.9f, 0.9f}}, 1));
    c.sender->Send(CursorBundle({1, 3}, {}, 2)); // frees ID 1 at 0.75
    c.sender->Send(CursorBundle({3}, {}, 3));    // then ID 0 at 0.25
    c.sender->Send(CursorBundle({3, 4}, {{4, 0.5f, 0.5f}}, 4));
    std::vector<Event> changes = ChangesAfterRefreshes(c, 4);
    ASSERT_EQ(changes.size(), 6u);
    EXPECT_EQ(changes[5].sessionID, 4);
    EXPECT_EQ(changes[5].id, 1);
}

TEST(TuioClientTest, FreeIDsAboveTheHighestLiveOneAreDropped)
{
    ConnectedClient c;
    c.sender->Send(CursorBundle({1, 2, 3}, {{1, 0.1f, 0.1f}, {2, 0.5f, 0.5f}, {3, 0.9f, 0.9f}}, 1));
    c.sender->Send(CursorBundle({1, 3}, {}, 2));
    c.sender->Send(CursorBundle({1}, {}, 3));
    // Only ID 0 lives and no ID is free: the next cursor gets 1, even right where 2 left.
    c.sender->Send(CursorBundle({1, 4}, {{4, 0.9f, 0.9f}}, 4));
    std::vector<Event> changes = ChangesAfterRefreshes(c, 4);
    ASSERT_EQ(changes.size(), 6u);
    EXPECT_EQ(changes[5].sessionID, 4);
    EXPECT_EQ(changes[5].id, 1);

    // ID 0 is free now; a stale free ID 1 where session 2 left would be nearer and duplicate.
    c.sender->Send(CursorBundle({4, 5}, {{5, 0.5f, 0.5f}}, 5));
    changes = ChangesAfterRefreshes(c, 5);
    ASSERT_EQ(changes.size(), 8u);
    EXPECT_EQ(changes[7].sessionID, 5);
    EXPECT_EQ(changes[7].id, 0);

    // When the last cursor leaves, numbering starts over.
    c.sender->Send(CursorBundle({}, {}, 6));
    c.sender->Send(CursorBundle({7}, {{7, 0.9f, 0.9f}}, 7));
    changes = ChangesAfterRefreshes(c, 7);
    ASSERT_EQ(changes.size(), 11u);
    EXPECT_EQ(changes[10].kind, Event::AddCursor);
    EXPECT_EQ(changes[10].id, 0);
}

TEST(TuioClientTest, SetWithoutAliveIsNeverRemovedOtherAddressesIgnored)
{
    ConnectedClient c;
    c.sender->Send(CursorBundle({}, {{9, 0.5f, 0.5f}}, 1));
    c.sender->Send(CursorBundle({}, {}, 2));

    std::vector<char> buffer(512);
    osc::OutboundPacketStream blob(buffer.data(), buffer.size());
    blob << osc::BeginBundleImmediate << osc::BeginMessage("/tuio/2Dblb") << "alive"
         << osc::int32(3) << osc::EndMessage << osc::BeginMessage("/tuio/2Dblb") << "set"
         << osc::int32(3) << 0.5f << 0.5f << osc::EndMessage << osc::BeginMessage("/tuio/2Dblb")
         << "fseq" << osc::int32(3) << osc::EndMessage << osc::BeginMessage("/tuio/2Dcur")
         << "source"
         << "tracker@host" << osc::EndMessage << osc::EndBundle;
    testing::internal::CaptureStderr();
    c.sender->Send(blob.Data(), blob.Size());
    c.sender->Send(CursorBundle({}, {}, 4));
    std::vector<Event> changes = ChangesAfterRefreshes(c, 3);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].kind, Event::AddCursor);
    EXPECT_EQ(c.listener.Events().size(), 4u);
    EXPECT_NE(c.client->getTuioCursor(9), nullptr);
}

TEST(TuioClientTest, ListenersAreCalledPerEntryUntilRemoved)
{
    ConnectedClient c;
    RecordingListener twice;
    c.client->addTuioListener(&twice);
    c.client->addTuioListener(&twice);
    c.sender->Send(CursorBundle({1}, {{1, 0.5f, 0.5f}}, 1));
    ASSERT_TRUE(twice.WaitForRefreshes(2));
    EXPECT_EQ(Count(twice.Events(), Event::AddCursor), 2u);

    c.client->removeTuioListener(&twice);
    c.sender->Send(CursorBundle({1}, {{1, 0.6f, 0.5f}}, 2));
    ASSERT_TRUE(c.listener.WaitForRefreshes(2));
    EXPECT_EQ(twice.Events().size(), 4u);
}

TEST(TuioClientTest, TakenPortIsReportedAndLeavesTheClientUnconnected)
{
    int blocker = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    ASSERT_EQ(bind(blocker, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    socklen_t length = sizeof(address);
    getsockname(blocker, reinterpret_cast<sockaddr*>(&address), &length);
    int port = ntohs(address.sin_port);

    testing::internal::CaptureStderr();
    TUIO::TuioClient client(port);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "could not bind to UDP port " + std::to_string(port) + "\n");
    client.connect(false);
    EXPECT_FALSE(client.isConnected());
    client.lockCursorList(); // nothing to lock: returns at once
    client.unlockCursorList();
    client.disconnect();
    close(blocker);
}

TEST(TuioClientTest, BoundClientAnnouncesItsPort)
{
    int port = FindFreeUdpPort();
    testing::internal::CaptureStdout();
    TUIO::TuioClient client(port);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "listening to TUIO messages on UDP port " + std::to_string(port) + "\n");
    EXPECT_FALSE(client.isConnected());
}
