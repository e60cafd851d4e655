// TuioClient's receive side: the datagram walk, "set"/"alive"/"fseq" handling, frame commits
// and the listener calls they make.
#include "tuio/TuioClient.h"

#include "tuio/OscPacketChecks.h"
#include "tuio/TuioCursor.h"
#include "tuio/TuioListener.h"
#include "tuio/TuioObject.h"

#include <oscpack/osc/OscReceivedElements.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <iostream>
#include <utility>

namespace TUIO
{

namespace
{
/// A frame number at most this far behind the current one is a late frame and dropped; one
/// further behind means the tracker restarted its count.
constexpr int32_t MaxLateFrames = 100;

/// Rejects a "set" that carries a value that is not a finite number, as it would a malformed
/// one: a NaN or infinite position or speed would turn the game's bodies and scores into NaN.
void CheckFinite(std::initializer_list<float> values)
{
    for (float value : values)
    {
        if (!std::isfinite(value))
        {
            throw osc::Exception("value not finite");
        }
    }
}

void ReadAliveIDs(osc::ReceivedMessageArgumentStream& args, std::vector<int32_t>& ids)
{
    ids.clear();
    while (!args.Eos())
    {
        osc::int32 id;
        args >> id;
        ids.push_back(id);
    }
}

/// Whether the string at s is text (given with its terminator padded to whole words). s is from
/// a message CheckMessage passed, so zero-padded to whole words: compared word by word, nothing
/// past the word holding its terminator is read.
template <std::size_t N> inline bool IsOscString(const char* s, const char (&text)[N])
{
    static_assert(N % 4 == 0, "pad the text to whole words");
    bool same = std::memcmp(s, text, 4) == 0;
    for (std::size_t i = 4; same && i < N; i += 4)
    {
        same = std::memcmp(s + i, text + i, 4) == 0;
    }
    return same;
}

/// The index of sessionID among the live session IDs, or -1. Trackers name their touches in
/// the same order every frame, so the likely index is tried first.
ptrdiff_t FindLive(const std::vector<int32_t>& sessionIDs, int32_t sessionID,
                   ptrdiff_t likelyIndex = -1)
{
    if (likelyIndex >= 0 && likelyIndex < static_cast<ptrdiff_t>(sessionIDs.size()) &&
        sessionIDs[likelyIndex] == sessionID)
    {
        return likelyIndex;
    }
    auto it = std::find(sessionIDs.begin(), sessionIDs.end(), sessionID);
    return it == sessionIDs.end() ? -1 : it - sessionIDs.begin();
}

/// Files the change a "set" brought for commit at "fseq". A session's newest "set" is the truth
/// (a moving finger may send several in one frame): it replaces the change queued for that
/// session earlier in the frame, or cancels it when it brings back the live values (unchanged).
/// Once the frame holds MaxLiveContainers changes, one for another session is dropped.
template <typename Change>
void QueueChange(std::vector<Change>& frame, const Change& change, bool unchanged)
{
    auto queued = std::find_if(frame.begin(), frame.end(),
                               [&change](const Change& earlier)
                               { return earlier.sessionID == change.sessionID; });
    if (queued != frame.end())
    {
        if (unchanged)
        {
            frame.erase(queued);
        }
        else
        {
            *queued = change;
        }
    }
    else if (!unchanged && frame.size() < MaxLiveContainers)
    {
        frame.push_back(change);
    }
}

/// The IDs of aliveIDs, in order, left once each ID of newIDs has taken out one occurrence of
/// itself (its first). Sorted counts keep this quick for an "alive" of thousands of IDs.
std::vector<int32_t> NotNamedAgain(const std::vector<int32_t>& aliveIDs,
                                   const std::vector<int32_t>& newIDs)
{
    std::vector<int32_t> named(newIDs);
    std::sort(named.begin(), named.end());
    std::vector<std::pair<int32_t, size_t>> counts;
    for (int32_t id : named)
    {
        if (counts.empty() || counts.back().first != id)
        {
            counts.emplace_back(id, 0);
        }
        ++counts.back().second;
    }
    std::vector<int32_t> gone;
    for (int32_t id : aliveIDs)
    {
        auto count = std::lower_bound(counts.begin(), counts.end(), std::make_pair(id, size_t(0)));
        if (count != counts.end() && count->first == id && count->second > 0)
        {
            --count->second;
        }
        else
        {
            gone.push_back(id);
        }
    }
    return gone;
}

/// Takes the live containers of the sessions out of the live list, each under the list's lock,
/// and hands each to gone.
template <typename Container, typename Gone>
void RemoveSessions(const std::vector<int32_t>& sessions, std::vector<Container*>& live,
                    std::vector<int32_t>& sessionIDs, std::recursive_mutex& mutex, Gone gone)
{
    for (int32_t sessionID : sessions)
    {
        std::lock_guard<std::recursive_mutex> guard(mutex);
        ptrdiff_t index = FindLive(sessionIDs, sessionID);
        if (index >= 0)
        {
            Container* container = live[index];
            live.erase(live.begin() + index);
            sessionIDs.erase(sessionIDs.begin() + index);
            gone(container);
        }
    }
}

/// Removes the live containers that the last "alive" (aliveIDs) named and the new one (newIDs)
/// does not (see RemoveSessions). The new IDs become the alive ones, and sorted the looked-up
/// ones.
template <typename Container, typename Gone>
void RemoveGone(std::vector<int32_t>& aliveIDs, std::vector<int32_t>& aliveSorted,
                std::vector<int32_t>& newIDs, std::vector<Container*>& live,
                std::vector<int32_t>& sessionIDs, std::recursive_mutex& mutex, Gone gone)
{
    if (newIDs == aliveIDs)
    {
        newIDs.clear(); // the same touches as last time: none gone
        return;
    }
    RemoveSessions(NotNamedAgain(aliveIDs, newIDs), live, sessionIDs, mutex, gone);
    aliveIDs.swap(newIDs);
    newIDs.clear();
    aliveSorted = aliveIDs;
    std::sort(aliveSorted.begin(), aliveSorted.end());
}

bool IsNamed(const std::vector<int32_t>& sorted, int32_t sessionID)
{
    return std::binary_search(sorted.begin(), sorted.end(), sessionID);
}

/// Takes sessionID out of ids, if it is there.
void Forget(std::vector<int32_t>& ids, int32_t sessionID)
{
    auto found = std::find(ids.begin(), ids.end(), sessionID);
    if (found != ids.end())
    {
        ids.erase(found);
    }
}

/// Removes the live containers made since the profile's last "fseq" (madeIDs, emptied), whose
/// frame was late, and forgets that the late frame's "alive" named them: a "set" before the
/// next "alive" makes none again.
template <typename Container, typename Gone>
void RemoveMadeInFrame(std::vector<int32_t>& madeIDs, std::vector<int32_t>& aliveIDs,
                       std::vector<int32_t>& aliveSorted, std::vector<Container*>& live,
                       std::vector<int32_t>& sessionIDs, std::recursive_mutex& mutex, Gone gone)
{
    std::vector<int32_t> made;
    made.swap(madeIDs);
    RemoveSessions(made, live, sessionIDs, mutex, gone);
    for (int32_t sessionID : made)
    {
        Forget(aliveIDs, sessionID);
        Forget(aliveSorted, sessionID);
    }
}

/// Updates the live container of each change, if it is still there, under the list's lock;
/// the listener call that update returns is made after the lock is released.
template <typename Container, typename Change, typename Update, typename Notify>
void CommitChanges(const std::vector<Change>& changes, const std::vector<Container*>& live,
                   const std::vector<int32_t>& sessionIDs, std::recursive_mutex& mutex,
                   Update update, Notify notify)
{
    for (const Change& change : changes)
    {
        std::unique_lock<std::recursive_mutex> lock(mutex);
        ptrdiff_t index = FindLive(sessionIDs, change.sessionID, change.liveIndex);
        if (index >= 0)
        {
            auto call = update(live[index], change);
            lock.unlock();
            notify(call);
        }
    }
}
} // namespace

inline bool TuioClient::BeginCall(TuioListener* listener)
{
    m_calling.store(listener);
    if (m_listenerVersion.load() == m_callListVersion)
    {
        return true;
    }
    std::lock_guard<std::mutex> guard(m_listenerMutex);
    if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end())
    {
        return true;
    }
    m_calling.store(nullptr, std::memory_order_release);
    return false;
}

