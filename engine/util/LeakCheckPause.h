#pragma once

// Leak checking of AddressSanitizer builds next to the window system, the GL driver and the
// sound library. What those libraries allocate is not the engine's to answer for, and
// suppressions cannot tell it apart reliably: they match modules on the allocation stack, but
// fast unwinding stops inside library code built without frame pointers, and slow unwinding
// makes every allocation too costly for the window tests. Two means that do not depend on the
// stack keep those blocks out instead:
// - PinLoadedLibraries: glfwTerminate unloads the GL driver (and LLVM with it), whose globals
//   are the only references to what it keeps, e.g. from shaders compiled inside any draw call.
//   Unloaded, those blocks look lost and come from an "<unknown module>". The back-ends pin
//   every library loaded once their output is open, so nothing is unloaded before the check.
// - LeakCheckPause: LeakSanitizer never reports what a thread allocates between
//   __lsan_disable() and __lsan_enable(). The back-ends pause around their calls into those
//   libraries, so blocks a library loses there are left out; engine code that a library calls
//   back (window events) runs under a LeakCheckResume and is checked as usual.
// Outside AddressSanitizer and LeakSanitizer builds all of this does nothing.

#if defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer)
#define TESSALY_LEAK_CHECKS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TESSALY_LEAK_CHECKS 1
#endif

#if defined(TESSALY_LEAK_CHECKS)
#include <sanitizer/lsan_interface.h>
#endif

/// For its lifetime, allocations of the calling thread are left out of leak checking. Nests.
class LeakCheckPause
{
public:
    LeakCheckPause()
    {
#if defined(TESSALY_LEAK_CHECKS)
        if (Depth()++ == 0)
            __lsan_disable();
#endif
    }
    ~LeakCheckPause()
    {
#if defined(TESSALY_LEAK_CHECKS)
        if (--Depth() == 0)
            __lsan_enable();
#endif
    }
    LeakCheckPause(const LeakCheckPause&) = delete;
    LeakCheckPause& operator=(const LeakCheckPause&) = delete;

    /// Keeps every shared library loaded now in memory until the process ends, so that the
    /// blocks its globals point to stay reachable for the leak check at exit.
    static void PinLoadedLibraries();

private:
    friend class LeakCheckResume;

    /// The pauses open on this thread.
    static int& Depth()
    {
        thread_local int depth = 0;
        return depth;
    }
};

/// For its lifetime, leak checking of the calling thread is back on, also inside pauses: for
/// engine code called back from within a paused library call.
class LeakCheckResume
{
public:
    LeakCheckResume()
    {
#if defined(TESSALY_LEAK_CHECKS)
        m_pausedDepth = LeakCheckPause::Depth();
        LeakCheckPause::Depth() = 0;
        if (m_pausedDepth > 0)
            __lsan_enable();
#endif
    }
    ~LeakCheckResume()
    {
#if defined(TESSALY_LEAK_CHECKS)
        if (m_pausedDepth > 0)
            __lsan_disable();
        LeakCheckPause::Depth() = m_pausedDepth;
#endif
    }
    LeakCheckResume(const LeakCheckResume&) = delete;
    LeakCheckResume& operator=(const LeakCheckResume&) = delete;

private:
    [[maybe_unused]] int m_pausedDepth = 0;
};
