#include "tuio/UdpReceiver.h"

#include <oscpack/ip/IpEndpointName.h>
#include <oscpack/ip/PacketListener.h>

#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <thread>
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

bool UdpReceiver::Bind(int port, int* error)
{
    auto fail = [error](int reason, int fd)
    {
        if (fd >= 0)
        {
            close(fd);
        }
        if (error != nullptr)
        {
            *error = reason;
        }
        return false;
    };
    if (port < 0 || port > 65535)
    {
        return fail(EINVAL, -1);
    }
    int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
    {
        return fail(errno, -1);
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0)
    {
        return fail(errno, fd);
    }
    int wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (wakeFd < 0)
    {
        return fail(errno, fd);
    }
    m_socket = fd;
    m_wakeFd = wakeFd;
    // Named in error lines, also when the socket itself can no longer say it (port 0 bound).
    m_port = GetPort();
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
            if (errno != EINTR && !Survive("waiting for", errno))
            {
                return;
            }
            continue;
        }
        if (m_break.load(std::memory_order_acquire))
        {
            break;
        }
        if (fds[0].revents != 0 && !Drain(listener))
        {
            return;
        }
    }
}

bool UdpReceiver::Survive(const char* what, int error)
{
    const bool shortage = error == ENOMEM || error == ENOBUFS;
    if (!shortage || !m_shortageReported)
    {
        std::cerr << "ERROR: " << what << " TUIO messages on UDP port " << m_port << " failed - "
                  << std::strerror(error)
                  << (shortage ? ": trying again." : ": no more touches arrive.") << std::endl;
    }
    if (!shortage)
    {
        return false;
    }
    // Once per run: a lasting shortage would fill the log.
    m_shortageReported = true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return true;
}

bool UdpReceiver::Drain(PacketListener& listener)
{
    while (!m_break.load(std::memory_order_acquire))
    {
        sockaddr_in sender{};
        socklen_t senderLength = sizeof(sender);
        ssize_t size = recvfrom(m_socket, m_buffer.data(), m_buffer.size(), MSG_DONTWAIT,
                                reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (size < 0)
        {
            const int error = errno;
            if (error == EINTR)
            {
                continue;
            }
            if (error == EAGAIN || error == EWOULDBLOCK)
            {
                return true;
            }
            // An unconnected socket reports no ICMP errors: anything else is the socket's own
            // fault (no longer a socket, no memory), and polling again would find it at once.
            return Survive("receiving", error);
        }
        IpEndpointName endpoint(ntohl(sender.sin_addr.s_addr), ntohs(sender.sin_port));
        listener.ProcessPacket(m_buffer.data(), static_cast<int>(size), endpoint);
    }
    return true;
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
