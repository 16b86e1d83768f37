// The one reader of an archive's take files. A recorder's disk serves two
// readers by moving its head between them, so the workers that hash and
// encode never read a take themselves: one thread reads each take file
// front to back in large pieces, one read at a time for the whole job, and
// hands the pieces to the worker that asked for the file. Memory stays
// bounded: each open file holds at most PiecesPerFile pieces not yet taken.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/types.h>

namespace tp {

class FileHandle;

class SequentialReader {
 public:
  // 4 MiB: about 130 ms of a 30 MB/s disk, against some 8 ms for a move of
  // its head, whenever the reader turns to another file.
  static constexpr size_t PieceBytes = size_t(4) << 20;
  static constexpr size_t PiecesPerFile = 3;

  class Stream;

  SequentialReader();
  // Stops the reading thread; every Stream must be gone by then.
  ~SequentialReader();
  SequentialReader(const SequentialReader&) = delete;
  SequentialReader& operator=(const SequentialReader&) = delete;

  // A worker's call: `file` is to be read from its first byte to its end.
  // The caller keeps it open until the Stream is gone. Of the files waiting
  // for bytes, the reader serves the one of lowest `order` first, and stays
  // with a file until it has its pieces, so that two files read at once
  // cost a move of the head per few pieces, not per block.
  std::unique_ptr<Stream> Open(FileHandle& file, uint64_t order);

 private:
  struct Queue;
  void run();                   // the reading thread
  Queue* nextToRead();          // mutex held
  void readPiece(Queue& queue);  // the reading thread, mutex not held

  std::mutex mutex_;  // guards everything below
  std::condition_variable changed_;
  std::vector<std::shared_ptr<Queue>> queues_;
  Queue* current_ = nullptr;
  std::vector<std::vector<uint8_t>> spare_;  // pieces taken, kept for reuse
  bool stopping_ = false;
  std::thread thread_;
};

// One file as its worker takes it: the bytes in order, as the reader got
// them. Dropping it tells the reader that the rest is not wanted.
class SequentialReader::Stream {
 public:
  Stream(SequentialReader& reader, std::shared_ptr<Queue> queue);
  ~Stream();
  Stream(const Stream&) = delete;
  Stream& operator=(const Stream&) = delete;

  // The worker's thread: copies the file's next `count` bytes, waiting for
  // the reader; fewer at the end of the file, and -1 with errno set from
  // the read that failed (the bytes before it come first).
  ssize_t Read(void* destination, size_t count);

 private:
  SequentialReader& reader_;
  std::shared_ptr<Queue> queue_;
};

}  // namespace tp
