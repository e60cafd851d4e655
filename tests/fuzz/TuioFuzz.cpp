// Feeds arbitrary datagrams to the TUIO client's packet entry point. One input is a series of
// datagrams split at "|--|", so frames, alive lists and free cursor IDs carry from one to the
// next as they do on the wire.
#include "tuio/TuioClient.h"
#include "tuio/TuioCursor.h"
#include "tuio/TuioListener.h"
#include "tuio/TuioObject.h"

#include <oscpack/ip/IpEndpointName.h>

#include <cstdint>
#include <cstring>
#include <iostream>
#include <set>
#include <streambuf>
#include <vector>

namespace
{
class NullBuffer : public std::streambuf
{
protected:
    int overflow(int c) override { return c; }
};

/// Reads everything it is handed, so a stale pointer shows under AddressSanitizer.
class ReadingListener : public TUIO::TuioListener
{
public:
    explicit ReadingListener(TUIO::TuioClient& client) : m_client(client) {}
    void addTuioObject(TUIO::TuioObject* tobj) override { Read(tobj); }
    void updateTuioObject(TUIO::TuioObject* tobj) override { Read(tobj); }
    void removeTuioObject(TUIO::TuioObject* tobj) override { Read(tobj); }
    void addTuioCursor(TUIO::TuioCursor* tcur) override { Read(tcur); }
    void updateTuioCursor(TUIO::TuioCursor* tcur) override { Read(tcur); }
    void removeTuioCursor(TUIO::TuioCursor* tcur) override { Read(tcur); }
    void refresh(TUIO::TuioTime) override { m_client.getTuioCursors(); }
    float sum = 0.0f;

private:
    void Read(TUIO::TuioContainer* container)
    {
        sum += container->getX() + container->getMotionSpeed() +
               static_cast<float>(container->getPath().size() + container->getSessionID());
    }
    TUIO::TuioClient& m_client;
};

/// Live cursors never share a cursor ID.
void CheckCursorIDs(TUIO::TuioClient& client)
{
    std::set<int> ids;
    for (TUIO::TuioCursor* cursor : client.getTuioCursors())
    {
        if (!ids.insert(cursor->getCursorID()).second ||
            cursor->getTuioState() == TUIO::TUIO_REMOVED)
        {
            __builtin_trap();
        }
    }
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The client reports every bad datagram on standard error; that would swamp the fuzzer.
    static NullBuffer silence;
    std::cerr.rdbuf(&silence);
    std::cout.rdbuf(&silence);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char Separator[] = "|--|";
    TUIO::TuioClient client(-1); // no socket: only the packet entry point is driven
    ReadingListener listener(client);
    client.addTuioListener(&listener);
    IpEndpointName sender(IpEndpointName::ANY_ADDRESS, 3333);

    const char* begin = reinterpret_cast<const char*>(data);
    const char* end = begin + size;
    while (begin <= end)
    {
        const char* next = static_cast<const char*>(
            memmem(begin, static_cast<size_t>(end - begin), Separator, sizeof(Separator) - 1));
        const char* stop = next != nullptr ? next : end;
        // A copy of exactly the datagram's size, so any read past it is caught.
        std::vector<char> datagram(begin, stop);
        client.ProcessPacket(datagram.empty() ? "" : datagram.data(),
                             static_cast<int>(datagram.size()), sender);
        CheckCursorIDs(client);
        if (next == nullptr)
        {
            break;
        }
        begin = next + sizeof(Separator) - 1;
    }
    return 0;
}
