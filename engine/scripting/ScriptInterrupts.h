#pragma once

// The host's side of ScriptInterface::Interrupt. Main thread.

/// Makes Interrupt() reach the interpreter just started: its handler of SIGURG, which only the
/// engine sends, raises KeyboardInterrupt when an interrupt was asked for.
void PrepareInterrupts();
/// Ends interrupts before the interpreter finishes.
void CloseInterrupts();
