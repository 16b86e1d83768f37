// Ctrl-C during a conversion asks for an abort, exactly as a second click on
// the window's button does; the command then exits with 130.
#pragma once

namespace tp::cli {

constexpr int InterruptedExitCode = 130;

// Installs the SIGINT handler for the rest of the process.
void WatchForInterrupt();
bool InterruptRequested();

}  // namespace tp::cli
