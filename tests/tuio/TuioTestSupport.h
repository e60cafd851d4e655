#pragma once

#include "tuio/TuioClient.h"
#include "tuio/TuioCursor.h"
#include "tuio/TuioListener.h"
#include "tuio/TuioObject.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <unistd.h>
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
/// Sends one datagram to 127.0.0.1:port.
void SendTo(int port, const std::vector<char>& datagram);
/// A socket bound to a free UDP port, which is stored in port; the caller closes it.
int BindFreeUdpPort(int& port);

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

/// The calls in order, e.g. "+cur 5/0 R ~cur 5/0 R -obj 4/17": add (+), update (~) or remove (-)
/// of a cursor or object with its session ID / cursor or symbol ID, and R for refresh.
std::string Trace(const std::vector<Event>& events);
size_t Count(const std::vector<Event>& events, Event::Kind kind);

/// Records every call and lets the test wait for refresh calls with a deadline.
class RecordingListener : public TUIO::TuioListener
{
public:
    void addTuioObject(TUIO::TuioObject* o) override { Record(Event::AddObject, o); }
    void updateTuioObject(TUIO::TuioObject* o) override { Record(Event::UpdateObject, o); }
    void removeTuioObject(TUIO::TuioObject* o) override { Record(Event::RemoveObject, o); }
    void addTuioCursor(TUIO::TuioCursor* c) override { Record(Event::AddCursor, c); }
    void updateTuioCursor(TUIO::TuioCursor* c) override { Record(Event::UpdateCursor, c); }
    void removeTuioCursor(TUIO::TuioCursor* c) override { Record(Event::RemoveCursor, c); }
    void refresh(TUIO::TuioTime) override { Record({Event::Refresh}); }

    /// True once count refresh calls came in all; false after ten seconds.
    bool WaitForRefreshes(size_t count);
    std::vector<Event> Events();

private:
    void Record(Event::Kind kind, const TUIO::TuioCursor* c);
    void Record(Event::Kind kind, const TUIO::TuioObject* o);
    void Record(const Event& event);

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Event> m_events;
};

/// Ends the process when a test hangs (in a join, say) for two minutes, instead of leaving it
/// to the test runner's much later timeout.
struct Deadline
{
    Deadline() { alarm(120); }
    ~Deadline() { alarm(0); }
};

/// A client connected on a free port with a recording listener.
struct ConnectedClient
{
    ConnectedClient();
    ~ConnectedClient() { client->disconnect(); }
    /// Sends the datagrams and returns the trace of the calls they made, once they made the
    /// given number of refresh calls.
    std::string TraceOf(const std::vector<std::vector<char>>& datagrams, size_t refreshes = 1);

    Deadline deadline;
    int port = -1;
    std::unique_ptr<TUIO::TuioClient> client;
    RecordingListener listener;
};

} // namespace TuioTest
