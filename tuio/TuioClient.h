#pragma once

#include "tuio/CursorIDPool.h"
#include "tuio/TuioTime.h"

#include <oscpack/ip/PacketListener.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace osc
{
class ReceivedBundle;
class ReceivedMessage;
class ReceivedMessageArgumentStream;
} // namespace osc

namespace TUIO
{

class TuioCursor;
class TuioListener;
class TuioObject;
class UdpReceiver;

/// The most cursors, and apart from them the most objects, the client keeps alive at once, and
/// the most changes of each that one frame collects: far more than the fingers and things on
/// any table, few enough that a flood of new sessions costs the receive thread and the game
/// little. A frame keeps one change per session, the newest. A "set" of a new session beyond
/// it, or a change of a session with none queued beyond it, is dropped.
constexpr std::size_t MaxLiveContainers = 256;

/// Receives TUIO 1.x (OSC over UDP) from a touch tracker, keeps the live cursors and objects
/// and reports every added, changed and removed one to its listeners. Parsing, list upkeep and
/// listener calls all happen on the receive thread. Malformed input is reported on standard
/// error and dropped; it never ends the receive loop.
///
/// A cursor or object lives only while the "alive" of its frame names it: a "set" makes a new
/// one only for a session that the profile's last "alive" names (anything else would never be
/// removed), and the ones made in a frame that its "fseq" then finds late are removed again at
/// that "fseq" (a stale frame would otherwise bring back a touch that is over).
class TuioClient : public PacketListener
{
public:
    /// The process-wide client on UDP port 3333, created on first call.
    static TuioClient* GetInstance();

    /// Binds the UDP port at once; on failure says so on standard error and stays unconnected.
    explicit TuioClient(int port);
    /// Stops a receive thread that still runs.
    ~TuioClient() override;
    TuioClient(const TuioClient&) = delete;
    TuioClient& operator=(const TuioClient&) = delete;

    /// Starts receiving: on a thread of its own, or with lock true on the caller, returning only
    /// once disconnect() broke the loop. Does nothing without a bound port. A loop that a
    /// listener's disconnect() broke may still be finishing its datagram: connect() waits up to
    /// two seconds for it to end, and stays unconnected if it has not (at once when called on
    /// that loop's own thread, i.e. from the listener).
    void connect(bool lock = false);
    /// Stops receiving; safe right after connect() and from any thread. Called on another thread
    /// than the loop's, it returns once the loop has ended (also one that connect(true) runs);
    /// called from a listener, the loop ends when that call returns.
    void disconnect();
    bool isConnected() const { return m_connected.load(); }

    /// A listener added twice is called twice; remove drops every entry of it. Both are safe
    /// from any thread at any time, from listener calls too; they never wait for a list lock or
    /// the datagram in progress. An added listener is called from the next datagram on.
    /// After remove returns, no call to the listener begins. Whether one already running on the
    /// receive thread may still be under way:
    /// - called from a listener (on the receive thread): it may, e.g. the caller's own call;
    /// - called while this thread holds a list lock (lockCursorList(), lockObjectList()): it
    ///   may, since that call may be waiting for the lock;
    /// - otherwise: no, remove waits for it to return, so the listener may be destroyed then.
    ///   Hence do not remove a listener while holding a lock its calls may wait for, e.g. one
    ///   whose calls broadcast, from a message handler run under the hub's mutex; adding, or
    ///   removing any other listener, is fine there.
    void addTuioListener(TuioListener* listener);
    void removeTuioListener(TuioListener* listener);

    /// Copies of the live lists; the containers stay the client's. Hold the matching list lock
    /// while using them on another thread.
    std::list<TuioObject*> getTuioObjects();
    std::list<TuioCursor*> getTuioCursors();
    /// The live container with that session ID, or null.
    TuioObject* getTuioObject(long sessionID);
    TuioCursor* getTuioCursor(long sessionID);

    /// The list locks are recursive. A lock asked for while the client is not connected takes
    /// nothing; an unlock releases what the matching lock took, whatever happened in between.
    void lockObjectList();
    void unlockObjectList();
    void lockCursorList();
    void unlockCursorList();

    /// Handles one datagram: a bundle or a single message. Called by the receive loop; tests,
    /// benchmarks and fuzzers call it directly.
    void ProcessPacket(const char* data, int size, const IpEndpointName& remoteEndpoint) override;

    /// The receive thread's body; returns 0 when the loop has been broken.
    static unsigned long ClientThreadFunc(void* client);

private:
    void LockList(std::recursive_mutex& mutex);
    void UnlockList(std::recursive_mutex& mutex);
    /// Runs the socket's loop and then marks it ended.
    void RunLoop();
    /// Waits for a running loop to end, bounded or not; false if it still runs (at once when
    /// called on the loop's own thread).
    bool WaitForLoopEnd(bool bounded);
    /// Calls every listener of this datagram's list that has not been removed since.
    template <typename Call> void CallListeners(Call call);
    /// Marks the call to listener begun; false (and nothing marked) if it was removed.
    bool BeginCall(TuioListener* listener);
    void EndCall();

