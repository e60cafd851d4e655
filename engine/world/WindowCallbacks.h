#pragma once

/// The window system's callbacks into the engine. All run on the main thread, inside the
/// buffer swap at the end of a frame.

/// Window close: stops the game and lets the window close (returns 1).
int WindowClosed();

/// Installs the engine's window callbacks in World::Initialize's order.
void InstallWindowCallbacks();
