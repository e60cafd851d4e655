#include "tests/tuio/TuioTestSupport.h"

#include <atomic>
#include <gtest/gtest.h>
#include <set>
#include <thread>

using namespace TuioTest;

namespace
{
/// Sends frames of five moving touches, whose session IDs change every 25 frames, while keeping
/// at most a few unprocessed, so none is lost to a full socket buffer however slow the receiver.
void SendPaced(ConnectedClient& c, int from, int to)
{
    for (int frame = from; frame < to; ++frame)
    {
        ASSERT_TRUE(c.listener.WaitForRefreshes(static_cast<size_t>(std::max(frame - 8, 0))));
        std::vector<int> alive;
        std::vector<CursorSet> sets;
        for (int i = 0; i < 5; ++i)
        {
            alive.push_back((frame / 25) * 5 + i + 1);
            sets.push_back(
                {alive.back(), 0.01f * static_cast<float>(frame % 25 + 10 * i), 0.5f, 0.1f});
        }
        SendTo(c.port, CursorBundle(alive, sets, frame + 1));
    }
    ASSERT_TRUE(c.listener.WaitForRefreshes(static_cast<size_t>(to)));
}
} // namespace

TEST(TuioClientThreadsTest, ReadersUnderTheLockSeeOnlyLiveCursorsRemovedListenersAreNotCalled)
{
    ConnectedClient c;
    std::atomic<bool> stop{false};
    std::atomic<int> reads{0}, faults{0};
    std::thread reader(
        [&]
        {
            while (!stop.load())
            {
                // Comes and goes while frames arrive and is destroyed right after its removal:
                // a call still reaching it shows under the sanitizers.
                RecordingListener passing;
                c.client->addTuioListener(&passing);
                c.client->lockCursorList();
                std::set<int> cursorIDs;
                for (TUIO::TuioCursor* cursor : c.client->getTuioCursors())
                {
                    bool removed = cursor->getTuioState() == TUIO::TUIO_REMOVED;
                    bool duplicate = !cursorIDs.insert(cursor->getCursorID()).second;
                    faults += (removed || duplicate || cursor->getPath().empty()) ? 1 : 0;
                }
                c.client->unlockCursorList();
                c.client->removeTuioListener(&passing);
                c.client->getTuioCursors(); // the copy alone needs no lock held
                ++reads;
            }
        });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (reads.load() == 0 && std::chrono::steady_clock::now() < deadline)
    {
        std::this_thread::yield(); // the reader runs before the frames come
    }

    SendPaced(c, 0, 100);
    RecordingListener late;
    c.client->addTuioListener(&late);
    c.client->removeTuioListener(&late);
    size_t seen = late.Events().size();
    SendPaced(c, 100, 200);
    stop = true;
    reader.join();
    EXPECT_EQ(late.Events().size(), seen);
    EXPECT_EQ(faults.load(), 0);
    EXPECT_GT(reads.load(), 0);
    std::vector<Event> events = c.listener.Events();
    EXPECT_EQ(Count(events, Event::AddCursor), 40u);
    EXPECT_EQ(Count(events, Event::RemoveCursor), 35u);
    EXPECT_EQ(Count(events, Event::UpdateCursor), 200u * 5 - 40);
}

TEST(TuioClientThreadsTest, DisconnectRightAfterConnectEndsTheThread)
{
    ConnectedClient c;
    c.client->disconnect();
    // Before connect this locks nothing, or the receive thread's add below would wait forever.
    c.client->lockCursorList();
    for (int round = 0; round < 200; ++round)
    {
        c.client->connect(false);
        ASSERT_TRUE(c.client->isConnected());
        c.client->disconnect();
        ASSERT_FALSE(c.client->isConnected());
    }

    // Receiving on the caller's thread: connect returns once another thread disconnects.
    std::thread blocking([&] { c.client->connect(true); });
    EXPECT_EQ(c.TraceOf({CursorBundle({1}, {{1, 0.5f, 0.5f}}, 1)}), "+cur 1/0 R");
    EXPECT_TRUE(c.client->isConnected());
    c.client->disconnect();
    blocking.join();
    EXPECT_FALSE(c.client->isConnected());
}
