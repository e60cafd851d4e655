#pragma once

// TUIO client tests: OSC made by hand (so that sizes may lie and types may be wrong; liblo is
// the proper encoder), a recording listener and a client connected on a free UDP port.

#include "tuio/TuioClient.h"
#include "tuio/TuioCursor.h"
#include "tuio/TuioListener.h"
#include "tuio/TuioObject.h"

#include <gtest/gtest.h>
#include <oscpack/ip/IpEndpointName.h>

#include <arpa/inet.h>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <unistd.h>

namespace TuioTest
{

using Bytes = std::vector<char>;
constexpr int32_t FloatHalf = 0x3F000000; // 0.5f

inline int32_t Word(float value)
{
    int32_t word;
    std::memcpy(&word, &value, sizeof(word));
    return word;
}

/// OSC strings (padded) followed by big-endian 32-bit words.
inline Bytes Args(const std::vector<std::string>& strings, const std::vector<int32_t>& words = {})
{
    Bytes bytes;
    for (const std::string& text : strings)
    {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.resize((bytes.size() / 4 + 1) * 4);
    }
    for (int32_t word : words)
        for (int shift = 24; shift >= 0; shift -= 8)
            bytes.push_back(static_cast<char>((static_cast<uint32_t>(word) >> shift) & 0xFF));
    return bytes;
}

inline Bytes Message(const std::string& address, const std::string& typeTags,
                     const Bytes& arguments = {})
{
    Bytes bytes = Args({address, "," + typeTags});
    bytes.insert(bytes.end(), arguments.begin(), arguments.end());
    return bytes;
}

/// A bundle of the elements; a size given for an element may lie about it.
inline Bytes Bundle(const std::vector<Bytes>& elements, const std::vector<int32_t>& sizes = {})
{
    Bytes bytes = Args({"#bundle"}, {0, 1}); // time tag "immediately"
    for (size_t i = 0; i < elements.size(); ++i)
    {
        const Bytes size = Args({}, {i < sizes.size() ? sizes[i] : int32_t(elements[i].size())});
        bytes.insert(bytes.end(), size.begin(), size.end());
        bytes.insert(bytes.end(), elements[i].begin(), elements[i].end());
    }
    return bytes;
}

struct CursorSet
{
    int sessionID;
    float x, y;
    float xSpeed = 0.0f, ySpeed = 0.0f, motionAccel = 0.0f;
};

/// A cursor bundle: "alive", the "set"s and "fseq".
inline Bytes CursorBundle(const std::vector<int>& alive, const std::vector<CursorSet>& sets,
                          int fseq)
{
    const std::string cur = "/tuio/2Dcur";
    std::vector<Bytes> elements = {Message(cur, "s" + std::string(alive.size(), 'i'),
                                           Args({"alive"}, {alive.begin(), alive.end()}))};
    for (const CursorSet& s : sets)
        elements.push_back(Message(cur, "sifffff",
                                   Args({"set"}, {s.sessionID, Word(s.x), Word(s.y), Word(s.xSpeed),
                                                  Word(s.ySpeed), Word(s.motionAccel)})));
    elements.push_back(Message(cur, "si", Args({"fseq"}, {fseq})));
    return Bundle(elements);
}

inline void SendTo(int port, const Bytes& datagram)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    EXPECT_EQ(sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&address),
                     sizeof(address)),
              static_cast<ssize_t>(datagram.size()));
    close(fd);
}

