// Datagrams per second through the whole TUIO client (parse, list upkeep, listener calls) next
// to oscpack's bare parse of the same datagrams, the latency from sendto on loopback to the
// listener's update call, and the cost of one touch update with the game's copy of the cursor
// for an old touch against a young one. Run from the repository root: build/bench/tuio_bench

#include "bench/BenchTimer.h"
#include "bench/FreeUdpPort.h"
#include "tuio/TuioClient.h"
#include "tuio/TuioCursor.h"
#include "tuio/TuioListener.h"

#include <oscpack/ip/IpEndpointName.h>
#include <oscpack/osc/OscOutboundPacketStream.h>
#include <oscpack/osc/OscReceivedElements.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;
using Datagram = std::vector<char>;

constexpr int FramesPerTouch = 500; // touches last this many frames, then new ones come

/// One frame of touches moving across the table, as a tracker sends it.
Datagram MovingFrame(int frame, int touches, int fseq)
{
    int generation = frame / FramesPerTouch;
    int step = frame % FramesPerTouch;
    std::vector<char> buffer(256 + 96 * touches);
    osc::OutboundPacketStream stream(buffer.data(), buffer.size());
    stream << osc::BeginBundleImmediate << osc::BeginMessage("/tuio/2Dcur") << "alive";
    for (int i = 0; i < touches; ++i)
    {
        stream << osc::int32(generation * 1000 + i + 1);
    }
    stream << osc::EndMessage;
    for (int i = 0; i < touches; ++i)
    {
        float x = 0.1f + 0.0015f * static_cast<float>(step);
        float y = 0.02f + 0.045f * static_cast<float>(i);
        stream << osc::BeginMessage("/tuio/2Dcur") << "set" << osc::int32(generation * 1000 + i + 1)
               << x << y << 0.09f << 0.0f << 0.0f << osc::EndMessage;
    }
    stream << osc::BeginMessage("/tuio/2Dcur") << "fseq" << osc::int32(fseq) << osc::EndMessage
           << osc::EndBundle;
    buffer.resize(stream.Size());
    return buffer;
}

/// Does what a cheap real listener does: looks at the values it is handed.
class CountingListener : public TUIO::TuioListener
{
public:
    void addTuioObject(TUIO::TuioObject*) override {}
    void updateTuioObject(TUIO::TuioObject*) override {}
    void removeTuioObject(TUIO::TuioObject*) override {}
    void addTuioCursor(TUIO::TuioCursor* tcur) override { sum += tcur->getX(); }
    void updateTuioCursor(TUIO::TuioCursor* tcur) override
    {
        sum += tcur->getX();
        ++updates;
        if (onUpdate)
        {
            onUpdate();
        }
    }
    void removeTuioCursor(TUIO::TuioCursor* tcur) override { sum += tcur->getY(); }
    void refresh(TUIO::TuioTime) override { ++refreshes; }

    double sum = 0.0;
    long updates = 0;
    long refreshes = 0;
    void (*onUpdate)() = nullptr;
};

/// oscpack alone: the same elements and arguments the client reads, and nothing else.
double BareParse(const Datagram& datagram)
{
    double sum = 0.0;
    osc::ReceivedPacket packet(datagram.data(), datagram.size());
    osc::ReceivedBundle bundle(packet);
    for (auto it = bundle.ElementsBegin(); it != bundle.ElementsEnd(); ++it)
    {
        osc::ReceivedMessage message(*it);
        if (std::strcmp(message.AddressPattern(), "/tuio/2Dcur") != 0)
        {
            continue;
        }
        osc::ReceivedMessageArgumentStream args = message.ArgumentStream();
        const char* command;
        args >> command;
        osc::int32 id;
        if (std::strcmp(command, "set") == 0)
        {
            float x, y, xSpeed, ySpeed, accel;
            args >> id >> x >> y >> xSpeed >> ySpeed >> accel;
            sum += x + y + xSpeed + ySpeed + accel + id;
        }
        else if (std::strcmp(command, "alive") == 0)
        {
            while (!args.Eos())
            {
                args >> id;
                sum += id;
            }
        }
        else if (std::strcmp(command, "fseq") == 0)
        {
            args >> id;
            sum += id;
        }
    }
    return sum;
}

template <typename Work>
double DatagramsPerSecond(const std::vector<Datagram>& datagrams, Work work)
{
    // Whole passes over the frames until half a second has gone by.
    long count = 0;
    Clock::time_point start = Clock::now();
    Clock::duration elapsed{};
    do
    {
        for (const Datagram& datagram : datagrams)
        {
            work(datagram);
        }
        count += static_cast<long>(datagrams.size());
        elapsed = Clock::now() - start;
    } while (elapsed < std::chrono::milliseconds(500));
    return count / std::chrono::duration<double>(elapsed).count();
}

