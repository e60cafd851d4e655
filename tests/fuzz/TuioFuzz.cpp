// Feeds arbitrary datagrams to the TUIO client's packet entry point. One input is a series of
// datagrams split at "|--|", so frames, alive lists and free cursor IDs carry from one to the
// next as they do on the wire.
#include "tuio/TuioClient.h"
#include "tuio/TuioCursor.h"
#include "tuio/TuioListener.h"
#include "tuio/TuioObject.h"

#include <oscpack/ip/IpEndpointName.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <set>
#include <vector>

namespace
{

/// Reads all it is handed (a stale pointer shows under AddressSanitizer); traps if not finite.
class ReadingListener : public TUIO::TuioListener
{
public:
    void addTuioObject(TUIO::TuioObject* tobj) override { Read(tobj); }
    void updateTuioObject(TUIO::TuioObject* tobj) override { Read(tobj); }
    void removeTuioObject(TUIO::TuioObject* tobj) override { Read(tobj); }
    void addTuioCursor(TUIO::TuioCursor* tcur) override { Read(tcur); }
    void updateTuioCursor(TUIO::TuioCursor* tcur) override { Read(tcur); }
    void removeTuioCursor(TUIO::TuioCursor* tcur) override { Read(tcur); }
    void refresh(TUIO::TuioTime) override {}
    float sum = 0.0f;

private:
    void Read(TUIO::TuioContainer* container)
    {
        const auto* o = dynamic_cast<TUIO::TuioObject*>(container);
        for (float value :
             {container->getX(), container->getY(), container->getXSpeed(), container->getYSpeed(),
              container->getMotionAccel(), o ? o->getAngle() : 0, o ? o->getRotationSpeed() : 0,
              o ? o->getRotationAccel() : 0})
            if (!std::isfinite(value))
                __builtin_trap();
        sum += container->getX() + container->getMotionSpeed() +
               static_cast<float>(container->getPath().size() + container->getSessionID());
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // The client reports every bad datagram on standard error; that would swamp the fuzzer.
    std::cerr.setstate(std::ios::badbit);
    std::cout.setstate(std::ios::badbit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char Separator[] = "|--|";
    TUIO::TuioClient client(-1); // no socket: only the packet entry point is driven
    ReadingListener listener;
    client.addTuioListener(&listener);
    const IpEndpointName sender(IpEndpointName::ANY_ADDRESS, 3333);
    const char* end = reinterpret_cast<const char*>(data) + size;
    for (const char* begin = reinterpret_cast<const char*>(data); begin <= end;)
    {
        const char* next = static_cast<const char*>(
            memmem(begin, static_cast<size_t>(end - begin), Separator, sizeof(Separator) - 1));
        // A copy of exactly the datagram's size, so any read past it is caught.
        const std::vector<char> datagram(begin, next != nullptr ? next : end);
        client.ProcessPacket(datagram.empty() ? "" : datagram.data(),
                             static_cast<int>(datagram.size()), sender);
        // Live cursors are never removed ones and never share a cursor ID.
        std::set<int> ids;
        for (TUIO::TuioCursor* cursor : client.getTuioCursors())
            if (!ids.insert(cursor->getCursorID()).second ||
                cursor->getTuioState() == TUIO::TUIO_REMOVED)
                __builtin_trap();
        if (next == nullptr)
            break;
        begin = next + sizeof(Separator) - 1;
    }
    return 0;
}