/// A socket bound to a free UDP port, stored in port; the caller closes it.
inline int BindFreeUdpPort(int& port)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    socklen_t length = sizeof(address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

/// What a listener call carried, copied at the time of the call. The text is "+cur 5/0" for an
/// add (+), update (~) or remove (-) of a cursor or object as session ID / cursor or symbol ID,
/// and "R" for refresh.
struct Event
{
    std::string text;
    float xSpeed = 0.0f, angle = 0.0f;
    int state = -1;
};

/// The number of events whose text starts with the prefix.
inline size_t Count(const std::vector<Event>& events, const std::string& prefix)
{
    return std::count_if(events.begin(), events.end(),
                         [&](const Event& event) { return event.text.rfind(prefix, 0) == 0; });
}

inline std::string Trace(const std::vector<Event>& events)
{
    std::string trace;
    for (const Event& event : events)
        trace += (trace.empty() ? "" : " ") + event.text;
    return trace;
}

class RecordingListener : public TUIO::TuioListener
{
public:
    void addTuioObject(TUIO::TuioObject* o) override { Record("+obj", o, o->getSymbolID(), o); }
    void updateTuioObject(TUIO::TuioObject* o) override { Record("~obj", o, o->getSymbolID(), o); }
    void removeTuioObject(TUIO::TuioObject* o) override { Record("-obj", o, o->getSymbolID(), o); }
    void addTuioCursor(TUIO::TuioCursor* c) override { Record("+cur", c, c->getCursorID()); }
    void updateTuioCursor(TUIO::TuioCursor* c) override
    {
        Record("~cur", c, c->getCursorID());
        onUpdate();
    }
    void removeTuioCursor(TUIO::TuioCursor* c) override { Record("-cur", c, c->getCursorID()); }
    void refresh(TUIO::TuioTime) override
    {
        Record({"R"});
        onRefresh();
    }

    /// True once count calls of the kind came in all; false after ten seconds.
    bool WaitFor(size_t count, const std::string& call = "R")
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10),
                                  [&] { return Count(m_events, call) >= count; });
    }
    std::vector<Event> Events()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }

    /// Run on the receive thread after the call is recorded.
    std::function<void()> onUpdate = [] {}, onRefresh = [] {};

private:
    void Record(const char* call, const TUIO::TuioContainer* t, int id,
                const TUIO::TuioObject* o = nullptr)
    {
        Record({call + (" " + std::to_string(t->getSessionID()) + "/" + std::to_string(id)),
                t->getXSpeed(), o ? o->getAngle() : 0.0f, t->getTuioState()});
    }
    void Record(const Event& event)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_events.push_back(event);
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Event> m_events;
};

/// A client connected on a free port with a recording listener. A test hung (in a join, say)
/// ends the process after two minutes rather than at the test runner's much later timeout.
struct ConnectedClient
{
    ConnectedClient()
    {
        alarm(120);
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
    ~ConnectedClient()
    {
        client->disconnect();
        alarm(0);
    }

    /// Sends the datagrams; once they made that many refresh calls, the trace of their calls.
    std::string TraceOf(const std::vector<Bytes>& datagrams, size_t refreshes = 1)
    {
        const size_t before = listener.Events().size();
        refreshes += Count(listener.Events(), "R");
        for (const Bytes& datagram : datagrams)
            SendTo(port, datagram);
        EXPECT_TRUE(listener.WaitFor(refreshes)) << "timed out waiting for refresh";
        const std::vector<Event> events = listener.Events();
        return Trace({events.begin() + static_cast<ptrdiff_t>(before), events.end()});
    }

    int port = -1;
    std::unique_ptr<TUIO::TuioClient> client;
    RecordingListener listener;
};

/// A client without a socket, fed datagrams as its receive loop hands them over, with a
/// recording listener. Its constructor's "could not bind" line goes to the captured stderr.
struct FedClient
{
    FedClient()
    {
        testing::internal::CaptureStderr();
        client = std::make_unique<TUIO::TuioClient>(-1);
        testing::internal::GetCapturedStderr();
        client->addTuioListener(&listener);
    }
    void Feed(const Bytes& datagram)
    {
        client->ProcessPacket(datagram.data(), static_cast<int>(datagram.size()), IpEndpointName());
    }
    size_t Count(const std::string& call) { return TuioTest::Count(listener.Events(), call); }
    /// The calls the datagrams made.
    std::string TraceOf(const std::vector<Bytes>& datagrams)
    {
        const size_t before = listener.Events().size();
        for (const Bytes& datagram : datagrams)
            Feed(datagram);
        const std::vector<Event> events = listener.Events();
        return Trace({events.begin() + static_cast<ptrdiff_t>(before), events.end()});
    }

    std::unique_ptr<TUIO::TuioClient> client;
    RecordingListener listener;
};

} // namespace TuioTest