void Throughput(int touches)
{
    std::vector<Datagram> datagrams;
    for (int frame = 0; frame < 2 * FramesPerTouch; ++frame)
    {
        datagrams.push_back(MovingFrame(frame, touches, frame + 1));
    }
    TUIO::TuioClient client(FreeUdpPort());
    CountingListener listener;
    client.addTuioListener(&listener);
    IpEndpointName sender(IpEndpointName::ANY_ADDRESS, 3333);
    volatile double sink = 0.0;

    // Best of three interleaved runs each, so both see the same machine state.
    double bare = 0.0;
    double whole = 0.0;
    for (int run = 0; run < 3; ++run)
    {
        bare = std::max(bare, DatagramsPerSecond(datagrams, [&](const Datagram& datagram)
                                                 { sink = sink + BareParse(datagram); }));
        whole =
            std::max(whole, DatagramsPerSecond(datagrams,
                                               [&](const Datagram& datagram) {
                                                   client.ProcessPacket(
                                                       datagram.data(),
                                                       static_cast<int>(datagram.size()), sender);
                                               }));
    }
    std::printf("%2d cursors/bundle (%zu bytes): client %10.0f datagrams/s, oscpack bare parse "
                "%10.0f datagrams/s, client time / bare parse time %.2f (target <= 2)\n",
                touches, datagrams[1].size(), whole, bare, bare / whole);
    if (listener.refreshes == 0)
    {
        std::printf("  (no frame reached the listener)\n");
    }
}

std::mutex s_latencyMutex;
std::condition_variable s_latencyChanged;
Clock::time_point s_updateTime;
long s_updateCount = 0;

void OnUpdate()
{
    Clock::time_point now = Clock::now();
    {
        std::lock_guard<std::mutex> lock(s_latencyMutex);
        s_updateTime = now;
        ++s_updateCount;
    }
    s_latencyChanged.notify_one();
}

void Latency(int samples)
{
    int port = FreeUdpPort();
    TUIO::TuioClient client(port);
    CountingListener listener;
    listener.onUpdate = OnUpdate;
    client.addTuioListener(&listener);
    client.connect(false);
    if (!client.isConnected())
    {
        std::printf("latency: no socket\n");
        return;
    }

    int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));

    constexpr int Warmup = 200;
    std::vector<double> microseconds;
    int lost = 0;
    for (int i = 0; i < samples + Warmup; ++i)
    {
        // Alternating positions: every frame after the first is a change, so an update.
        Datagram datagram = MovingFrame(i % 2, 1, i + 1);
        long expected;
        {
            std::lock_guard<std::mutex> lock(s_latencyMutex);
            expected = s_updateCount + (i == 0 ? 0 : 1);
        }
        Clock::time_point sent = Clock::now();
        sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&address),
               sizeof(address));
        std::unique_lock<std::mutex> lock(s_latencyMutex);
        bool arrived = s_latencyChanged.wait_for(lock, std::chrono::seconds(1),
                                                 [&] { return s_updateCount >= expected; });
        if (i == 0)
        {
            continue; // the add
        }
        if (!arrived)
        {
            ++lost;
            continue;
        }
        if (i >= Warmup)
        {
            microseconds.push_back(
                std::chrono::duration<double, std::micro>(s_updateTime - sent).count());
        }
    }
    close(fd);
    client.disconnect();

    std::sort(microseconds.begin(), microseconds.end());
    if (microseconds.empty())
    {
        std::printf("latency: no sample arrived\n");
        return;
    }
    double median = microseconds[microseconds.size() / 2];
    double p99 = microseconds[std::min(microseconds.size() - 1, microseconds.size() * 99 / 100)];
    std::printf("latency sendto -> updateTuioCursor on loopback, %zu samples: median %.1f us, "
                "99th percentile %.1f us, max %.1f us, lost %d\n",
                microseconds.size(), median, p99, microseconds.back(), lost);
}

/// One update of a touch as the game sees it: the client's update of its cursor with given
/// values, then the game manager's copy of it for a message, and that copy's delete.
void UpdateAndCopy(TUIO::TuioCursor& cursor)
{
    static long s_milliseconds = 0;
    static volatile float s_sink = 0.0f;
    s_milliseconds += 16;
    float x = 0.1f + 0.0008f * static_cast<float>(s_milliseconds / 16 % 1000);
    cursor.update(TUIO::TuioTime(s_milliseconds), x, 0.5f, 0.05f, 0.0f, 0.0f);
    TUIO::TuioCursor* copy = new TUIO::TuioCursor(cursor);
    s_sink = s_sink + copy->getX();
    delete copy;
}

void TouchAge()
{
    constexpr int UpdatesPerSecond = 60;
    const int ages[2] = {UpdatesPerSecond, UpdatesPerSecond * 3600}; // 1 s, 1 h
    std::vector<TUIO::TuioCursor> aged;
    for (int age : ages)
    {
        aged.emplace_back(TUIO::TuioTime(0), 1, 0, 0.5f, 0.5f);
        for (int i = 0; i < age; ++i)
        {
            UpdateAndCopy(aged.back());
        }
    }
    // Each measured update runs on a fresh copy of the aged touch, so measuring does not age
    // it; the two ages take turns so that both see the same machine state.
    constexpr int Touches = 50;
    std::vector<TUIO::TuioCursor> touches;
    double best[2] = {1e30, 1e30};
    for (int trial = 0; trial < 40; ++trial)
    {
        for (int i = 0; i < 2; ++i)
        {
            touches.assign(Touches, aged[i]);
            best[i] = std::min(best[i], TimeOf(
                                            [&]
                                            {
                                                for (TUIO::TuioCursor& cursor : touches)
                                                {
                                                    UpdateAndCopy(cursor);
                                                }
                                            }));
        }
    }
    double young = best[0] / Touches * 1e9;
    double old = best[1] / Touches * 1e9;
    std::printf("update + message copy of a touch: 1 s old (%d updates) %.0f ns, 1 h old (%d "
                "updates) %.0f ns, old / young %.2f (target <= 1.1)\n",
                ages[0], young, ages[1], old, old / young);
}
} // namespace

int main()
{
    Throughput(1);
    Throughput(20);
    Latency(10000);
    TouchAge();
    return 0;
}
