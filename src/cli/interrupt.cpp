#include "cli/interrupt.h"

#include <csignal>

namespace tp::cli {

namespace {
volatile std::sig_atomic_t interrupted = 0;
void onInterrupt(int) { interrupted = 1; }
}  // namespace

void WatchForInterrupt() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
}

bool InterruptRequested() { return interrupted != 0; }

}  // namespace tp::cli