    /// A change received by "set", applied when its frame is committed.
    /// liveIndex is where the live one was at the "set"; it is checked again at commit.
    struct CursorChange
    {
        int32_t sessionID;
        float x, y, xSpeed, ySpeed, motionAccel;
        ptrdiff_t liveIndex;
    };
    struct ObjectChange
    {
        int32_t sessionID;
        float x, y, angle, xSpeed, ySpeed, rotationSpeed, motionAccel, rotationAccel;
        ptrdiff_t liveIndex;
    };

    void ProcessBundle(const osc::ReceivedBundle& bundle, const IpEndpointName& remoteEndpoint);
    void ProcessMessage(const osc::ReceivedMessage& message, const IpEndpointName& remoteEndpoint);

    void StampCurrentTime();
    void SetObject(osc::ReceivedMessageArgumentStream& args);
    void SetCursor(osc::ReceivedMessageArgumentStream& args);
    /// Remove what the last "alive" named and the new one (already read whole) does not.
    void RemoveObjects();
    void RemoveCursors();
    /// A container just taken out of the live list: reported to the listeners, then deleted
    /// (a cursor's ID goes back to the pool).
    void ObjectGone(TuioObject* object);
    void CursorGone(TuioCursor* cursor);
    /// "fseq": commits the profile's frame, or drops it when late, with what it made.
    void EndFrame(bool objects, int32_t frame);
    /// Removes the containers made since the profile's last "fseq" (its frame was late).
    void RemoveFrameObjects();
    void RemoveFrameCursors();
    bool IsLateFrame(int32_t frame) const;
    void CommitObjects();
    void CommitCursors();

    static TuioClient* s_TuioClient;

    std::unique_ptr<UdpReceiver> m_socket;

    /// Held while a datagram is handled: datagrams handed in from several threads are taken one
    /// at a time. Listener add and remove never take it.
    std::recursive_mutex m_packetMutex;
    /// Guards m_listeners; held only briefly, never while taking another lock or calling out.
    std::mutex m_listenerMutex;
    std::vector<TuioListener*> m_listeners;
    /// Bumped by every add and remove: while it equals m_callListVersion, m_callList (the
    /// listeners copied for the datagram in progress) holds no removed one.
    std::atomic<uint64_t> m_listenerVersion{0};
    std::vector<TuioListener*> m_callList;
    uint64_t m_callListVersion = 0;
    /// The listener being called, and the thread handling a datagram, for removals to wait on.
    std::atomic<TuioListener*> m_calling{nullptr};
    std::atomic<std::thread::id> m_processingThread{};
    std::atomic<int> m_removeWaiters{0};
    std::condition_variable m_callEnded;
    /// Element ranges of the bundles being walked, innermost last.
    std::vector<std::pair<const char*, const char*>> m_bundleStack;

    /// The live containers and, at the same index, their session IDs for quick look-ups.
    std::vector<TuioObject*> m_objects;
    std::vector<int32_t> m_objectSessionIDs;
    /// Where the next "set" most likely finds its live object: after the last one found.
    ptrdiff_t m_nextObjectIndex = 0;
    std::vector<ObjectChange> m_frameObjects;
    std::vector<int32_t> m_aliveObjectIDs;
    /// The same IDs sorted, for the "set" of a new session to be looked up in.
    std::vector<int32_t> m_aliveObjectIDsSorted;
    std::vector<int32_t> m_newObjectIDs;
    /// Sessions made since the last "fseq" and still live; at most MaxLiveContainers.
    std::vector<int32_t> m_frameNewObjects;

    std::vector<TuioCursor*> m_cursors;
    std::vector<int32_t> m_cursorSessionIDs;
    ptrdiff_t m_nextCursorIndex = 0;
    std::vector<CursorChange> m_frameCursors;
    std::vector<int32_t> m_aliveCursorIDs;
    std::vector<int32_t> m_aliveCursorIDsSorted;
    std::vector<int32_t> m_newCursorIDs;
    std::vector<int32_t> m_frameNewCursors;

    int32_t m_currentFrame = -1;
    TuioTime m_currentTime;

    CursorIDPool m_cursorIDs;

    std::thread m_thread;
    std::recursive_mutex m_objectMutex;
    std::recursive_mutex m_cursorMutex;
    std::atomic<bool> m_locked{false};
    std::atomic<bool> m_connected{false};
    /// True from connect() until the loop has returned, even after a disconnect() from a
    /// listener left the loop to finish on its own.
    std::atomic<bool> m_loopRunning{false};
    std::atomic<std::thread::id> m_loopThread{};
    std::mutex m_loopMutex;
    std::condition_variable m_loopEnded;
};

} // namespace TUIO
