#include "cli/interrupt.h"

#include <atomic>
#include <csignal>
#include <initializer_list>

#include "storage/filehandle.h"

namespace tp::cli {

namespace {
// Set by the signal handler, read by the conversion's workers on any thread:
// a lock-free atomic is safe for both.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);
void onInterrupt(int) { interrupted.store(true, std::memory_order_relaxed); }
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

bool InterruptRequested() { return interrupted.load(std::memory_order_relaxed); }

}  // namespace tp::cli
