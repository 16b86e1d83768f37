// OutlineWorker: one thread that works out the outlines of a song's takes
// after the scan, so that the window never waits for them. The window hands
// it the song's cells as they are after every change (FollowSong); the
// worker looks at each cell's files, takes an outline from the cache when
// the file is the version it was made from, reads the take otherwise, and
// delivers each cell's outline as soon as it has it. A shown cell whose
// files did not change since they were delivered is left alone, so
// following the cells after every click costs a look at the files and
// nothing more.
//
// Reading waits while the worker is paused (SetPaused) and gives up when the
// song changes; results for a song that is no longer shown carry an older
// generation, by which the window tells them apart.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "storage/status.h"
#include "waveform/outline.h"
#include "waveform/outlinecache.h"
#include "waveform/readgate.h"

namespace tp {

// One cell of the grid: a take (one file) or a master take (left and right).
// Names, not paths: the worker finds each file in the song folder whatever
// its letter case, which takes a look at the folder the window should not
// wait for.
struct OutlineJob {
  int cell = 0;  // the window's number for it
  std::vector<std::string> fileNames;
  // The window shows the cell's outline (or its failure): it is delivered
  // again only when its files changed. A cell the window emptied is
  // delivered again, from the cache when its files are as they were.
  bool shown = false;
};

struct CellOutline {
  int cell = 0;
  Status failure;                        // why the cell has no outline
  std::vector<ChannelOutline> channels;  // one per file, when it succeeded
};

class OutlineWorker {
 public:
  // Called on the worker's thread; it must only pass the outline on.
  using Deliver = std::function<void(uint64_t generation, CellOutline outline)>;
  // Called on the worker's thread just before a take is read (tests).
  using Hook = std::function<void()>;

  OutlineWorker(std::filesystem::path cacheFolder, int columns, Deliver deliver, Hook beforeReading = {});
  // Gives up the reading under way and waits for the thread.
  ~OutlineWorker();
  OutlineWorker(const OutlineWorker&) = delete;
  OutlineWorker& operator=(const OutlineWorker&) = delete;

  // The window's thread: the cells of `song` as they are now. Another song
  // than the last starts a new generation and gives up the old song's
  // reading. Returns the generation the cells' outlines will carry.
  uint64_t FollowSong(const std::filesystem::path& song, std::vector<OutlineJob> jobs);
  // The window's thread: holds the reading between two blocks, or lets it go on.
  void SetPaused(bool paused) { gate_.SetPaused(paused); }
  const ReadGate& Gate() const { return gate_; }
  // Takes read so far (each file of a master take counts).
  long TakesRead() const { return takesRead_.load(); }

 private:
  struct Cells;
  void Run();
  bool NextList(std::vector<OutlineJob>& jobs, uint64_t& generation, std::filesystem::path& song);
  void SwitchSong(const std::filesystem::path& song);
  void WorkThrough(const std::vector<OutlineJob>& jobs, uint64_t generation);
  std::optional<CellOutline> Outline(const OutlineJob& job, std::vector<FileStamp>& stamps);
  bool ListWaiting();

  const std::filesystem::path cacheFolder_;
  const int columns_;
  Deliver deliver_;
  Hook beforeReading_;
  ReadGate gate_;
  std::atomic<long> takesRead_{0};

  std::mutex mutex_;  // guards what follows up to the thread
  std::condition_variable wake_;
  bool stop_ = false;
  std::optional<std::vector<OutlineJob>> pending_;
  std::filesystem::path pendingSong_;
  uint64_t generation_ = 0;

  // The worker's own: the song it reads for, its cache, what it delivered.
  std::filesystem::path song_;
  std::unique_ptr<SongOutlineCache> cache_;
  std::unique_ptr<Cells> delivered_;
  std::thread thread_;
};

}  // namespace tp
