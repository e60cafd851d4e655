// Python's headers must come first: they set feature macros the C library reads.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "engine/scripting/ScriptInterrupts.h"

#include "engine/console/Log.h"
#include "engine/scripting/ScriptInterface.h"

#include <atomic>
#include <csignal>
#include <mutex>

#include <pthread.h>

namespace
{
// Python acts on a signal at once only on the thread it is delivered to, and only on the main
// thread: set off from another thread (PyErr_SetInterruptEx, a pending call) it waits until
// the code running ends. So Interrupt() sends the main thread a signal of its own, which no
// one else sends and whose default is to be ignored; Python's handler of it stops a loop of
// Python code at its next instruction and a Python call waiting in the system (sleep, select).
constexpr int kInterruptSignal = SIGURG;

// Interrupt() comes from other threads; the interpreter may start or finish meanwhile.
std::mutex g_lock;
bool g_accepting = false;
pthread_t g_mainThread;
std::atomic<bool> g_wanted{false};
std::atomic<const std::atomic<bool>*> g_unless{nullptr};

/// Python's handler of kInterruptSignal, run on the main thread.
PyObject* RaiseKeyboardInterrupt(PyObject*, PyObject*)
{
    if (!g_wanted.exchange(false))
        Py_RETURN_NONE;
    const std::atomic<bool>* unless = g_unless.load();
    if (unless != nullptr && unless->load())
        Py_RETURN_NONE;
    PyErr_SetNone(PyExc_KeyboardInterrupt);
    return nullptr;
}

void Accept(bool accept)
{
    std::lock_guard<std::mutex> guard(g_lock);
    g_accepting = accept;
    g_mainThread = pthread_self();
}
} // namespace

void PrepareInterrupts()
{
    static PyMethodDef handlerDef = {"interrupt_from_engine", RaiseKeyboardInterrupt, METH_VARARGS,
                                     nullptr};
    PyObject* handler = PyCFunction_New(&handlerDef, nullptr);
    PyObject* module = handler ? PyImport_ImportModule("signal") : nullptr;
    PyObject* result =
        module ? PyObject_CallMethod(module, "signal", "iO", kInterruptSignal, handler) : nullptr;
    if (result == nullptr)
    {
        GetSystemLog()->Log("WARNING: Python code in an endless loop cannot be interrupted.");
        PyErr_Print();
    }
    else
    {
        // Python's handler interrupts system calls; the engine's own on the main thread (a
        // write of a log line) should go on.
        struct sigaction python = {};
        sigaction(kInterruptSignal, nullptr, &python);
        python.sa_flags |= SA_RESTART;
        sigaction(kInterruptSignal, &python, nullptr);
        // A mask is passed on to programs by accident (a launcher that blocks signals for a
        // thread of its own); with the signal blocked, no interrupt would ever arrive.
        sigset_t interrupt;
        sigemptyset(&interrupt);
        sigaddset(&interrupt, kInterruptSignal);
        pthread_sigmask(SIG_UNBLOCK, &interrupt, nullptr);
    }
    Py_XDECREF(result);
    Py_XDECREF(module);
    Py_XDECREF(handler);
    Accept(result != nullptr);
}

void CloseInterrupts()
{
    Accept(false);
}

void ScriptInterface::Interrupt(const std::atomic<bool>* unless)
{
    std::lock_guard<std::mutex> guard(g_lock);
    if (!g_accepting)
        return;
    g_unless.store(unless);
    g_wanted.store(true);
    pthread_kill(g_mainThread, kInterruptSignal);
}