inline void TuioClient::EndCall()
{
    m_calling.store(nullptr, std::memory_order_release);
    if (m_removeWaiters.load(std::memory_order_relaxed) > 0)
    {
        std::lock_guard<std::mutex> guard(m_listenerMutex);
        m_callEnded.notify_all();
    }
}

template <typename Call> void TuioClient::CallListeners(Call call)
{
    for (TuioListener* listener : m_callList)
    {
        if (BeginCall(listener))
        {
            call(listener);
            EndCall();
        }
    }
}

void TuioClient::ProcessPacket(const char* data, int size, const IpEndpointName& remoteEndpoint)
{
    if (data == nullptr || size <= 0)
    {
        return;
    }
    std::lock_guard<std::recursive_mutex> guard(m_packetMutex);
    if (m_listenerVersion.load(std::memory_order_acquire) != m_callListVersion)
    {
        std::lock_guard<std::mutex> listenersGuard(m_listenerMutex);
        m_callList = m_listeners;
        m_callListVersion = m_listenerVersion.load();
    }
    std::thread::id outerThread = m_processingThread.exchange(std::this_thread::get_id());
    try
    {
        osc::ReceivedPacket packet(data, static_cast<std::size_t>(size));
        if (packet.IsBundle())
        {
            CheckBundleElementSizes(packet.Contents(), packet.Size());
            ProcessBundle(osc::ReceivedBundle(packet), remoteEndpoint);
        }
        else
        {
            CheckMessage(packet.Contents(), packet.Size());
            ProcessMessage(osc::ReceivedMessage(packet), remoteEndpoint);
        }
    }
    catch (const osc::MalformedBundleException& e)
    {
        std::cerr << "malformed OSC bundle" << std::endl << e.what() << std::endl;
    }
    catch (const osc::Exception&)
    {
        // Not OSC at all (empty, not a multiple of four bytes, a broken message): dropped.
    }
    m_processingThread.store(outerThread);
}

