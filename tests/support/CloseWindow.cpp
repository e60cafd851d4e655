// close_window TITLE PID [SECONDS]: waits up to SECONDS (default 20) for a window titled TITLE
// of process PID, then asks it to close as a window manager would. Exit status 0 when the
// request was sent.
#include "tests/support/X11Window.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: close_window TITLE PID [SECONDS]\n");
        return 2;
    }
    const long pid = std::atol(argv[2]);
    const double seconds = argc > 3 ? std::atof(argv[3]) : 20.0;
    X11Window window;
    if (!window.Connected())
    {
        std::fprintf(stderr, "close_window: no X display\n");
        return 1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!window.Find(argv[1], pid))
    {
        if (std::chrono::steady_clock::now() > deadline)
        {
            std::fprintf(stderr, "close_window: no window titled '%s'\n", argv[1]);
            return 1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // Let the program run a few frames before closing it.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    return window.RequestClose() ? 0 : 1;
}
