#include "audiofile/bytestream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include <sys/types.h>

namespace tp {

std::unique_ptr<FileByteStream> FileByteStream::open(const std::filesystem::path& path,
                                                     bool forWriting) {
  std::FILE* file = std::fopen(path.c_str(), forWriting ? "wb" : "rb");
  if (file == nullptr) return nullptr;
  return std::unique_ptr<FileByteStream>(new FileByteStream(file));
}

FileByteStream::~FileByteStream() {
  if (file_ != nullptr) std::fclose(file_);
}

size_t FileByteStream::read(uint8_t* destination, size_t count) {
  if (file_ == nullptr || count == 0) return 0;
  return std::fread(destination, 1, count, file_);
}

bool FileByteStream::write(const uint8_t* source, size_t count) {
  if (file_ == nullptr) {
    failed_ = true;
    return false;
  }
  if (count == 0) return true;
  if (std::fwrite(source, 1, count, file_) != count) failed_ = true;
  return !failed_;
}

bool FileByteStream::seek(int64_t position) {
  // fseeko also flushes pending output, so a full disk can show up here first.
  if (file_ == nullptr || position < 0 || position > std::numeric_limits<off_t>::max() ||
      fseeko(file_, off_t(position), SEEK_SET) != 0) {
    failed_ = true;
    return false;
  }
  return true;
}

int64_t FileByteStream::position() const {
  if (file_ == nullptr) return 0;
  off_t here = ftello(file_);
  return here < 0 ? 0 : int64_t(here);
}

int64_t FileByteStream::size() {
  if (file_ == nullptr) return 0;
  off_t here = ftello(file_);
  if (here < 0 || fseeko(file_, 0, SEEK_END) != 0) return 0;
  off_t end = ftello(file_);
  if (fseeko(file_, here, SEEK_SET) != 0) failed_ = true;
  return end < 0 ? 0 : int64_t(end);
}

bool FileByteStream::failed() const {
  return failed_ || file_ == nullptr || std::ferror(file_) != 0;
}

bool FileByteStream::close() {
  if (file_ == nullptr) return !failed_;
  bool ok = !failed();
  // fclose flushes the last buffer; a full disk often shows up only here.
  if (std::fflush(file_) != 0) ok = false;
  if (std::fclose(file_) != 0) ok = false;
  file_ = nullptr;
  if (!ok) failed_ = true;
  return ok;
}

size_t MemoryByteStream::read(uint8_t* destination, size_t count) {
  int64_t length = int64_t(bytes_.size());
  if (position_ >= length || count == 0) return 0;
  size_t available = size_t(length - position_);
  size_t copied = std::min(count, available);
  std::memcpy(destination, bytes_.data() + position_, copied);
  position_ += int64_t(copied);
  return copied;
}

bool MemoryByteStream::write(const uint8_t* source, size_t count) {
  if (count == 0) return true;
  uint64_t end = uint64_t(position_) + count;
  if (end > bytes_.max_size()) {
    failed_ = true;
    return false;
  }
  // Writing past the end fills the gap with zeros, as a file would.
  if (end > bytes_.size()) bytes_.resize(size_t(end), 0);
  std::memcpy(bytes_.data() + position_, source, count);
  position_ = int64_t(end);
  return true;
}

bool MemoryByteStream::seek(int64_t position) {
  if (position < 0) {
    failed_ = true;
    return false;
  }
  position_ = position;
  return true;
}

}  // namespace tp
