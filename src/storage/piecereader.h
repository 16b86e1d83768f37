// A file read through one large piece at a time. A decoder (libsndfile
// reading an archived file back) asks for a few kilobytes at a time and
// seeks about its header; served from a piece of 4 MiB, the disk is asked
// for the next piece only when the reading leaves the one it has. The
// pieces of every PieceReader in the program are read one at a time, so
// that threads restoring files side by side do not make a slow disk's head
// move between their files every few kilobytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include <sys/types.h>

namespace tp {

class FileHandle;

class PieceReader {
 public:
  static constexpr size_t PieceBytes = size_t(4) << 20;

  // `file` stays open while this reads it; its size now is where reading
  // ends.
  explicit PieceReader(FileHandle& file);

  // Moves the reading position (SEEK_SET, SEEK_CUR or SEEK_END) without a
  // system call; -1 with errno set for a position before the start.
  int64_t Seek(int64_t offset, int whence);
  int64_t Tell() const { return position_; }
  // Up to `count` bytes from the position, fewer at the end of the file;
  // -1 with errno set when the read of a piece failed.
  ssize_t Read(void* destination, size_t count);

 private:
  bool fill();  // the piece at position_

  FileHandle& file_;
  int64_t size_;
  std::vector<uint8_t> piece_;
  int64_t pieceStart_ = 0;
  int64_t position_ = 0;
};

}  // namespace tp
