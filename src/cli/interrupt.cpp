#include "cli/interrupt.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

#include "storage/filehandle.h"

namespace tp::cli {

namespace {
// Set by the signal handler, read by the conversion's workers on any thread:
// a lock-free atomic is safe for both.
// The signal's number, 0 until one arrived; the first one counts.
std::atomic<int> interruptingSignal{0};
static_assert(std::atomic<int>::is_always_lock_free);
void onInterrupt(int signal) {
  int none = 0;
  interruptingSignal.compare_exchange_strong(none, signal, std::memory_order_relaxed);
}
}  // namespace

void WatchForInterrupt() {
  struct sigaction action {};
  action.sa_handler = onInterrupt;
  sigemptyset(&action.sa_mask);
  // A `timeout`, a kill or a closed terminal stops a conversion as Ctrl-C
  // does: between blocks, with nothing half-written left behind.
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
  // A FIFO nobody reads or a pipe nobody empties gives way to it as well.
  SetStopRequestedCheck(InterruptRequested);
}

bool InterruptRequested() { return interruptingSignal.load(std::memory_order_relaxed) != 0; }

int InterruptedExitCode() {
  const int signal = interruptingSignal.load(std::memory_order_relaxed);
  return 128 + (signal != 0 ? signal : SIGINT);
}

}  // namespace tp::cli
