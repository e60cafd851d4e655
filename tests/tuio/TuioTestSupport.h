#pragma once

#include "tuio/TuioClient.h"
#include "tuio/TuioListener.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace TuioTest
{

/// One "set" of the cursor profile.
struct CursorSet
{
    int sessionID;
    float x, y;
    float xSpeed = 0.0f, ySpeed = 0.0f, motionAccel = 0.0f;
};

/// A TUIO 1.x cursor bundle: "alive", the "set"s and "fseq".
std::vector<char> CursorBundle(const std::vector<int>& alive, const std::vector<CursorSet>& sets,
                               int fseq);

/// A UDP socket that sends datagrams to 127.0.0.1:port.
class UdpSender
{
public:
    explicit UdpSender(int port);
    ~UdpSender();
    void Send(const std::vector<char>& datagram);
    void Send(const char* data, size_t size);

private:
    int m_socket;
    int m_port;
};

/// A port no socket uses at the moment of the call.
int FindFreeUdpPort();
/// An unconnected client bound to a free port, which is stored in port.
std::unique_ptr<TUIO::TuioClient> BoundClient(int& port);

/// What a listener call carried, copied at the time of the call.
struct Event
{
    enum Kind
    {
        AddCursor,
        UpdateCursor,
        RemoveCursor,
        AddObject,
        UpdateObject,
        RemoveObject,
        Refresh
    };
    Kind kind;
    long sessionID = -1;
    int id = -1; // cursor ID or symbol ID
    float x = 0.0f, y = 0.0f, xSpeed = 0.0f, angle = 0.0f;
    int state = -1;
};

/// Records every call and lets the test wait for a condition with a deadline.
class RecordingListener : public TUIO::TuioListener
{
public:
    void addTuioObject(TUIO::TuioObject* tobj) override;
    void updateTuioObject(TUIO::TuioObject* tobj) override;
    void removeTuioObject(TUIO::TuioObject* tobj) override;
    void addTuioCursor(TUIO::TuioCursor* tcur) override;
    void updateTuioCursor(TUIO::TuioCursor* tcur) override;
    void removeTuioCursor(TUIO::TuioCursor* tcur) override;
    void refresh(TUIO::TuioTime frameTime) override;

    /// True once predicate holds for the events so far; false after the deadline.
    bool WaitUntil(const std::function<bool(const std::vector<Event>&)>& predicate,
                   std::chrono::milliseconds deadline = std::chrono::seconds(10));
    /// Waits until count refresh calls came in all.
    bool WaitForRefreshes(size_t count);
    std::vector<Event> Events();
    /// Drops what was recorded so far.
    void Clear();

private:
    void Record(const Event& event);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Event> m_events;
};

size_t Count(const std::vector<Event>& events, Event::Kind kind);
/// The events without refresh calls.
std::vector<Event> Changes(const std::vector<Event>& events);

/// Ends the process with a message when a test hangs past its deadline, instead of leaving it
/// to the test runner's much later timeout.
class Watchdog
{
public:
    Watchdog(std::string what, std::chrono::seconds deadline);
    ~Watchdog();

private:
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_finished = false;
    std::thread m_thread;
};

/// A client connected on a free port with a recording listener, and a sender aimed at it.
struct ConnectedClient
{
    ConnectedClient();
    ~ConnectedClient();

    Watchdog watchdog{"TUIO client test", std::chrono::seconds(120)};
    int port = -1;
    std::unique_ptr<TUIO::TuioClient> client;
    RecordingListener listener;
    std::unique_ptr<UdpSender> sender;
};

} // namespace TuioTest
