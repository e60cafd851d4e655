#include "tests/tuio/TuioTestSupport.h"

#include <oscpack/osc/OscOutboundPacketStream.h>

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace TuioTest
{

std::vector<char> CursorBundle(const std::vector<int>& alive, const std::vector<CursorSet>& sets,
                               int fseq)
{
    std::vector<char> buffer(1024 + 64 * sets.size() +
                             5 * alive.size()); // a type tag and a word each
    osc::OutboundPacketStream stream(buffer.data(), buffer.size());
    stream << osc::BeginBundleImmediate << osc::BeginMessage("/tuio/2Dcur") << "alive";
    for (int id : alive)
    {
        stream << osc::int32(id);
    }
    stream << osc::EndMessage;
    for (const CursorSet& set : sets)
    {
        stream << osc::BeginMessage("/tuio/2Dcur") << "set" << osc::int32(set.sessionID) << set.x
               << set.y << set.xSpeed << set.ySpeed << set.motionAccel << osc::EndMessage;
    }
    stream << osc::BeginMessage("/tuio/2Dcur") << "fseq" << osc::int32(fseq) << osc::EndMessage
           << osc::EndBundle;
    buffer.resize(stream.Size());
    return buffer;
}

void SendTo(int port, const std::vector<char>& datagram)
{
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    EXPECT_EQ(sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&address),
                     sizeof(address)),
              static_cast<ssize_t>(datagram.size()));
    close(fd);
}

int BindFreeUdpPort(int& port)
{
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    socklen_t length = sizeof(address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

std::string Trace(const std::vector<Event>& events)
{
    static const char* const names[] = {"+cur", "~cur", "-cur", "+obj", "~obj", "-obj", "R"};
    std::string trace;
    for (const Event& event : events)
    {
        trace += (trace.empty() ? "" : " ") + std::string(names[event.kind]);
        if (event.kind != Event::Refresh)
        {
            trace += " " + std::to_string(event.sessionID) + "/" + std::to_string(event.id);
        }
    }
    return trace;
}

size_t Count(const std::vector<Event>& events, Event::Kind kind)
{
    size_t count = 0;
    for (const Event& event : events)
    {
        count += event.kind == kind ? 1 : 0;
    }
    return count;
}

void RecordingListener::Record(Event::Kind kind, const TUIO::TuioCursor* c)
{
    Record({kind, c->getSessionID(), c->getCursorID(), c->getX(), c->getY(), c->getXSpeed(), 0.0f,
            c->getTuioState()});
}

void RecordingListener::Record(Event::Kind kind, const TUIO::TuioObject* o)
{
    Record({kind, o->getSessionID(), o->getSymbolID(), o->getX(), o->getY(), o->getXSpeed(),
            o->getAngle(), o->getTuioState()});
}

void RecordingListener::Record(const Event& event)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.push_back(event);
    m_changed.notify_all();
}

bool RecordingListener::WaitForRefreshes(size_t count)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::seconds(10),
                              [&] { return Count(m_events, Event::Refresh) >= count; });
}

std::vector<Event> RecordingListener::Events()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

ConnectedClient::ConnectedClient()
{
    // Another process may take the free port between the look-up and the bind: try again.
    for (int attempt = 0; attempt < 5 && !(client && client->isConnected()); ++attempt)
    {
        close(BindFreeUdpPort(port));
        client = std::make_unique<TUIO::TuioClient>(port);
        client->connect(false); // only a bound client connects
    }
    EXPECT_TRUE(client->isConnected()) << "no free UDP port to bind";
    client->addTuioListener(&listener);
}

std::string ConnectedClient::TraceOf(const std::vector<std::vector<char>>& datagrams,
                                     size_t refreshes)
{
    std::vector<Event> events = listener.Events();
    size_t before = events.size();
    refreshes += Count(events, Event::Refresh);
    for (const std::vector<char>& datagram : datagrams)
    {
        SendTo(port, datagram);
    }
    EXPECT_TRUE(listener.WaitForRefreshes(refreshes)) << "timed out waiting for refresh";
    events = listener.Events();
    return Trace({events.begin() + static_cast<ptrdiff_t>(before), events.end()});
}

} // namespace TuioTest
