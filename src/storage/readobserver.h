// Beside the fault seam of filehandle.h: a test's view of the reads the file
// layer makes, to check how the program reads a disk (which file, where,
// how much, and how many reads at once). Nothing in the program observes;
// unwatched it costs the seam's one relaxed atomic load per read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace tp::FaultInjection {

struct ReadEvent {
  std::string path;  // as the file was opened; empty for one opened before the watch
  int64_t offset;    // -1: at the file position
  size_t count;      // bytes asked for
  bool finished;     // false as the read starts, true once it returned
};

// `observer` hears of every read, once as it starts and once as it ends,
// on the reading thread (so from several threads at once). An empty
// observer, or Reset, ends the watch.
void ObserveReads(std::function<void(const ReadEvent&)> observer);

}  // namespace tp::FaultInjection
