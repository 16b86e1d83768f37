// The takes of a mix read ahead of its workers by one thread of their own.
// A mix read block by block asks each take for 64 KiB in turn, and a
// recorder's disk behind USB moves its head for every one of those reads;
// here each take is read 2 MiB at a time, one read in flight, the takes of
// a stretch one after another, and the workers copy from the pieces. The
// reader keeps one stretch ahead of the furthest worker and one behind it,
// so its memory is three pieces a take whatever the takes' lengths.
#pragma once

#include <array>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace tp {

class FileHandle;

class TakeReadAhead {
 public:
  static constexpr int SlotCount = 16;
  static constexpr int64_t PieceBytes = int64_t(2) << 20;

  // Starts reading `files` (by slot; null where a slot is empty), which
  // stay open until Stop; each piece of samples after the header.
  explicit TakeReadAhead(const std::array<FileHandle*, SlotCount>& files);
  ~TakeReadAhead();  // Stop
  TakeReadAhead(const TakeReadAhead&) = delete;
  TakeReadAhead& operator=(const TakeReadAhead&) = delete;

  // Ends the reading thread, before the files are closed.
  void Stop();

  // A worker's thread: `count` bytes of slot `slot` at `offset`, as
  // FileHandle::ReadAt gives them (fewer at the end of the take, -1 with
  // errno set). A read far from where the workers were (a seek, a second
  // pass from the start) starts the reading again from there.
  ssize_t ReadAt(int slot, void* destination, size_t count, int64_t offset);

 private:
  // The piece of every take over one stretch of samples.
  struct Piece {
    std::vector<uint8_t> bytes;
    bool ready = false;
    int error = 0;
  };
  struct Stretch {
    std::array<Piece, SlotCount> pieces;
  };

  void run();                                             // the reading thread
  void readStretch(std::unique_lock<std::mutex>& lock);   // the reading thread, lock held
  void want(int64_t stretch);                             // lock held
  int64_t stretchStart(int64_t stretch) const;

  std::array<FileHandle*, SlotCount> files_;
  std::array<int64_t, SlotCount> sizes_{};
  std::mutex mutex_;  // guards everything below
  std::condition_variable changed_;
  std::map<int64_t, Stretch> stretches_;
  int64_t nextToRead_ = 0, furthestWanted_ = 0;
  uint64_t generation_ = 0;  // counts the restarts, so that a read begun before one is dropped
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace tp
