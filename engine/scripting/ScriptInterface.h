#pragma once

#include "engine/util/StringTypes.h"

#include <atomic>
#include <map>

/// The embedded Python interpreter. The engine talks to scripts only by running short
/// statements as text; scripts talk to the engine through the `tessaly` module. A Python error
/// never leaves the interpreter: it is printed (traceback on standard error) and the engine goes
/// on. The interpreter never reads the terminal: its standard input is empty for the whole run.
/// Main thread only, but for Interrupt(). The main thread holds the interpreter's lock (the GIL)
/// except while it runs Python and in LetThreadsRun, so a script's threads run only then, one at
/// a time with the engine's own work.
class ScriptInterface
{
public:
    /// The start script, relative to the working directory.
    static constexpr const char* kStartScript = "./Resources/Scripts/start.py";

    /// Starts Python with the `tessaly` module and runs the start script. Without a start
    /// script it can read (ReadStartScript) Python is shut down again and every later statement
    /// is ignored (logged once).
    static void Initialize();
    /// Runs code in the interpreter's main module; nothing when Python is not running.
    static void ExecuteInScript(const String& code);
    /// Runs the fixed statement code in the main module with each of values bound to its name,
    /// for this statement only, as a Python str: a name, file name or message reaches the
    /// script as a value, never as source text. The text is decoded from UTF-8 with
    /// "surrogateescape", so any byte, NUL included, comes through. The values are seen by the
    /// statement itself, not by functions it defines; names it assigns are not kept.
    static void ExecuteInScript(const String& code, const std::map<String, String>& values);
    /// Lets the script's threads that wait for the interpreter run before it goes on. The World
    /// calls it once a frame, where no engine work is under way.
    static void LetThreadsRun();
    /// How long Finalize waits, at most, for the script's threads (daemon threads aside) to end.
    static constexpr double kThreadGraceSeconds = 1.0;

    /// Raises KeyboardInterrupt in the Python code the main thread runs, at its next
    /// instruction (a call waiting in the system, such as time.sleep, returns), or else in the
    /// next code it runs, unless *unless (when given) is true by then: a script in an endless
    /// loop gives the main thread back. Nothing before the interpreter starts or after it
    /// finishes. Any thread; not from a signal handler.
    static void Interrupt(const std::atomic<bool>* unless = nullptr);
    /// Gives the script's threads up to kThreadGraceSeconds to end (those still running end
    /// with the program), deletes the engine objects that have Python halves, then shuts
    /// Python down.
    static void Finalize();
    /// True from a successful start-up until Finalize.
    static bool IsInitialized() { return s_initialized; }

private:
    static bool s_initialized;
};
