#include "cli/interrupt.h"

#include <csignal>
#include <initializer_list>

namespace tp::cli {

namespace {
volatile std::sig_atomic_t interrupted = 0;
void onInterrupt(int) { interrupted = 1; }
}  // namespace

void WatchForInterrupt() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  // A `timeout`, a kill or a closed terminal stops a conversion as Ctrl-C
  // does: between blocks, with nothing half-written left behind.
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

bool InterruptRequested() { return interrupted != 0; }

}  // namespace tp::cli
