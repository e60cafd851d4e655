// The game's touch path and frame cost, on the first herding level in the engine's window (run
// from the repository root under a display: tools/with-display.sh build/bench/game_bench).
//   Touch latency: from sendto of a TUIO bundle with a new touch to the bark's impulses on the
//   sheep, in milliseconds and in frames (1 = the first tick that starts after the datagram
//   arrived), with frames paced at 60 per second.
//   Frame cost: the level with 20 fingers moving every frame against the level without touches
//   (target: at most 1.1 times), and the share of a frame spent outside rendering.

#include "bench/FreeUdpPort.h"
#include "engine/messaging/Message.h"
#include "engine/messaging/Switchboard.h"
#include "engine/util/MathUtil.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/Camera.h"
#include "engine/world/FrameClock.h"
#include "engine/world/World.h"
#include "engine/world/glfw2/Glfw2.h"
#include "game/QuorvelManager.h"
#include "game/TuioScreenSheeps.h"
#include "tuio/TuioClient.h"
#include "tuio/TuioListener.h"

#include <oscpack/osc/OscOutboundPacketStream.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace
{
using Clock = std::chrono::steady_clock;
constexpr int kTouches = 400;
constexpr int kFrames = 2400;
constexpr int kBlock = 10;
constexpr int kFingers = 20;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

/// Median and 99th percentile.
void Print(const char* what, std::vector<double> values, const char* unit)
{
    std::sort(values.begin(), values.end());
    std::printf("  %-34s median %7.3f %s, 99th percentile %7.3f %s (%zu)\n", what,
                values[values.size() / 2], unit, values[values.size() * 99 / 100], unit,
                values.size());
}

class Manager : public ScreenManager
{
public:
    explicit Manager(TUIO::TuioClient* client) : ScreenManager(client, &QuorvelManager::MakeScreens)
    {
    }
};

/// Registered after the manager: a bundle's touch messages are queued when it is called.
class Arrivals : public TUIO::TuioListener
{
public:
    void addTuioObject(TUIO::TuioObject*) override {}
    void updateTuioObject(TUIO::TuioObject*) override {}
    void removeTuioObject(TUIO::TuioObject*) override {}
    void addTuioCursor(TUIO::TuioCursor*) override { added = true; }
    void updateTuioCursor(TUIO::TuioCursor*) override {}
    void removeTuioCursor(TUIO::TuioCursor*) override {}
    void refresh(TUIO::TuioTime) override
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (added)
            times.push_back({Clock::now(), tick.load(), Vector2()});
        added = false;
        ++refreshes;
        changed.notify_all();
    }
    void WaitFor(int count)
    {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return refreshes >= count; });
    }

    struct Arrival
    {
        Clock::time_point time;
        long tick;
        Vector2 where;
    };
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<Arrival> times;
    int refreshes = 0;
    bool added = false;
    std::atomic<long> tick{0};
};

/// Updated first in each tick, right after the messages were delivered: sees each bark by the
/// bark wave's move (a restarted level parks it out of sight again).
class Probe : public Renderable
{
public:
    explicit Probe(Arrivals& arrivals) : m_arrivals(arrivals) {}
    void Update(float) override
    {
        auto* screen = dynamic_cast<TuioScreenSheeps*>(screenSource());
        const Vector2 wave =
            screen && screen->GetBarkWave() ? screen->GetBarkWave()->GetPosition() : kParked;
        if (wave != m_last && wave != kParked)
            barks.push_back({Clock::now(), m_arrivals.tick.load(), wave});
        m_last = wave;
    }
    void Render() override {}

    std::function<TuioScreen*()> screenSource;
    std::vector<Arrivals::Arrival> barks;

private:
    static inline const Vector2 kParked = Vector2(-20.0f, -20.0f);
    Arrivals& m_arrivals;
    Vector2 m_last = kParked;
};

class ManualClock : public FrameClock
{
public:
    double GetTime() override { return now; }
    double now = 0.0;
};

