// The receive socket's failures say why: a port not bound names the reason, and a socket that
// breaks under the receive loop ends it with one line instead of spinning.
#include "tuio/UdpReceiver.h"
#include "tuio/TuioClient.h"

#include <gtest/gtest.h>

#include <oscpack/ip/IpEndpointName.h>
#include <oscpack/ip/PacketListener.h>

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{

int BoundUdpSocket(int port)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    return fd;
}

int PortOf(int fd)
{
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

/// The descriptor of this process's UDP socket bound to port, or -1.
int SocketOnPort(int port)
{
    for (int fd = 3; fd < 1024; ++fd)
    {
        sockaddr_in address{};
        socklen_t length = sizeof(address);
        if (getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
            address.sin_family == AF_INET && ntohs(address.sin_port) == port)
            return fd;
    }
    return -1;
}

/// Sends from a socket made before, so that sending opens no descriptor, which could take the
/// number of one the test closed.
void SendTo(int fd, int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    sendto(fd, "x", 1, 0, reinterpret_cast<sockaddr*>(&address), sizeof(address));
}

class CountingListener : public PacketListener
{
public:
    void ProcessPacket(const char*, int, const IpEndpointName&) override { ++packets; }
    std::atomic<int> packets{0};
};

TEST(UdpReceiverTest, APortThatCannotBeBoundIsReportedWithTheReason)
{
    const int holder = BoundUdpSocket(0);
    const int taken = PortOf(holder);
    const struct
    {
        const char* name;
        int port;
        bool descriptorsUsedUp;
        const char* reason;
    } cases[] = {
        {"a port another socket holds", taken, false, "Address already in use"},
        {"no port at all", 70000, false, "Invalid argument"},
        {"no descriptor left", 0, true, "Too many open files"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        rlimit before{};
        getrlimit(RLIMIT_NOFILE, &before);
        testing::internal::CaptureStderr();
        std::vector<int> filling;
        if (c.descriptorsUsedUp)
        {
            const rlimit few{64, before.rlim_max};
            setrlimit(RLIMIT_NOFILE, &few);
            for (int fd = dup(0); fd >= 0; fd = dup(0))
                filling.push_back(fd);
        }
        TUIO::TuioClient client(c.port);
        const std::string said = testing::internal::GetCapturedStderr();
        for (int fd : filling)
            close(fd);
        setrlimit(RLIMIT_NOFILE, &before);
        EXPECT_EQ(said,
                  "could not bind to UDP port " + std::to_string(c.port) + ": " + c.reason + "\n");
        client.connect(false);
        EXPECT_FALSE(client.isConnected());
    }
    close(holder);
}

TEST(UdpReceiverTest, ASocketThatBreaksUnderTheLoopEndsItWithOneLine)
{
    const struct
    {
        const char* name;
        bool replaced; // by the null device, as a start-up that reopened standard input did
        const char* reason;
    } cases[] = {
        {"replaced by /dev/null", true, "Socket operation on non-socket"},
        {"closed", false, "Bad file descriptor"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        TUIO::UdpReceiver receiver;
        ASSERT_TRUE(receiver.Bind(0));
        const int port = receiver.GetPort();
        const int fd = SocketOnPort(port);
        ASSERT_GE(fd, 0);
        CountingListener listener;
        std::atomic<bool> ended{false};
        std::thread loop(
            [&]
            {
                receiver.Run(listener);
                ended = true;
            });
        const int sender = socket(AF_INET, SOCK_DGRAM, 0);
        SendTo(sender, port);
        for (int i = 0; i < 500 && listener.packets == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_EQ(listener.packets, 1);

        testing::internal::CaptureStderr();
        if (c.replaced)
        {
            const int null = open("/dev/null", O_RDONLY);
            dup2(null, fd);
            close(null);
        }
        else
        {
            close(fd);
        }
        // The loop waits on the socket it had: a datagram wakes it to find the descriptor.
        SendTo(sender, port);
        for (int i = 0; i < 300 && !ended; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        const bool endedByItself = ended;
        receiver.Break(); // a loop that spins on the error ends here instead of hanging the test
        loop.join();
        const std::string said = testing::internal::GetCapturedStderr();
        if (c.replaced)
            close(fd);
        close(sender);
        EXPECT_TRUE(endedByItself);
        EXPECT_EQ(said, "ERROR: receiving TUIO messages on UDP port " + std::to_string(port) +
                            " failed - " + c.reason + ": no more touches arrive.\n");
    }
}

} // namespace
