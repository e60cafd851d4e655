#include "tests/tuio/TuioTestSupport.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <gtest/gtest.h>
#include <mutex>
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

namespace
{
/// A one-shot flag to wait for, with a deadline.
class Signal
{
public:
    void Set()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_set = true;
        m_changed.notify_all();
    }
    bool Wait(std::chrono::milliseconds timeout = std::chrono::seconds(10))
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, timeout, [this] { return m_set; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_set = false;
};

/// Runs work on a thread of its own, joined on destruction.
class Helper
{
public:
    explicit Helper(std::function<void()> work)
        : m_thread(
              [this, work]
              {
                  work();
                  m_done.Set();
              })
    {
    }
    ~Helper() { m_thread.join(); }
    /// False when the work has not finished within ten seconds: it is stuck.
    bool Finished() { return m_done.Wait(); }

private:
    Signal m_done;
    std::thread m_thread;
};

/// Broadcasts its refresh calls the way the game's listener does: under the hub's mutex, which a
/// delivery pass on the main thread holds while it runs handlers. Removes itself after one.
class BroadcastingListener : public RecordingListener
{
public:
    BroadcastingListener(TUIO::TuioClient& client, std::mutex& hub) : m_client(client), m_hub(hub)
    {
    }
    void refresh(TUIO::TuioTime time) override
    {
        entered.Set();
        {
            std::lock_guard<std::mutex> broadcast(m_hub);
        }
        RecordingListener::refresh(time);
        m_client.removeTuioListener(this);
    }
    Signal entered;

private:
    TUIO::TuioClient& m_client;
    std::mutex& m_hub;
};

/// Reads the cursor list from its update calls, once the test holds the cursor lock.
class ReadingListener : public RecordingListener
{
public:
    explicit ReadingListener(TUIO::TuioClient& client) : m_client(client) {}
    void updateTuioCursor(TUIO::TuioCursor* tcur) override
    {
        RecordingListener::updateTuioCursor(tcur);
        entered.Set();
        locked.Wait();
        m_client.getTuioCursors(); // waits for the test's lock
    }
    Signal entered, locked;

private:
    TUIO::TuioClient& m_client;
};
} // namespace

TEST(TuioClientThreadsTest, ListenersComeAndGoWhileTheReceiveThreadWaitsInABroadcastOrForTheLock)
{
    ConnectedClient c;
    std::mutex hub;
    BroadcastingListener broadcasting(*c.client, hub);
    RecordingListener after, passing;
    c.client->addTuioListener(&broadcasting);
    c.client->addTuioListener(&after);
    {
        // A main-thread handler adds and removes listeners while the receive thread waits to
        // broadcast; the one after the broadcasting listener is removed before its turn.
        std::unique_lock<std::mutex> deliveryPass(hub);
        SendTo(c.port, CursorBundle({1}, {{1, 0.5f, 0.5f}}, 1));
        ASSERT_TRUE(broadcasting.entered.Wait());
        Helper handler(
            [&]
            {
                c.client->addTuioListener(&passing);
                c.client->removeTuioListener(&passing);
                c.client->removeTuioListener(&after);
            });
        EXPECT_TRUE(handler.Finished());
        deliveryPass.unlock();
    }
    ASSERT_TRUE(c.listener.WaitForRefreshes(1));
    EXPECT_EQ(c.TraceOf({CursorBundle({1}, {{1, 0.6f, 0.5f}}, 2)}), "~cur 1/0 R");
    EXPECT_EQ(Trace(broadcasting.Events()), "+cur 1/0 R"); // removed itself in its call
    EXPECT_EQ(Trace(after.Events()), "+cur 1/0");
    EXPECT_TRUE(passing.Events().empty());

    // A reader holds the cursor lock that a listener's call waits for: adding and removing
    // neither waits for the datagram nor, from the lock's holder, for that call.
    ReadingListener reading(*c.client);
    c.client->addTuioListener(&reading);
    SendTo(c.port, CursorBundle({1}, {{1, 0.7f, 0.5f}}, 3));
    ASSERT_TRUE(reading.entered.Wait());
    c.client->lockCursorList();
    reading.locked.Set();
    bool finished = false;
    {
        Helper other(
            [&]
            {
                c.client->addTuioListener(&passing);
                c.client->removeTuioListener(&passing);
            });
        finished = other.Finished();
        EXPECT_TRUE(finished);
        if (finished)
        {
            c.client->removeTuioListener(&reading);
        }
        c.client->unlockCursorList();
    }
    ASSERT_TRUE(c.listener.WaitForRefreshes(3));
    EXPECT_EQ(c.TraceOf({CursorBundle({1}, {{1, 0.8f, 0.5f}}, 4)}), "~cur 1/0 R");
    EXPECT_EQ(Trace(reading.Events()), "~cur 1/0"); // not even the refresh after its update
    EXPECT_TRUE(passing.Events().empty());
}

TEST(TuioClientThreadsTest, ReconnectAfterDisconnectFromAListenerWaitsForTheOldLoop)
{
    ConnectedClient c;
    class Reconnecting : public RecordingListener
    {
    public:
        explicit Reconnecting(TUIO::TuioClient& client) : m_client(client) {}
        void refresh(TUIO::TuioTime time) override
        {
            // The loop cannot end while this call runs: connecting again here must refuse.
            m_client.disconnect();
            m_client.connect(false);
            connectedFromListener = m_client.isConnected();
            RecordingListener::refresh(time);
        }
        bool connectedFromListener = true;

    private:
        TUIO::TuioClient& m_client;
    } reconnecting(*c.client);
    c.client->addTuioListener(&reconnecting);
    SendTo(c.port, CursorBundle({1}, {{1, 0.5f, 0.5f}}, 1));
    ASSERT_TRUE(reconnecting.WaitForRefreshes(1));
    EXPECT_FALSE(reconnecting.connectedFromListener);
    c.client->removeTuioListener(&reconnecting);

    // From another thread the old loop, just finishing its datagram, is waited for.
    c.client->connect(false);
    EXPECT_TRUE(c.client->isConnected());
    EXPECT_EQ(c.TraceOf({CursorBundle({1}, {{1, 0.6f, 0.5f}}, 2)}), "~cur 1/0 R");
}

TEST(TuioClientThreadsTest, DisconnectFromAnotherThreadWaitsForTheBlockingLoop)
{
    ConnectedClient c;
    c.client->disconnect();
    Signal entered, disconnected;
    std::atomic<bool> callReturned{false};
    class Holding : public RecordingListener
    {
    public:
        Holding(Signal& entered, Signal& disconnected, std::atomic<bool>& returned)
            : m_entered(entered), m_disconnected(disconnected), m_returned(returned)
        {
        }
        void refresh(TUIO::TuioTime) override
        {
            m_entered.Set();
            // Gives a disconnect() that does not wait for the loop the time to return first.
            m_disconnected.Wait(std::chrono::milliseconds(300));
            m_returned = true;
        }

    private:
        Signal& m_entered;
        Signal& m_disconnected;
        std::atomic<bool>& m_returned;
    } holding(entered, disconnected, callReturned);
    c.client->addTuioListener(&holding);

    std::thread blocking([&] { c.client->connect(true); });
    SendTo(c.port, CursorBundle({1}, {{1, 0.5f, 0.5f}}, 1));
    ASSERT_TRUE(entered.Wait());
    c.client->disconnect();
    EXPECT_TRUE(callReturned.load()) << "disconnect returned while the loop was in a call";
    disconnected.Set();
    blocking.join();
    EXPECT_FALSE(c.client->isConnected());
}
