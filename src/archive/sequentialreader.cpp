#include "archive/sequentialreader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>

#include "storage/filehandle.h"

namespace tp {

// One file's pieces between the reader and its worker.
struct SequentialReader::Queue {
  FileHandle* file;
  uint64_t order;
  std::deque<std::vector<uint8_t>> pieces;  // the reader appends, the worker takes from the front
  size_t frontTaken = 0;                    // bytes of the front piece already copied out
  int64_t readTo = 0;                       // the next byte to read
  bool ended = false;                       // the end of the file or a failed read was reached
  int error = 0;                            // the failed read's errno
  bool reading = false;                     // a read of the file is under way
  bool closed = false;                      // the worker let go of it

  size_t freePieces() const { return PiecesPerFile - pieces.size(); }
  bool wants(size_t free) const { return !ended && !closed && freePieces() >= free; }
};

SequentialReader::SequentialReader() : thread_(&SequentialReader::run, this) {}

SequentialReader::~SequentialReader() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

std::unique_ptr<SequentialReader::Stream> SequentialReader::Open(FileHandle& file, uint64_t order) {
  auto queue = std::make_shared<Queue>();
  queue->file = &file;
  queue->order = order;
  {
    std::lock_guard lock(mutex_);
    queues_.push_back(queue);
  }
  changed_.notify_all();
  return std::make_unique<Stream>(*this, std::move(queue));
}

// The file read on while it has room; then the first in order with room
// for two pieces at least, so that a turn to another file is paid for with
// more than one piece.
SequentialReader::Queue* SequentialReader::nextToRead() {
  if (current_ && current_->wants(1)) return current_;
  Queue* best = nullptr;
  for (const auto& queue : queues_)
    if (queue->wants(std::min<size_t>(2, PiecesPerFile)) && (!best || queue->order < best->order)) best = queue.get();
  current_ = best;
  return best;
}

void SequentialReader::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    Queue* queue = nullptr;
    changed_.wait(lock, [&] { return stopping_ || (queue = nextToRead()) != nullptr; });
    if (stopping_) return;
    queue->reading = true;
    lock.unlock();
    readPiece(*queue);
    lock.lock();
    queue->reading = false;
    changed_.notify_all();
  }
}

void SequentialReader::readPiece(Queue& queue) {
  std::vector<uint8_t> piece;
  {
    std::lock_guard lock(mutex_);
    if (!spare_.empty()) {
      piece = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  piece.resize(PieceBytes);
  // The queue's file position and the file itself are the reader's alone
  // while `reading` is set: the worker waits for it before letting go.
  const ssize_t got = queue.file->ReadAt(piece.data(), piece.size(), queue.readTo);
  const int error = errno;
  std::lock_guard lock(mutex_);
  if (got < 0) {
    queue.error = error == 0 ? EIO : error;
    queue.ended = true;
    return;
  }
  piece.resize(size_t(got));
  queue.readTo += got;
  // A read stops short only at the end of the file.
  if (size_t(got) < PieceBytes) queue.ended = true;
  if (got > 0) queue.pieces.push_back(std::move(piece));
}

SequentialReader::Stream::Stream(SequentialReader& reader, std::shared_ptr<Queue> queue)
    : reader_(reader), queue_(std::move(queue)) {}

SequentialReader::Stream::~Stream() {
  std::unique_lock lock(reader_.mutex_);
  queue_->closed = true;
  reader_.changed_.wait(lock, [&] { return !queue_->reading; });
  std::erase(reader_.queues_, queue_);
  if (reader_.current_ == queue_.get()) reader_.current_ = nullptr;
}

ssize_t SequentialReader::Stream::Read(void* destination, size_t count) {
  auto* bytes = static_cast<uint8_t*>(destination);
  Queue& queue = *queue_;
  size_t done = 0;
  std::unique_lock lock(reader_.mutex_);
  while (done < count) {
    reader_.changed_.wait(lock, [&] { return !queue.pieces.empty() || queue.ended; });
    if (queue.pieces.empty()) {
      if (queue.error == 0 || done > 0) break;
      errno = queue.error;
      return -1;
    }
    // The reader only appends behind the front piece, which stays put.
    const std::vector<uint8_t>& front = queue.pieces.front();
    const size_t take = std::min(count - done, front.size() - queue.frontTaken);
    lock.unlock();
    std::memcpy(bytes + done, front.data() + queue.frontTaken, take);
    lock.lock();
    done += take;
    queue.frontTaken += take;
    if (queue.frontTaken == front.size()) {
      if (reader_.spare_.size() < PiecesPerFile) reader_.spare_.push_back(std::move(queue.pieces.front()));
      queue.pieces.pop_front();
      queue.frontTaken = 0;
      reader_.changed_.notify_all();
    }
  }
  return ssize_t(done);
}

}  // namespace tp