void TuioClient::ProcessBundle(const osc::ReceivedBundle& bundle,
                               const IpEndpointName& remoteEndpoint)
{
    // Nested bundles are walked with a stack of their element ranges rather than by recursion:
    // a 64 KB datagram can nest thousands of bundles deep.
    auto position = [](const osc::ReceivedBundleElementIterator& it)
    { return it->Contents() - osc::OSC_SIZEOF_INT32; };
    m_bundleStack.clear();
    m_bundleStack.emplace_back(position(bundle.ElementsBegin()), position(bundle.ElementsEnd()));
    try
    {
        while (!m_bundleStack.empty())
        {
            auto& range = m_bundleStack.back();
            if (range.first == range.second)
            {
                m_bundleStack.pop_back();
                continue;
            }
            // The enclosing bundle's check passed this size: not negative, within the bundle.
            const osc::ReceivedBundleElement element(range.first);
            const int32_t size = BundleElementSize(range.first);
            const char* contents = range.first + osc::OSC_SIZEOF_INT32;
            range.first = contents + size;
            if (size > 0 && contents[0] == '#') // what oscpack takes for a bundle
            {
                CheckBundleElementSizes(contents, size);
                osc::ReceivedBundle inner(element);
                m_bundleStack.emplace_back(position(inner.ElementsBegin()),
                                           position(inner.ElementsEnd()));
            }
            else
            {
                CheckMessage(contents, size);
                ProcessMessage(osc::ReceivedMessage(element), remoteEndpoint);
            }
        }
    }
    catch (const osc::Exception& e)
    {
        std::cerr << "malformed OSC bundle" << std::endl << e.what() << std::endl;
    }
}

