#include "tests/support/TuioSupport.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <future>
#include <set>
#include <thread>

#include <sys/syscall.h>

using namespace TuioTest;

namespace
{
/// True once thread `tid` of this process sleeps (waits for a lock or a condition) or has ended.
bool Waiting(long tid)
{
    std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
    std::string line;
    return !std::getline(stat, line) || line[line.rfind(')') + 2] == 'S';
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
                    faults += cursor->getTuioState() == TUIO::TUIO_REMOVED ||
                              !cursorIDs.insert(cursor->getCursorID()).second ||
                              cursor->getPath().empty();
                c.client->unlockCursorList();
                c.client->removeTuioListener(&passing);
                ++reads;
            }
        });
    // Frames of five moving touches with new session IDs every 25 frames, at most a few of them
    // unprocessed, so none is lost to a full socket buffer however slow the receiver.
    for (int frame = 0; frame < 200; ++frame)
    {
        EXPECT_TRUE(c.listener.WaitFor(static_cast<size_t>(std::max(frame - 8, 0))));
        std::vector<int> alive;
        std::vector<CursorSet> sets;
        for (int i = 0; i < 5; ++i)
        {
            alive.push_back((frame / 25) * 5 + i + 1);
            sets.push_back({alive.back(), 0.01f * float(frame % 25 + 10 * i), 0.5f, 0.1f});
        }
        SendTo(c.port, CursorBundle(alive, sets, frame + 1));
    }
    EXPECT_TRUE(c.listener.WaitFor(200));
    // On a loaded machine the frames can all arrive before the reader is first scheduled.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (reads.load() == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::yield();
    stop = true;
    reader.join();
    EXPECT_EQ(faults.load(), 0);
    EXPECT_GT(reads.load(), 0);
    const std::vector<Event> events = c.listener.Events();
    EXPECT_EQ(Count(events, "+cur"), 40u);
    EXPECT_EQ(Count(events, "-cur"), 35u);
    EXPECT_EQ(Count(events, "~cur"), 200u * 5 - 40);
}

TEST(TuioClientThreadsTest, ListenersComeAndGoWhileTheReceiveThreadWaitsInABroadcast)
{
    ConnectedClient c;
    // Broadcasts the way the game's listener does: under the hub's mutex, which a delivery pass
    // on the main thread holds while it runs handlers. Removes itself after one.
    std::mutex hub;
    RecordingListener broadcasting, after, passing;
    broadcasting.onRefresh = [&]
    {
        std::lock_guard<std::mutex> broadcast(hub);
        c.client->removeTuioListener(&broadcasting);
    };
    c.client->addTuioListener(&broadcasting);
    c.client->addTuioListener(&after);
    {
        // A main-thread handler adds and removes listeners while the receive thread waits to
        // broadcast; the one after the broadcasting listener is removed before its turn.
        std::unique_lock<std::mutex> deliveryPass(hub);
        SendTo(c.port, CursorBundle({1}, {{1, 0.5f, 0.5f}}, 1));
        ASSERT_TRUE(broadcasting.WaitFor(1));
        auto handler = std::async(std::launch::async,
                                  [&]
                                  {
                                      c.client->addTuioListener(&passing);
                                      c.client->removeTuioListener(&passing);
                                      c.client->removeTuioListener(&after);
                                  });
        EXPECT_EQ(handler.wait_for(std::chrono::seconds(10)), std::future_status::ready);
    }
    EXPECT_EQ(c.TraceOf({CursorBundle({1}, {{1, 0.6f, 0.5f}}, 2)}), "~cur 1/0 R");
    EXPECT_EQ(Trace(broadcasting.Events()), "+cur 1/0 R"); // removed itself in its call
    EXPECT_EQ(Trace(after.Events()), "+cur 1/0");
    EXPECT_TRUE(passing.Events().empty());
}

TEST(TuioClientThreadsTest, AnUnlockReleasesExactlyWhatItsLockTookAcrossDisconnectAndConnect)
{
    ConnectedClient c;
    c.client->lockCursorList(); // taken while connected ...
    c.client->disconnect();
    c.client->unlockCursorList(); // ... and released, though the client disconnected since
    // Taken while unconnected: nothing, so the receive thread's add, under the cursor lock, goes
    // on; and nothing to release (ThreadSanitizer reports the release of a free mutex).
    c.client->lockCursorList();
    c.client->connect(false);
    EXPECT_EQ(c.TraceOf({CursorBundle({1}, {{1, 0.5f, 0.5f}}, 1)}), "+cur 1/0 R");
    c.client->unlockCursorList();
}

TEST(TuioClientThreadsTest, DisconnectEndsTheThreadAndWaitsForTheCallInProgress)
{
    ConnectedClient c;
    std::atomic<long> disconnecting{0};
    std::atomic<bool> callReturned{false};
    // Set before the receive thread that calls it starts, in the rounds below.
    c.listener.onRefresh = [&]
    {
        // Returns only once the disconnecting thread waits (for this call to end, if it waits
        // at all) or has finished.
        while (disconnecting.load() == 0 || !Waiting(disconnecting.load()))
            std::this_thread::yield();
        callReturned = true;
    };
    for (int round = 0; round < 200; ++round) // a break right after connect must not be lost
    {
        c.client->disconnect();
        c.client->connect(false);
    }
    SendTo(c.port, CursorBundle({1}, {{1, 0.5f, 0.5f}}, 1));
    ASSERT_TRUE(c.listener.WaitFor(1, "+cur"));
    std::async(std::launch::async,
               [&]
               {
                   disconnecting = syscall(SYS_gettid);
                   c.client->disconnect();
                   EXPECT_TRUE(callReturned.load()) << "disconnect returned during a call";
               })
        .wait();
    EXPECT_FALSE(c.client->isConnected());
}
