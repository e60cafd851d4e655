#include "engine/messaging/MessageListener.h"
#include "engine/messaging/Switchboard.h"
#include "tests/support/CountingMessage.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace
{
struct CountingListener : MessageListener
{
    void ReceiveMessage(Message*) override { ++heard; }
    int heard = 0; // delivery runs on the main thread only
};
} // namespace

// The touch client's receive thread only ever broadcasts; the main thread delivers meanwhile.
TEST(SwitchboardThreadTest, SecondThreadBroadcastsWhileMainThreadDelivers)
{
    Switchboard board;
    CountingListener listener;
    board.SubscribeTo(&listener, "Touch");
    CountingMessage::s_deleted = 0;
    constexpr int kMessages = 2000;
    std::atomic<bool> done{false};
    std::thread sender(
        [&]
        {
            for (int i = 0; i < kMessages; ++i)
                board.Broadcast(new CountingMessage("Touch"));
            done = true;
        });
    while (!done.load())
        board.SendAllMessages();
    sender.join();
    board.SendAllMessages();
    EXPECT_EQ(listener.heard, kMessages);
    EXPECT_EQ(CountingMessage::s_deleted, kMessages);
}
