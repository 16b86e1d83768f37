#include "mix/takereadahead.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "audiofile/takefile.h"
#include "storage/filehandle.h"

namespace tp {

TakeReadAhead::TakeReadAhead(const std::array<FileHandle*, SlotCount>& files) : files_(files) {
  for (int slot = 0; slot < SlotCount; ++slot) sizes_[size_t(slot)] = files_[size_t(slot)] ? files_[size_t(slot)]->Size() : 0;
  thread_ = std::thread(&TakeReadAhead::run, this);
}

TakeReadAhead::~TakeReadAhead() { Stop(); }

void TakeReadAhead::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) thread_.join();
}

int64_t TakeReadAhead::stretchStart(int64_t stretch) const { return TakeHeaderSize + stretch * PieceBytes; }

void TakeReadAhead::run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stopping_ || nextToRead_ <= furthestWanted_ + 1; });
    if (stopping_) return;
    readStretch(lock);
  }
}

// The next stretch, take by take; the lock is let go during each read.
void TakeReadAhead::readStretch(std::unique_lock<std::mutex>& lock) {
  const int64_t stretch = nextToRead_;
  const uint64_t generation = generation_;
  stretches_[stretch];
  for (int slot = 0; slot < SlotCount; ++slot) {
    const int64_t start = stretchStart(stretch);
    std::vector<uint8_t> bytes;
    ssize_t got = 0;
    int error = 0;
    if (files_[size_t(slot)] && start < sizes_[size_t(slot)]) {
      lock.unlock();
      bytes.resize(size_t(std::min(PieceBytes, sizes_[size_t(slot)] - start)));
      got = files_[size_t(slot)]->ReadAt(bytes.data(), bytes.size(), start);
      error = errno;
      lock.lock();
      if (stopping_ || generation != generation_) return;  // the piece is no longer wanted
    }
    Piece& piece = stretches_[stretch].pieces[size_t(slot)];
    piece.bytes = std::move(bytes);
    piece.bytes.resize(size_t(std::max<ssize_t>(got, 0)));
    piece.error = got < 0 ? (error == 0 ? EIO : error) : 0;
    piece.ready = true;
    changed_.notify_all();
  }
  nextToRead_ = stretch + 1;
  // One stretch behind the furthest worker is kept for the other worker.
  stretches_.erase(stretches_.begin(), stretches_.lower_bound(furthestWanted_ - 1));
}

// A worker's read reaches `stretch`: the workers follow each other within a
// few blocks, so a stretch far from the others' is a jump, and the reading
// starts again there.
void TakeReadAhead::want(int64_t stretch) {
  if (stretch > furthestWanted_ + 1 || stretch < furthestWanted_ - 1) {
    ++generation_;
    stretches_.clear();
    nextToRead_ = furthestWanted_ = stretch;
  } else {
    furthestWanted_ = std::max(furthestWanted_, stretch);
  }
  changed_.notify_all();
}

ssize_t TakeReadAhead::ReadAt(int slot, void* destination, size_t count, int64_t offset) {
  if (slot < 0 || slot >= SlotCount || !files_[size_t(slot)]) {
    errno = EBADF;
    return -1;
  }
  if (offset < TakeHeaderSize) return files_[size_t(slot)]->ReadAt(destination, count, offset);
  auto* bytes = static_cast<uint8_t*>(destination);
  size_t done = 0;
  std::unique_lock lock(mutex_);
  while (done < count && offset + int64_t(done) < sizes_[size_t(slot)]) {
    const int64_t at = offset + int64_t(done);
    const int64_t stretch = (at - TakeHeaderSize) / PieceBytes;
    want(stretch);
    changed_.wait(lock, [&] {
      const auto found = stretches_.find(stretch);
      return stopping_ || (found != stretches_.end() && found->second.pieces[size_t(slot)].ready);
    });
    if (stopping_) break;
    const Piece& piece = stretches_[stretch].pieces[size_t(slot)];
    if (piece.error != 0) {
      if (done > 0) break;
      errno = piece.error;
      return -1;
    }
    const size_t within = size_t(at - stretchStart(stretch));
    if (within >= piece.bytes.size()) break;  // the take was cut while read
    const size_t take = std::min(count - done, piece.bytes.size() - within);
    std::memcpy(bytes + done, piece.bytes.data() + within, take);
    done += take;
  }
  return ssize_t(done);
}

}  // namespace tp
