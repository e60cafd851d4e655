#pragma once

/// The signals that end a program from outside (a terminal's Ctrl-C or hang-up, a service
/// manager's stop) end it as Escape does: SIGTERM, SIGINT and SIGHUP ask the World to stop at
/// its next frame, so the running screen stops (the level editor saves) and the program shuts
/// down and returns 0. Python code the main thread is stuck in gets a KeyboardInterrupt after
/// a second, and again every half second. A program that has still not stopped is ended by
/// the signal's default action kForceSeconds after it, or at once by a second signal that
/// comes half a second or more after the first while the loop runs. A signal ignored at start
/// (nohup) stays ignored; one blocked at start is unblocked. A write to a closed pipe fails
/// with EPIPE, and one beyond the file-size limit with EFBIG, instead of ending the program.
/// No signal is blocked, and programs started by scripts get the default handling.
namespace StopSignals
{

constexpr int kForceSeconds = 5;

/// Installs the handlers and starts the thread that acts on them. programName names the
/// program in the line written when it has to be ended by force. Call it once, after the
/// standard descriptors are in place and before the World starts. False when the handlers
/// could not be installed (a line says so).
bool Install(const char* programName);

/// The main loop has ended: from now on no script is interrupted and a second signal waits
/// for the orderly end, which only kForceSeconds cut short. Main thread.
void LoopEnded();

} // namespace StopSignals
