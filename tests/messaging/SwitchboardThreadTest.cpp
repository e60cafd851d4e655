#include "engine/messaging/MessageListener.h"
#include "engine/messaging/Switchboard.h"
#include "tests/support/CountingMessage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{

class CountingListener : public MessageListener
{
public:
    void ReceiveMessage(Message*) override { heard.fetch_add(1, std::memory_order_relaxed); }
    std::atomic<int> heard{0};
};

} // namespace

// The receive thread of the touch client only ever broadcasts; the main thread delivers.
TEST(SwitchboardThreadTest, SecondThreadBroadcastsWhileMainThreadDelivers)
{
    Switchboard board;
    CountingListener listener;
    board.SubscribeTo(&listener, "Touch");
    CountingMessage::s_deleted = 0;

    constexpr int kMessages = 2000;
    std::atomic<bool> done{false};
    std::thread sender([&] {
        for (int i = 0; i < kMessages; ++i)
            board.Broadcast(new CountingMessage("Touch"));
        done = true;
    });
    // Deliver continuously while the other thread is still broadcasting.
    while (!done.load())
        board.SendAllMessages();
    sender.join();
    board.SendAllMessages();

    EXPECT_EQ(listener.heard.load(), kMessages);
    EXPECT_EQ(CountingMessage::s_deleted, kMessages);
    EXPECT_EQ(CountingMessage::s_alive, 0);
}
