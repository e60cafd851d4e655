// Cost of an open console's frame and of one write to it, after little and after much output.
//   Frame: the world's frame (tick and render, glFinish) with the console open after 10 lines,
//   after 100,000 lines and after a 10 MB line (target: at most 1.1 times the first); a panel
//   full of lines far wider than the window against one of lines that just fit (target: about
//   the same).
//   Write: one line written after those outputs (target: the same cost whatever came before),
//   and the filling writes themselves, per byte.
// Needs a display: run as tools/with-display.sh build/bench/console_bench.
#include "bench/BenchTimer.h"
#include "engine/actors/FontRegistry.h"
#include "engine/console/TestConsole.h"
#include "engine/util/opengl/GL.h"
#include "engine/world/World.h"

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace
{

constexpr int kFrames = 600;
constexpr int kRuns = 5;
constexpr int kWritesPerRun = 200;

/// What `print(chr(10).join(map(str, range(first, end))))` hands to the console: one write.
String Numbers(int first, int end)
{
    String text;
    for (int i = first; i < end; ++i)
        text += std::to_string(i) + "\n";
    return text;
}

/// 100 lines of `bytes` x's: 110 just fit into the window, 2,000 reach far beyond it.
String WideLines(size_t bytes)
{
    String text;
    for (int i = 0; i < 100; ++i)
        text += String(bytes, 'x') + "\n";
    return text;
}

const String kLine = "Test Console Echo: 12345\n";

/// One state to compare: a console per run of writes, each filled by the same write, so that
/// every run starts from that state.
struct Case
{
    const char* name;
    String filling;
    std::vector<std::unique_ptr<Console>> consoles = {};
    double fill = 1e30;  ///< best seconds for the filling write
    double frame = 0.0;  ///< median milliseconds per frame
    double write = 1e30; ///< best microseconds per later write of one line
};

void Fill(Case& c)
{
    for (int run = 0; run < kRuns; ++run)
    {
        c.consoles.push_back(std::make_unique<TestConsole>());
        Console& console = *c.consoles.back();
        c.fill = std::min(c.fill, TimeOf([&] { console.WriteToOutput(c.filling); }));
        console.Enable(true);
    }
}

double MillisecondsForAFrame(World* world)
{
    return TimeOf(
               [&]
               {
                   glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
                   world->TickAndRender();
                   glFinish();
               }) *
           1e3;
}

double MicrosecondsPerWrite(Console& console)
{
    return TimeOf(
               [&]
               {
                   for (int w = 0; w < kWritesPerRun; ++w)
                       console.WriteToOutput(kLine);
               }) /
           kWritesPerRun * 1e6;
}

} // namespace

int main()
{
    World* world = World::GetInstance();
    if (!world->Initialize(1024, 768, "Tessaly Engine", false))
    {
        std::fprintf(stderr, "console_bench: no window (run under tools/with-display.sh)\n");
        return 1;
    }
    Console* registered = world->GetConsole();

    // The ten lines are those the long print ends with, so that both frames draw lines alike.
    Case cases[] = {{"10 lines", Numbers(99990, 100000)},
                    {"100,000 lines", Numbers(0, 100000)},
                    {"a 10 MB line", Numbers(99990, 100000) + String(10'000'000, 'x')},
                    {"100 lines of 110 bytes", WideLines(110)},
                    {"100 lines of 2,000 bytes", WideLines(2000)},
                    {"10 short lines", Numbers(0, 10)}};
    // Every console registers the fonts anew: fill them all before measuring anything, and
    // measure the line once so that its glyphs are loaded.
    for (Case& c : cases)
        Fill(c);
    GetTextExtents(kLine, Console::kSmallFontName);

    // Frame by frame in turn, so that the machine's load falls on every case alike.
    std::vector<std::vector<double>> frames(std::size(cases));
    for (int frame = 0; frame < kFrames; ++frame)
        for (size_t i = 0; i < std::size(cases); ++i)
        {
            world->RegisterConsole(cases[i].consoles.front().get());
            frames[i].push_back(MillisecondsForAFrame(world));
        }
    for (size_t i = 0; i < std::size(cases); ++i)
    {
        std::sort(frames[i].begin(), frames[i].end());
        cases[i].frame = frames[i][frames[i].size() / 2];
    }
    for (int run = 0; run < kRuns; ++run)
        for (Case& c : cases)
            c.write = std::min(c.write, MicrosecondsPerWrite(*c.consoles[run]));
    world->RegisterConsole(registered);

    std::printf("Console open in a 1024 x 768 window: median of %d frames (glFinish each), "
                "best of %d runs of %d one-line writes\n",
                kFrames, kRuns, kWritesPerRun);
    for (const Case& c : cases)
        std::printf("  after %-24s frame %6.3f ms, one write %5.2f us; the filling write: "
                    "%8zu bytes in %6.2f ms\n",
                    c.name, c.frame, c.write, c.filling.size(), c.fill * 1e3);
    std::printf("  frame after 100,000 lines / after 10:  %5.2fx (target: at most 1.1x)\n",
                cases[1].frame / cases[0].frame);
    std::printf("  frame after a 10 MB line / after 10:   %5.2fx\n",
                cases[2].frame / cases[0].frame);
    std::printf("  frame after 100 lines of 2,000 / of 110 bytes: %5.2fx (target: about 1x)\n",
                cases[4].frame / cases[3].frame);
    std::printf("  write after 100,000 lines / after 10:  %5.2fx (target: about 1x)\n",
                cases[1].write / cases[0].write);
    std::printf("  write after a 10 MB line / after 10:   %5.2fx (target: about 1x)\n",
                cases[2].write / cases[0].write);
    return 0;
}