void TuioClient::ProcessMessage(const osc::ReceivedMessage& message, const IpEndpointName&)
{
    const char* address = message.AddressPattern();
    bool cursors = IsOscString(address, "/tuio/2Dcur");
    bool objects = !cursors && IsOscString(address, "/tuio/2Dobj");
    if (!cursors && !objects)
    {
        return;
    }
    try
    {
        osc::ReceivedMessageArgumentStream args = message.ArgumentStream();
        const char* command = nullptr;
        args >> command;
        if (IsOscString(command, "set"))
        {
            StampCurrentTime();
            if (objects)
            {
                SetObject(args);
            }
            else
            {
                SetCursor(args);
            }
        }
        else if (IsOscString(command, "alive\0\0"))
        {
            StampCurrentTime();
            if (objects)
            {
                ReadAliveIDs(args, m_newObjectIDs);
                RemoveObjects();
            }
            else
            {
                ReadAliveIDs(args, m_newCursorIDs);
                RemoveCursors();
            }
        }
        else if (IsOscString(command, "fseq\0\0\0"))
        {
            osc::int32 frame;
            args >> frame;
            EndFrame(objects, frame);
        }
    }
    catch (const osc::Exception& e)
    {
        std::cerr << "error parsing TUIO message: " << address << " - " << e.what() << std::endl;
    }
}

void TuioClient::StampCurrentTime()
{
    if (m_currentTime.getTotalMilliseconds() == 0)
    {
        m_currentTime = TuioTime::getSessionTime();
    }
}

void TuioClient::SetObject(osc::ReceivedMessageArgumentStream& args)
{
    osc::int32 sessionID, symbolID;
    ObjectChange change;
    args >> sessionID >> symbolID >> change.x >> change.y >> change.angle >> change.xSpeed >>
        change.ySpeed >> change.rotationSpeed >> change.motionAccel >> change.rotationAccel;
    CheckFinite({change.x, change.y, change.angle, change.xSpeed, change.ySpeed,
                 change.rotationSpeed, change.motionAccel, change.rotationAccel});
    change.sessionID = sessionID;

    // Only this side changes the list, and one datagram at a time: reading needs no lock.
    ptrdiff_t index = FindLive(m_objectSessionIDs, sessionID, m_nextObjectIndex);
    m_nextObjectIndex = index + 1;
    if (index < 0 &&
        (m_objects.size() >= MaxLiveContainers || !IsNamed(m_aliveObjectIDsSorted, sessionID)))
    {
        return;
    }
    if (index < 0)
    {
        std::lock_guard<std::recursive_mutex> guard(m_objectMutex);
        TuioObject* object =
            new TuioObject(m_currentTime, sessionID, symbolID, change.x, change.y, change.angle);
        m_objects.push_back(object);
        m_objectSessionIDs.push_back(sessionID);
        m_frameNewObjects.push_back(sessionID);
        CallListeners([object](TuioListener* l) { l->addTuioObject(object); });
        return;
    }
    const TuioObject* live = m_objects[index];
    const bool unchanged = live->getX() == change.x && live->getY() == change.y &&
                           live->getAngle() == change.angle && live->getXSpeed() == change.xSpeed &&
                           live->getYSpeed() == change.ySpeed &&
                           live->getRotationSpeed() == change.rotationSpeed &&
                           live->getMotionAccel() == change.motionAccel &&
                           live->getRotationAccel() == change.rotationAccel;
    change.liveIndex = index;
    QueueChange(m_frameObjects, change, unchanged);
}

void TuioClient::SetCursor(osc::ReceivedMessageArgumentStream& args)
{
    osc::int32 sessionID;
    CursorChange change;
    args >> sessionID >> change.x >> change.y >> change.xSpeed >> change.ySpeed >>
        change.motionAccel;
    CheckFinite({change.x, change.y, change.xSpeed, change.ySpeed, change.motionAccel});
    change.sessionID = sessionID;

    ptrdiff_t index = FindLive(m_cursorSessionIDs, sessionID, m_nextCursorIndex);
    m_nextCursorIndex = index + 1;
    if (index < 0 &&
        (m_cursors.size() >= MaxLiveContainers || !IsNamed(m_aliveCursorIDsSorted, sessionID)))
    {
        return;
    }
    if (index < 0)
    {
        std::lock_guard<std::recursive_mutex> guard(m_cursorMutex);
        int cursorID = m_cursorIDs.Take(change.x, change.y, m_cursors.size());
        TuioCursor* cursor = new TuioCursor(m_currentTime, sessionID, cursorID, change.x, change.y);
        m_cursors.push_back(cursor);
        m_cursorSessionIDs.push_back(sessionID);
        m_frameNewCursors.push_back(sessionID);
        CallListeners([cursor](TuioListener* l) { l->addTuioCursor(cursor); });
        return;
    }
    // The client's own cursors: no override to honour, so the getters are called directly.
    const TuioCursor* live = m_cursors[index];
    const bool unchanged = live->getX() == change.x && live->getY() == change.y &&
                           live->TuioContainer::getXSpeed() == change.xSpeed &&
                           live->TuioContainer::getYSpeed() == change.ySpeed &&
                           live->TuioContainer::getMotionAccel() == change.motionAccel;
    change.liveIndex = index;
    QueueChange(m_frameCursors, change, unchanged);
}

