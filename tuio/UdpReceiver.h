#pragma once

#include <atomic>
#include <vector>

class PacketListener;

namespace TUIO
{

/// A UDP socket on all local IPv4 addresses whose receive loop hands every datagram, whole, to
/// a packet listener. Stands in for oscpack's receive socket, which cuts datagrams at about
/// 4 KB and loses a break that comes before its loop starts.
class UdpReceiver
{
public:
    UdpReceiver() = default;
    ~UdpReceiver();
    UdpReceiver(const UdpReceiver&) = delete;
    UdpReceiver& operator=(const UdpReceiver&) = delete;

    /// False when the socket cannot be created or the port is taken; error, when given, then
    /// gets the errno value that says why.
    bool Bind(int port, int* error = nullptr);
    /// The port bound to (useful after binding port 0), or -1.
    int GetPort() const;

    /// Receives until Break(); returns at once if Break() came first. Any thread, one at a time.
    /// A receive error ends it too, with one "ERROR: " line on standard error, unless it is a
    /// shortage of memory, which it waits out.
    void Run(PacketListener& listener);
    /// Ends the running loop, or the next one if none runs yet. Any thread.
    void Break();
    /// Clears a break so Run() can receive again. Only while no loop runs.
    void ResetBreak();

private:
    /// Hands every queued datagram over without blocking. False after an error that ends the
    /// loop.
    bool Drain(PacketListener& listener);
    /// Reports the error of what; false when the loop must end, true once it has waited out a
    /// passing shortage.
    bool Survive(const char* what, int error);

    int m_socket = -1;
    int m_wakeFd = -1;
    int m_port = -1;
    bool m_shortageReported = false;
    std::atomic<bool> m_break{false};
    std::vector<char> m_buffer;
};

} // namespace TUIO
