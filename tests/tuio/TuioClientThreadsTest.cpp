#include "tests/tuio/TuioTestSupport.h"

#include "tuio/TuioCursor.h"

#include <gtest/gtest.h>
#include <set>

using namespace TuioTest;

namespace
{
/// Reads the lists from the listener calls: under the cursor lock (add, remove) and without it.
class QueryingListener : public RecordingListener
{
public:
    explicit QueryingListener(TUIO::TuioClient& client) : m_client(client) {}
    void addTuioCursor(TUIO::TuioCursor* tcur) override
    {
        EXPECT_EQ(m_client.getTuioCursor(tcur->getSessionID()), tcur);
        RecordingListener::addTuioCursor(tcur);
    }
    void updateTuioCursor(TUIO::TuioCursor* tcur) override
    {
        m_client.lockCursorList();
        EXPECT_EQ(m_client.getTuioCursor(tcur->getSessionID()), tcur);
        m_client.unlockCursorList();
        RecordingListener::updateTuioCursor(tcur);
    }

private:
    TUIO::TuioClient& m_client;
};

/// Frame of a run of moving touches whose session IDs change every 25 frames.
std::vector<char> MovingFrame(int frame, int touches)
{
    std::vector<int> alive;
    std::vector<CursorSet> sets;
    for (int i = 0; i < touches; ++i)
    {
        int session = (frame / 25) * touches + i + 1;
        float x = 0.01f * static_cast<float>(frame % 25) + 0.1f * static_cast<float>(i);
        alive.push_back(session);
        sets.push_back({session, x, 0.5f, 0.1f, 0.0f, 0.0f});
    }
    return CursorBundle(alive, sets, frame + 1);
}

/// Sends frames while keeping at most a few unprocessed, so no datagram is lost to a full socket
/// buffer however slow the receiver runs.
void SendPaced(ConnectedClient& c, RecordingListener& paceListener, int frames, int touches)
{
    for (int frame = 0; frame < frames; ++frame)
    {
        if (frame >= 8)
        {
            ASSERT_TRUE(paceListener.WaitForRefreshes(static_cast<size_t>(frame - 8)));
        }
        c.sender->Send(MovingFrame(frame, touches));
    }
    ASSERT_TRUE(paceListener.WaitForRefreshes(static_cast<size_t>(frames)));
}
} // namespace

TEST(TuioClientThreadsTest, ReadersHoldingTheLockSeeOnlyLiveCursors)
{
    ConnectedClient c;
    QueryingListener querying(*c.client);
    c.client->addTuioListener(&querying);

    std::atomic<bool> stop{false};
    std::atomic<int> reads{0};
    std::atomic<int> faults{0};
    std::thread reader(
        [&]
        {
            while (!stop.load())
            {
                c.client->lockCursorList();
                std::set<int> cursorIDs;
                for (TUIO::TuioCursor* cursor : c.client->getTuioCursors())
                {
                    bool removed = cursor->getTuioState() == TUIO::TUIO_REMOVED;
                    bool duplicate = !cursorIDs.insert(cursor->getCursorID()).second;
                    faults += (removed || duplicate || cursor->getPath().empty()) ? 1 : 0;
                }
                c.client->unlockCursorList();
                ++reads;
            }
        });

    SendPaced(c, querying, 200, 5);
    stop = true;
    reader.join();
    c.client->removeTuioListener(&querying);
    EXPECT_EQ(faults.load(), 0);
    EXPECT_GT(reads.load(), 0);
    std::vector<Event> events = querying.Events();
    EXPECT_EQ(Count(events, Event::AddCursor), 40u);
    EXPECT_EQ(Count(events, Event::RemoveCursor), 35u);
    EXPECT_EQ(Count(events, Event::UpdateCursor), 200u * 5 - 40);
}

TEST(TuioClientThreadsTest, RemovedListenerIsNeverCalledAgain)
{
    ConnectedClient c;
    std::atomic<bool> stop{false};
    std::thread sender(
        [&]
        {
            for (int frame = 0; frame < 150 && !stop.load(); ++frame)
            {
                if (frame >= 8 && !c.listener.WaitForRefreshes(static_cast<size_t>(frame - 8)))
                {
                    break;
                }
                c.sender->Send(MovingFrame(frame, 3));
            }
        });
    // Listeners that come and go while frames arrive: once removed, a listener is destroyed
    // here, and a call still reaching it shows under the sanitizers.
    for (int round = 0; round < 50; ++round)
    {
        RecordingListener passing;
        c.client->addTuioListener(&passing);
        c.client->removeTuioListener(&passing);
    }
    RecordingListener late;
    c.client->addTuioListener(&late);
    c.client->removeTuioListener(&late);
    size_t seen = late.Events().size();
    EXPECT_TRUE(c.listener.WaitForRefreshes(150));
    stop = true;
    sender.join();
    EXPECT_EQ(late.Events().size(), seen);
}

TEST(TuioClientThreadsTest, DisconnectRightAfterConnectEndsTheThread)
{
    Watchdog watchdog("connect/disconnect", std::chrono::seconds(60));
    int port = -1;
    std::unique_ptr<TUIO::TuioClient> bound = BoundClient(port);
    TUIO::TuioClient& client = *bound;
    for (int round = 0; round < 200; ++round)
    {
        client.connect(false);
        ASSERT_TRUE(client.isConnected());
        client.disconnect();
        ASSERT_FALSE(client.isConnected());
    }

    // Receiving on the caller's thread: connect returns once another thread disconnects.
    RecordingListener listener;
    client.addTuioListener(&listener);
    std::thread blocking([&] { client.connect(true); });
    UdpSender sender(port);
    sender.Send(CursorBundle({1}, {{1, 0.5f, 0.5f}}, 1));
    EXPECT_TRUE(listener.WaitForRefreshes(1));
    EXPECT_TRUE(client.isConnected());
    client.disconnect();
    blocking.join();
    EXPECT_FALSE(client.isConnected());
}

TEST(TuioClientThreadsTest, LockBeforeConnectLocksNothing)
{
    Watchdog watchdog("lock before connect", std::chrono::seconds(60));
    int port = -1;
    std::unique_ptr<TUIO::TuioClient> bound = BoundClient(port);
    TUIO::TuioClient& client = *bound;
    RecordingListener listener;
    client.addTuioListener(&listener);
    client.lockCursorList();
    client.connect(false);
    // The receive thread takes the cursor lock for the add: it would wait forever otherwise.
    UdpSender sender(port);
    sender.Send(CursorBundle({1}, {{1, 0.5f, 0.5f}}, 1));
    EXPECT_TRUE(listener.WaitForRefreshes(1));
    EXPECT_EQ(Count(listener.Events(), Event::AddCursor), 1u);
    client.disconnect();
}