void TuioClient::RemoveObjects()
{
    RemoveGone(m_aliveObjectIDs, m_aliveObjectIDsSorted, m_newObjectIDs, m_objects,
               m_objectSessionIDs, m_objectMutex, [this](TuioObject* o) { ObjectGone(o); });
}

void TuioClient::RemoveCursors()
{
    RemoveGone(m_aliveCursorIDs, m_aliveCursorIDsSorted, m_newCursorIDs, m_cursors,
               m_cursorSessionIDs, m_cursorMutex, [this](TuioCursor* c) { CursorGone(c); });
}

void TuioClient::ObjectGone(TuioObject* object)
{
    Forget(m_frameNewObjects, object->getSessionID());
    object->remove(m_currentTime);
    CallListeners([object](TuioListener* l) { l->removeTuioObject(object); });
    delete object;
}

void TuioClient::CursorGone(TuioCursor* cursor)
{
    Forget(m_frameNewCursors, cursor->getSessionID());
    cursor->remove(m_currentTime);
    CallListeners([cursor](TuioListener* l) { l->removeTuioCursor(cursor); });
    m_cursorIDs.Release(cursor, m_cursors);
}

void TuioClient::RemoveFrameObjects()
{
    RemoveMadeInFrame(m_frameNewObjects, m_aliveObjectIDs, m_aliveObjectIDsSorted, m_objects,
                      m_objectSessionIDs, m_objectMutex, [this](TuioObject* o) { ObjectGone(o); });
}

void TuioClient::RemoveFrameCursors()
{
    RemoveMadeInFrame(m_frameNewCursors, m_aliveCursorIDs, m_aliveCursorIDsSorted, m_cursors,
                      m_cursorSessionIDs, m_cursorMutex, [this](TuioCursor* c) { CursorGone(c); });
}

bool TuioClient::IsLateFrame(int32_t frame) const
{
    return frame > 0 && frame < m_currentFrame && m_currentFrame - frame <= MaxLateFrames;
}

void TuioClient::EndFrame(bool objects, int32_t frame)
{
    bool late = IsLateFrame(frame);
    if (frame > 0 && !late)
    {
        m_currentFrame = frame;
    }
    if (!late)
    {
        if (objects)
        {
            CommitObjects();
        }
        else
        {
            CommitCursors();
        }
        CallListeners([this](TuioListener* l) { l->refresh(m_currentTime); });
        m_currentTime.reset();
    }
    else if (objects)
    {
        RemoveFrameObjects();
    }
    else
    {
        RemoveFrameCursors();
    }
    if (objects)
    {
        m_frameObjects.clear();
        m_frameNewObjects.clear();
    }
    else
    {
        m_frameCursors.clear();
        m_frameNewCursors.clear();
    }
}

void TuioClient::CommitObjects()
{
    CommitChanges(
        m_frameObjects, m_objects, m_objectSessionIDs, m_objectMutex,
        [this](TuioObject* object, const ObjectChange& c)
        {
            object->update(m_currentTime, c.x, c.y, c.angle, c.xSpeed, c.ySpeed, c.rotationSpeed,
                           c.motionAccel, c.rotationAccel);
            return [object](TuioListener* l) { l->updateTuioObject(object); };
        },
        [this](auto call) { CallListeners(call); });
}

void TuioClient::CommitCursors()
{
    CommitChanges(
        m_frameCursors, m_cursors, m_cursorSessionIDs, m_cursorMutex,
        [this](TuioCursor* cursor, const CursorChange& c)
        {
            cursor->update(m_currentTime, c.x, c.y, c.xSpeed, c.ySpeed, c.motionAccel);
            return [cursor](TuioListener* l) { l->updateTuioCursor(cursor); };
        },
        [this](auto call) { CallListeners(call); });
}

} // namespace TUIO
