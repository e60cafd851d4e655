#pragma once

class ScreenManager;

/// Half the side of the physics box the programs set up round the origin: the playing field.
constexpr float kFieldHalfSize = 100.0f;

/// The program entry shared by the game and the further screens' program: makes the standard
/// descriptors safe and lets SIGTERM, SIGINT and SIGHUP end the program as Escape does
/// (StopSignals); ends with status 1 at once, with one line, when Config/ and Resources/ are
/// not folders of the current directory; connects the TUIO client on UDP port 3333 (exit
/// status 1 at once, with no window, when it cannot bind), opens the 1024 x 768 "Tessaly
/// Engine" window, sets up physics without gravity, hands the manager that getManager makes to
/// the World and runs the main loop. Returns the exit status. programName names the program in
/// its lines; bindingsFile, when given, replaces the key bindings of Config/input_bindings.ini.
int RunScreenProgram(const char* programName, ScreenManager* (*getManager)(),
                     const char* bindingsFile = nullptr);
