#include "storage/piecereader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

#include <unistd.h>

#include "storage/filehandle.h"

namespace tp {

namespace {

// One piece read in flight in the whole program.
std::mutex& pieceTurn() {
  static std::mutex turn;
  return turn;
}

}  // namespace

PieceReader::PieceReader(FileHandle& file) : file_(file), size_(std::max<int64_t>(file.Size(), 0)) {}

int64_t PieceReader::Seek(int64_t offset, int whence) {
  int64_t base = 0;
  if (whence == SEEK_CUR) base = position_;
  else if (whence == SEEK_END) base = size_;
  else if (whence != SEEK_SET) base = -1;
  if (base < 0 || base + offset < 0) {
    errno = EINVAL;
    return -1;
  }
  position_ = base + offset;
  return position_;
}

bool PieceReader::fill() {
  piece_.resize(PieceBytes);
  ssize_t got;
  {
    std::lock_guard turn(pieceTurn());
    got = file_.ReadAt(piece_.data(), piece_.size(), position_);
  }
  if (got < 0) {
    piece_.clear();
    return false;
  }
  piece_.resize(size_t(got));
  pieceStart_ = position_;
  return true;
}

ssize_t PieceReader::Read(void* destination, size_t count) {
  auto* bytes = static_cast<uint8_t*>(destination);
  size_t done = 0;
  // The end is known: reading there asks the disk for nothing, and the
  // piece read last stays for a decoder that looks back into it.
  while (done < count && position_ < size_) {
    const bool inPiece = position_ >= pieceStart_ && position_ < pieceStart_ + int64_t(piece_.size());
    if (!inPiece) {
      if (!fill()) return done > 0 ? ssize_t(done) : -1;
      if (piece_.empty()) break;  // cut since it was opened
    }
    const size_t within = size_t(position_ - pieceStart_);
    const size_t take = std::min(count - done, piece_.size() - within);
    std::memcpy(bytes + done, piece_.data() + within, take);
    done += take;
    position_ += int64_t(take);
  }
  return ssize_t(done);
}

}  // namespace tp