std::vector<char> Bundle(int fseq, const std::vector<std::pair<int, Vector2>>& cursors)
{
    std::vector<char> buffer(512 + 96 * cursors.size());
    osc::OutboundPacketStream stream(buffer.data(), buffer.size());
    stream << osc::BeginBundleImmediate << osc::BeginMessage("/tuio/2Dcur") << "alive";
    for (const auto& cursor : cursors)
        stream << osc::int32(cursor.first);
    stream << osc::EndMessage;
    for (const auto& [session, at] : cursors)
        stream << osc::BeginMessage("/tuio/2Dcur") << "set" << osc::int32(session) << at.X << at.Y
               << 0.0f << 0.0f << 0.0f << osc::EndMessage;
    stream << osc::BeginMessage("/tuio/2Dcur") << "fseq" << osc::int32(fseq) << osc::EndMessage
           << osc::EndBundle;
    buffer.resize(stream.Size());
    return buffer;
}

/// Left of the pen, close enough to push its sheep; each touch a pixel away from the last, so
/// that the bark wave moves for every bark.
Vector2 TouchAt(int i)
{
    return Vector2(0.02f + 0.001f * static_cast<float>(i % 8), 0.5f);
}

} // namespace

int main()
{
    World* world = World::GetInstance();
    if (!world->Initialize(1024, 768, "Tessaly Engine", false))
        return 1;
    world->SetupPhysics(Vector2(0.0f, 0.0f), Vector2(100.0f, 100.0f), Vector2(-100.0f, -100.0f));
    const int port = FreeUdpPort();
    TUIO::TuioClient client(port);
    client.connect(false);
    Manager manager(&client);
    Arrivals arrivals;
    client.addTuioListener(&arrivals);
    Probe* probe = new Probe(arrivals);
    probe->screenSource = [&] { return manager.GetScreens()[manager.GetCurrentScreenIndex()]; };
    world->Add(probe, -1000);
    manager.MoveForwards(); // the first herding level

    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(static_cast<uint16_t>(port));
    auto send = [&](const std::vector<char>& datagram) {
        sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<sockaddr*>(&to),
               sizeof(to));
    };

    // Touch latency, frames paced at 60 per second on the window system's clock.
    std::vector<Clock::time_point> sent(kTouches);
    std::atomic<bool> sending{true};
    std::thread sender(
        [&]
        {
            for (int i = 0; i < kTouches; ++i)
            {
                // Every tenth touch a longer pause, in which the level restarts.
                std::this_thread::sleep_for(
                    std::chrono::milliseconds((i % 10 == 0 ? 150 : 40) + (i * 7) % 23));
                const std::vector<char> add = Bundle(2 * i + 1, {{i + 1, TouchAt(i)}});
                sent[i] = Clock::now();
                send(add);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
                send(Bundle(2 * i + 2, {}));
            }
            sending = false;
        });
    const auto period = std::chrono::microseconds(16667);
    auto next = Clock::now();
    size_t restartedAt = 0;
    for (int after = 0; after < 30; after += sending ? 0 : 1)
    {
        ++arrivals.tick;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        world->TickAndRender();
        glfw2::SwapBuffers();
        if (probe->barks.size() >= restartedAt + 10)
        {
            restartedAt = probe->barks.size();
            // The sheep back in their pen, before they reach fire or meadow.
            Switchboard::GetInstance()->Broadcast(new Message("Restart"));
        }
        next += period;
        std::this_thread::sleep_until(next);
    }
    sender.join();

    // Each touch's bark is the first one after its arrival at the place it was made.
    std::vector<double> toArrival, toBark, frames;
    for (int i = 0; i < kTouches && i < static_cast<int>(arrivals.times.size()); ++i)
    {
        const Arrivals::Arrival& arrival = arrivals.times[i];
        const Vector2 where =
            MathUtil::ScreenToWorld(static_cast<int>(std::floor(1024 * TouchAt(i).X + 0.5f)),
                                    static_cast<int>(std::floor(768 * TouchAt(i).Y + 0.5f)));
        for (const Arrivals::Arrival& bark : probe->barks)
            if (bark.time > arrival.time && bark.where == where && bark.tick < arrival.tick + 10)
            {
                toArrival.push_back(Ms(arrival.time - sent[i]));
                toBark.push_back(Ms(bark.time - sent[i]));
                frames.push_back(static_cast<double>(bark.tick - arrival.tick));
                break;
            }
    }
    const size_t count = frames.size();
    std::printf("Touch latency, %zu of %d new touches barked within ten ticks, frames paced at 60 "
                "per second:\n",
                count, kTouches);
    Print("sendto to the manager's message", toArrival, "ms");
    Print("sendto to the impulse on the sheep", toBark, "ms");
    Print("ticks from arrival to the impulse", frames, "  ");
    const long late = std::count_if(frames.begin(), frames.end(), [](double f) { return f > 1; });
    std::printf("  applied in the first tick after arrival: %ld of %zu (target: all)\n",
                static_cast<long>(count) - late, count);

    // Frame cost: frames of 1/60 s on a manual clock, timed for real.
    ManualClock clock;
    world->SetClock(&clock);
    Switchboard::GetInstance()->Broadcast(new Message("Restart")); // the sheep back in the pen
    world->Tick(true);
    // Blocks of frames with and without fingers take turns, so that whatever else runs on the
    // machine weighs on both alike. The fingers of a frame are sent while the frame before it
    // renders, as a tracker would, and parsed by the receive thread meanwhile; they move over
    // the right half, away from the sheep, so that both kinds of frame show the same scene.
    std::vector<double> frameTimes[2], tickTimes[2];
    int refreshes = arrivals.refreshes;
    auto sendFingers = [&](int frame)
    {
        std::vector<std::pair<int, Vector2>> cursors;
        for (int f = 0; f < kFingers; ++f)
            cursors.push_back(
                {5000 + f, Vector2(0.55f + 0.02f * f, 0.1f + 0.0015f * (frame % 500))});
        send(Bundle(10000 + frame, cursors));
        ++refreshes;
    };
    for (int frame = 0; frame < kFrames; ++frame)
    {
        const int fingers = (frame / kBlock) % 2; // this frame's kind
        const bool nextFingers = ((frame + 1) / kBlock) % 2 == 1;
        if (frame == 0 && fingers)
            sendFingers(frame);
        if (fingers)
            arrivals.WaitFor(refreshes); // arrived long since, as a rule
        clock.now += 1.0 / 60.0;
        const auto start = Clock::now();
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        world->Tick(true);
        const auto ticked = Clock::now();
        if (nextFingers)
            sendFingers(frame + 1);
        else if (fingers)
        {
            send(Bundle(10000 + frame + 1, {})); // lifted
            ++refreshes;
        }
        Camera::GetInstance()->Render();
        world->DrawRenderables();
        manager.Render();
        glFinish();
        const auto end = Clock::now();
        glfw2::SwapBuffers();
        frameTimes[fingers].push_back(Ms(end - start));
        tickTimes[fingers].push_back(Ms(ticked - start));
    }
    double frameMs[2], tickMs[2];
    for (int run : {0, 1})
    {
        std::sort(frameTimes[run].begin(), frameTimes[run].end());
        std::sort(tickTimes[run].begin(), tickTimes[run].end());
        frameMs[run] = frameTimes[run][frameTimes[run].size() / 2];
        tickMs[run] = tickTimes[run][tickTimes[run].size() / 2];
    }
    std::printf("Frame cost of bush_level1, median of %d frames each, in blocks of %d:\n",
                kFrames / 2, kBlock);
    for (int run : {0, 1})
        std::printf("  %2d fingers moving: %.3f ms a frame, %.3f ms (%.1f %%) outside rendering\n",
                    run ? kFingers : 0, frameMs[run], tickMs[run],
                    100.0 * tickMs[run] / frameMs[run]);
    std::printf("  ratio %.3f (target: at most 1.1)\n", frameMs[1] / frameMs[0]);
    world->SetClock(nullptr);
    client.disconnect();
    close(fd);
    world->Destroy();
    return 0;
}
