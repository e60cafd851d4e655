#include "tuio/TuioClient.h"

#include "tuio/TuioCursor.h"
#include "tuio/TuioObject.h"
#include "tuio/UdpReceiver.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <iterator>

namespace TUIO
{

namespace
{
constexpr int DefaultPort = 3333;

/// The live container with sessionID, or null.
template <typename Container>
Container* FindBySessionID(const std::vector<Container*>& live, long sessionID)
{
    for (Container* container : live)
    {
        if (container->getSessionID() == sessionID)
        {
            return container;
        }
    }
    return nullptr;
}

/// How long connect() waits for a loop that a listener's disconnect() left finishing.
constexpr std::chrono::seconds PreviousLoopWait{2};

/// The list locks the calling thread asked for, innermost last, each with whether it took its
/// mutex (a lock while unconnected takes nothing): an unlock releases exactly what its lock
/// took, even when the client connected or disconnected in between.
thread_local std::vector<std::pair<const std::recursive_mutex*, bool>> t_listLocks;

bool HoldsListLock()
{
    return std::any_of(t_listLocks.begin(), t_listLocks.end(),
                       [](const auto& lock) { return lock.second; });
}
} // namespace

TuioClient* TuioClient::s_TuioClient = nullptr;

TuioClient* TuioClient::GetInstance()
{
    static std::once_flag created;
    std::call_once(created, [] { s_TuioClient = new TuioClient(DefaultPort); });
    return s_TuioClient;
}

TuioClient::TuioClient(int port)
{
    auto socket = std::make_unique<UdpReceiver>();
    int error = 0;
    if (!socket->Bind(port, &error))
    {
        std::cerr << "could not bind to UDP port " << port << ": " << std::strerror(error)
                  << std::endl;
        return;
    }
    m_socket = std::move(socket);
    std::cout << "listening to TUIO messages on UDP port " << port << std::endl;
}

TuioClient::~TuioClient()
{
    disconnect();
    // A loop that a listener's disconnect() left finishing still uses the members.
    WaitForLoopEnd(false);
    for (TuioObject* object : m_objects)
    {
        delete object;
    }
    for (TuioCursor* cursor : m_cursors)
    {
        delete cursor;
    }
}

void TuioClient::connect(bool lock)
{
    if (!m_socket || m_connected.load())
    {
        return;
    }
    // Two loops would share the socket's buffer and the frame state.
    if (!WaitForLoopEnd(true))
    {
        return;
    }
    TuioTime::initSession();
    m_currentTime.reset();
    m_locked.store(lock);
    // A disconnect() from now on ends the loop even if it comes before the loop starts.
    m_socket->ResetBreak();
    m_loopRunning.store(true);
    // Connected before the loop starts rather than after it: with lock true the loop runs on
    // this thread until disconnect() breaks it, and disconnect() and the list locks act only
    // on a connected client. Set afterwards, nothing could end that loop, readers could not
    // lock the lists it fills, and the client would claim a connection once the loop is over.
    m_connected.store(true);
    if (lock)
    {
        RunLoop();
    }
    else
    {
        m_thread = std::thread(ClientThreadFunc, this);
    }
}

void TuioClient::disconnect()
{
    if (!m_socket || !m_connected.load())
    {
        return;
    }
    m_socket->Break();
    if (m_thread.joinable())
    {
        if (m_thread.get_id() == std::this_thread::get_id())
        {
            // Called by a listener: the loop ends once that call returns.
            m_thread.detach();
        }
        else
        {
            m_thread.join();
        }
    }
    // The loop connect(true) runs on its caller (returns at once on the loop's own thread).
    WaitForLoopEnd(false);
    m_connected.store(false);
}

unsigned long TuioClient::ClientThreadFunc(void* client)
{
    static_cast<TuioClient*>(client)->RunLoop();
    return 0;
}

void TuioClient::RunLoop()
{
    m_loopThread.store(std::this_thread::get_id());
    m_socket->Run(*this);
    // Notified under the lock: a waiter may destroy the client as soon as it is released.
    std::lock_guard<std::mutex> guard(m_loopMutex);
    m_loopRunning.store(false);
    m_loopEnded.notify_all();
}

bool TuioClient::WaitForLoopEnd(bool bounded)
{
    std::unique_lock<std::mutex> lock(m_loopMutex);
    auto ended = [this] { return !m_loopRunning.load(); };
    if (ended() || m_loopThread.load() == std::this_thread::get_id())
    {
        return ended();
    }
    if (bounded)
    {
        return m_loopEnded.wait_for(lock, PreviousLoopWait, ended);
    }
    m_loopEnded.wait(lock, ended);
    return true;
}

void TuioClient::addTuioListener(TuioListener* listener)
{
    std::lock_guard<std::mutex> guard(m_listenerMutex);
    m_listeners.push_back(listener);
    m_listenerVersion.fetch_add(1);
}

void TuioClient::removeTuioListener(TuioListener* listener)
{
    std::unique_lock<std::mutex> lock(m_listenerMutex);
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener),
                      m_listeners.end());
    // Sequentially consistent with BeginCall: either the call sees the new version and skips
    // the listener, or this sees the listener marked as called and waits for it.
    m_listenerVersion.fetch_add(1);
    if (m_processingThread.load() == std::this_thread::get_id() || HoldsListLock())
    {
        return; // waiting could deadlock: see the header
    }
    ++m_removeWaiters;
    while (m_calling.load() == listener)
    {
        // EndCall's notification may be missed (it does not lock unless it sees a waiter): the
        // wait polls too.
        m_callEnded.wait_for(lock, std::chrono::milliseconds(1));
    }
    --m_removeWaiters;
}

std::list<TuioObject*> TuioClient::getTuioObjects()
{
    std::lock_guard<std::recursive_mutex> guard(m_objectMutex);
    return std::list<TuioObject*>(m_objects.begin(), m_objects.end());
}

std::list<TuioCursor*> TuioClient::getTuioCursors()
{
    std::lock_guard<std::recursive_mutex> guard(m_cursorMutex);
    return std::list<TuioCursor*>(m_cursors.begin(), m_cursors.end());
}

TuioObject* TuioClient::getTuioObject(long sessionID)
{
    std::lock_guard<std::recursive_mutex> guard(m_objectMutex);
    return FindBySessionID(m_objects, sessionID);
}

TuioCursor* TuioClient::getTuioCursor(long sessionID)
{
    std::lock_guard<std::recursive_mutex> guard(m_cursorMutex);
    return FindBySessionID(m_cursors, sessionID);
}

void TuioClient::lockObjectList()
{
    LockList(m_objectMutex);
}

void TuioClient::unlockObjectList()
{
    UnlockList(m_objectMutex);
}

void TuioClient::lockCursorList()
{
    LockList(m_cursorMutex);
}

void TuioClient::unlockCursorList()
{
    UnlockList(m_cursorMutex);
}

void TuioClient::LockList(std::recursive_mutex& mutex)
{
    const bool take = m_connected.load();
    if (take)
    {
        mutex.lock();
    }
    t_listLocks.emplace_back(&mutex, take);
}

void TuioClient::UnlockList(std::recursive_mutex& mutex)
{
    auto lock = std::find_if(t_listLocks.rbegin(), t_listLocks.rend(),
                             [&mutex](const auto& held) { return held.first == &mutex; });
    if (lock == t_listLocks.rend())
    {
        return; // never locked by this thread
    }
    const bool taken = lock->second;
    t_listLocks.erase(std::next(lock).base());
    if (taken)
    {
        mutex.unlock();
    }
}

} // namespace TUIO
