// SIGINT and SIGTERM as a request to close the window, so the program ends the normal way:
// threads stopped, record file written, exit status 0 as after Esc.
//
// The handler only records the signal (async-signal-safe); the window's thread takes it at its
// next message pump and turns it into WM_CLOSE. A signal during start-up waits until start-up
// has finished; one during shutdown changes nothing. Each handler is reset by its first
// delivery, so a second SIGINT or SIGTERM ends a program that no longer responds at once.
#pragma once

// Installs the handlers for SIGINT and SIGTERM (the program calls it once, first thing).
void InstallStopSignalHandlers();
// Puts back the default action for both signals and forgets a pending request.
void RestoreDefaultStopSignals();
// The signal number received since the last call, or 0; clears it.
int TakeStopSignal();
