// The receive socket's failures say why: a port not bound names the reason, and a socket that
// breaks under the receive loop ends it with one line instead of spinning.
#include "tuio/UdpReceiver.h"
#include "tuio/TuioClient.h"

#include <gtest/gtest.h>

#include <oscpack/ip/PacketListener.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

sockaddr_in Loopback(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    return address;
}

/// The port of fd's address, or -1.
int PortOf(int fd)
{
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    const bool named = getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
                       address.sin_family == AF_INET;
    return named ? ntohs(address.sin_port) : -1;
}

void SendFrom(int fd, int port)
{
    const sockaddr_in to = Loopback(port);
    sendto(fd, "x", 1, 0, reinterpret_cast<const sockaddr*>(&to), sizeof(to));
}

struct CountingListener : PacketListener
{
    void ProcessPacket(const char*, int, const IpEndpointName&) override { ++packets; }
    std::atomic<int> packets{0};
};

TEST(UdpReceiverTest, APortThatCannotBeBoundIsReportedWithTheReason)
{
    const int holder = socket(AF_INET, SOCK_DGRAM, 0);
    const sockaddr_in any = Loopback(0);
    ASSERT_EQ(bind(holder, reinterpret_cast<const sockaddr*>(&any), sizeof(any)), 0);
    const struct
    {
        int port;
        bool descriptorsUsedUp;
        const char* reason;
    } cases[] = {
        {PortOf(holder), false, "Address already in use"},
        {70000, false, "Invalid argument"},
        {0, true, "Too many open files"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.reason);
        rlimit before{};
        getrlimit(RLIMIT_NOFILE, &before);
        testing::internal::CaptureStderr(); // before the descriptors run out: it needs one
        std::vector<int> filling;
        const rlimit few{64, before.rlim_max};
        if (c.descriptorsUsedUp && setrlimit(RLIMIT_NOFILE, &few) == 0)
            for (int fd = dup(0); fd >= 0; fd = dup(0))
                filling.push_back(fd);
        TUIO::TuioClient client(c.port);
        for (int fd : filling)
            close(fd);
        setrlimit(RLIMIT_NOFILE, &before);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "could not bind to UDP port " + std::to_string(c.port) + ": " + c.reason + "\n");
        client.connect(false);
        EXPECT_FALSE(client.isConnected());
    }
    close(holder);
}

TEST(UdpReceiverTest, ASocketThatBreaksUnderTheLoopEndsItWithOneLine)
{
    // Replaced by the null device (as a start-up that reopened standard input did), or closed.
    for (const bool replaced : {true, false})
    {
        SCOPED_TRACE(replaced ? "replaced" : "closed");
        TUIO::UdpReceiver receiver;
        ASSERT_TRUE(receiver.Bind(0));
        const int port = receiver.GetPort();
        int fd = 3;
        while (fd < 1024 && PortOf(fd) != port)
            ++fd;
        // Made before a descriptor is closed, so that it cannot take that one's number.
        const int sender = socket(AF_INET, SOCK_DGRAM, 0);
        CountingListener listener;
        std::atomic<bool> ended{false};
        std::thread loop([&] { receiver.Run(listener), ended = true; });
        SendFrom(sender, port);
        for (int i = 0; i < 500 && listener.packets == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(listener.packets, 1);

        testing::internal::CaptureStderr();
        const int null = open("/dev/null", O_RDONLY);
        replaced ? dup2(null, fd) : close(fd);
        // The loop waits on the socket it had: a datagram wakes it to find the descriptor.
        SendFrom(sender, port);
        for (int i = 0; i < 300 && !ended; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const bool endedByItself = ended;
        receiver.Break(); // a loop that spins on the error ends here instead of hanging the test
        loop.join();
        for (int open : {null, sender, replaced ? fd : -1})
            close(open);
        EXPECT_TRUE(endedByItself);
        EXPECT_EQ(testing::internal::GetCapturedStderr(),
                  "ERROR: receiving TUIO messages on UDP port " + std::to_string(port) +
                      " failed - " +
                      (replaced ? "Socket operation on non-socket" : "Bad file descriptor") +
                      ": no more touches arrive.\n");
    }
}

} // namespace
