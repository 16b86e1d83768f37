// Ctrl-C during a conversion asks for an abort, exactly as a second click on
// the window's button does; so do SIGTERM (a `kill`, a `timeout`) and SIGHUP
// (a closed terminal). The command then exits with 128 + the signal's number,
// as a shell reports a process the signal ended: 130, 143 or 129.
#pragma once

namespace tp::cli {

// Installs the handler of SIGINT, SIGTERM and SIGHUP for the rest of the
// process.
void WatchForInterrupt();
bool InterruptRequested();
// 128 + the first signal that asked for the stop (130 for Ctrl-C when none
// has arrived yet, for a stop that came another way).
int InterruptedExitCode();

}  // namespace tp::cli
