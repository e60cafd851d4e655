#include "tests/tuio/TuioTestSupport.h"

#include "tuio/TuioCursor.h"
#include "tuio/TuioObject.h"

#include <oscpack/osc/OscOutboundPacketStream.h>

#include <arpa/inet.h>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace TuioTest
{

std::vector<char> CursorBundle(const std::vector<int>& alive, const std::vector<CursorSet>& sets,
                               int fseq)
{
    std::vector<char> buffer(1024 + 64 * sets.size() + 4 * alive.size());
    osc::OutboundPacketStream stream(buffer.data(), buffer.size());
    stream << osc::BeginBundleImmediate;
    stream << osc::BeginMessage("/tuio/2Dcur") << "alive";
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

UdpSender::UdpSender(int port) : m_socket(socket(AF_INET, SOCK_DGRAM, 0)), m_port(port) {}

UdpSender::~UdpSender()
{
    close(m_socket);
}

void UdpSender::Send(const std::vector<char>& datagram)
{
    Send(datagram.data(), datagram.size());
}

void UdpSender::Send(const char* data, size_t size)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(m_port));
    ssize_t sent =
        sendto(m_socket, data, size, 0, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ASSERT_EQ(sent, static_cast<ssize_t>(size)) << "sendto failed";
}

int FindFreeUdpPort()
{
    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    socklen_t length = sizeof(address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    close(fd);
    return ntohs(address.sin_port);
}

void RecordingListener::addTuioObject(TUIO::TuioObject* tobj)
{
    Record({Event::AddObject, tobj->getSessionID(), tobj->getSymbolID(), tobj->getX(), tobj->getY(),
            tobj->getXSpeed(), tobj->getAngle(), tobj->getTuioState()});
}

void RecordingListener::updateTuioObject(TUIO::TuioObject* tobj)
{
    Record({Event::UpdateObject, tobj->getSessionID(), tobj->getSymbolID(), tobj->getX(),
            tobj->getY(), tobj->getXSpeed(), tobj->getAngle(), tobj->getTuioState()});
}

void RecordingListener::removeTuioObject(TUIO::TuioObject* tobj)
{
    Record({Event::RemoveObject, tobj->getSessionID(), tobj->getSymbolID(), tobj->getX(),
            tobj->getY(), tobj->getXSpeed(), tobj->getAngle(), tobj->getTuioState()});
}

void RecordingListener::addTuioCursor(TUIO::TuioCursor* tcur)
{
    Record({Event::AddCursor, tcur->getSessionID(), tcur->getCursorID(), tcur->getX(), tcur->getY(),
            tcur->getXSpeed(), 0.0f, tcur->getTuioState()});
}

void RecordingListener::updateTuioCursor(TUIO::TuioCursor* tcur)
{
    Record({Event::UpdateCursor, tcur->getSessionID(), tcur->getCursorID(), tcur->getX(),
            tcur->getY(), tcur->getXSpeed(), 0.0f, tcur->getTuioState()});
}

void RecordingListener::removeTuioCursor(TUIO::TuioCursor* tcur)
{
    Record({Event::RemoveCursor, tcur->getSessionID(), tcur->getCursorID(), tcur->getX(),
            tcur->getY(), tcur->getXSpeed(), 0.0f, tcur->getTuioState()});
}

void RecordingListener::refresh(TUIO::TuioTime)
{
    Record({Event::Refresh});
}

void RecordingListener::Record(const Event& event)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(event);
    }
    m_changed.notify_all();
}

bool RecordingListener::WaitUntil(const std::function<bool(const std::vector<Event>&)>& predicate,
                                  std::chrono::milliseconds deadline)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_changed.wait_for(lock, deadline, [&] { return predicate(m_events); });
}

bool RecordingListener::WaitForRefreshes(size_t count)
{
    return WaitUntil([count](const std::vector<Event>& events)
                     { return Count(events, Event::Refresh) >= count; });
}

std::vector<Event> RecordingListener::Events()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_events;
}

void RecordingListener::Clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_events.clear();
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

std::vector<Event> Changes(const std::vector<Event>& events)
{
    std::vector<Event> changes;
    for (const Event& event : events)
    {
        if (event.kind != Event::Refresh)
        {
            changes.push_back(event);
        }
    }
    return changes;
}

Watchdog::Watchdog(std::string what, std::chrono::seconds deadline)
    : m_thread(
          [this, what, deadline]
          {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_done.wait_for(lock, deadline, [this] { return m_finished; }))
              {
                  std::fprintf(stderr, "%s hung for %lld s\n", what.c_str(),
                               static_cast<long long>(deadline.count()));
                  std::abort();
              }
          })
{
}

Watchdog::~Watchdog()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_finished = true;
    }
    m_done.notify_all();
    m_thread.join();
}

std::unique_ptr<TUIO::TuioClient> BoundClient(int& port)
{
    std::unique_ptr<TUIO::TuioClient> client;
    // Another process may take the free port between the look-up and the bind: try again.
    for (int attempt = 0; attempt < 5; ++attempt)
    {
        port = FindFreeUdpPort();
        client = std::make_unique<TUIO::TuioClient>(port);
        client->connect(false); // only a bound client connects
        if (client->isConnected())
        {
            client->disconnect();
            return client;
        }
    }
    ADD_FAILURE() << "no free UDP port to bind";
    return client;
}

ConnectedClient::ConnectedClient() : client(BoundClient(port))
{
    client->connect(false);
    client->addTuioListener(&listener);
    sender = std::make_unique<UdpSender>(port);
}

ConnectedClient::~ConnectedClient()
{
    client->disconnect();
}

} // namespace TuioTest
