#include "tuio/UdpReceiver.h"

#include <oscpack/ip/IpEndpointName.h>
#include <oscpack/ip/PacketListener.h>

#include <arpa/inet.h>
#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace TUIO
{

namespace
{
// The largest datagram UDP can carry; nothing that arrives is cut.
constexpr size_t MaxDatagramSize = 65536;
} // namespace

UdpReceiver::~UdpReceiver()
{
    if (m_socket >= 0)
    {
        close(m_socket);
    }
    if (m_wakeFd >= 0)
    {
        close(m_wakeFd);
    }
}

bool UdpReceiver::Bind(int port)
{
    if (port < 0 || port > 65535)
    {
        return false;
    }
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
    {
        return false;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
    {
        close(fd);
        return false;
    }
    int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0)
    {
        close(fd);
        return false;
    }
    m_socket = fd;
    m_wakeFd = wakeFd;
    m_buffer.resize(MaxDatagramSize);
    return true;
}

int UdpReceiver::GetPort() const
{
    sockaddr_in address{};
    socklen_t length = sizeof(address);
    if (m_socket < 0 || getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    {
        return -1;
    }
    return ntohs(address.sin_port);
}

void UdpReceiver::Run(PacketListener& listener)
{
    if (m_socket < 0)
    {
        return;
    }
    pollfd fds[2] = {{m_socket, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    while (!m_break.load(std::memory_order_acquire))
    {
        int ready = poll(fds, 2, -1);
        if (ready < 0)
        {
            // EINTR and the like: the loop only ends on a break.
            continue;
        }
        if (m_break.load(std::memory_order_acquire))
        {
            break;
        }
        if (fds[0].revents != 0)
        {
            Drain(listener);
        }
    }
}

void UdpReceiver::Drain(PacketListener& listener)
{
    while (!m_break.load(std::memory_order_acquire))
    {
        sockaddr_in sender{};
        socklen_t senderLength = sizeof(sender);
        ssize_t size = recvfrom(m_socket, m_buffer.data(), m_buffer.size(), MSG_DONTWAIT,
                                reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (size < 0)
        {
            if (errno == EINTR)
            {
                continue;
            }
            // EAGAIN: nothing left. Anything else (a pending ICMP error) is not ours to act on.
            return;
        }
        IpEndpointName endpoint(ntohl(sender.sin_addr.s_addr), ntohs(sender.sin_port));
        listener.ProcessPacket(m_buffer.data(), static_cast<int>(size), endpoint);
    }
}

void UdpReceiver::Break()
{
    m_break.store(true, std::memory_order_release);
    if (m_wakeFd >= 0)
    {
        uint64_t one = 1;
        ssize_t written = write(m_wakeFd, &one, sizeof(one));
        (void)written; // A full counter already wakes the loop.
    }
}

void UdpReceiver::ResetBreak()
{
    m_break.store(false, std::memory_order_release);
    if (m_wakeFd >= 0)
    {
        uint64_t count = 0;
        ssize_t read = ::read(m_wakeFd, &count, sizeof(count));
        (void)read; // Nothing pending is fine.
    }
}

} // namespace TUIO
