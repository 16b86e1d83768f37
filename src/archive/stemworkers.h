// The audio files of an archive written by two worker threads, each file
// whole on one of them (its take files hashed and converted as the one
// reader hands them over, the file written, hashed and checked), while the archiving thread hears of them in
// their order and lets each into place in that order (StemChecks::written):
// what an archive stopped at any moment holds is the files before some
// point, as with one thread. The workers never wait for a file to reach the
// disk: the archiving thread's syncs overlap their work.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "archive/archiveplan.h"
#include "archive/sequentialreader.h"

namespace tp {

struct StemOutcome {
  ConversionResult result;
  StemChecks checks;
};

class StemWorkers {
 public:
  static constexpr int WorkerCount = 2;

  // Starts writing `items` in this order (an archiving thread's call).
  StemWorkers(std::vector<const ArchiveItem*> items, AudioFormat format, bool verify);
  // Stops the workers and joins them; a file not let into place is discarded.
  ~StemWorkers();
  StemWorkers(const StemWorkers&) = delete;
  StemWorkers& operator=(const StemWorkers&) = delete;

  // The archiving thread, for n = 0, 1, 2, ... in turn: waits until item
  // `n` is written and checked, calling `poll` with its frames written so
  // far whenever a worker moved (a true answer stops the workers between
  // blocks). Returns how it ended; a file written is in the outcome's
  // checks.written, for the caller to let into place.
  StemOutcome Finish(size_t n, const std::function<bool(uint32_t framesDone)>& poll);

 private:
  struct Item {
    const ArchiveItem* item;
    bool started = false;
    bool ended = false;
    uint32_t framesDone = 0;
    StemOutcome outcome;
  };
  void work();               // a worker thread
  void writeItem(size_t n);  // a worker thread

  AudioFormat format_;
  bool verify_;
  SequentialReader reader_;  // every take file of the song, for both workers
  std::mutex mutex_;  // guards everything below
  std::condition_variable changed_;
  std::vector<Item> items_;
  size_t next_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace tp
