#include "audiofile/bytestream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include "storage/filehandle.h"
#include "storage/sha256.h"

namespace tp {

std::unique_ptr<FileByteStream> FileByteStream::open(const std::filesystem::path& path,
                                                     bool forWriting) {
  // Opening a FIFO for reading waits for a writer: open without waiting,
  // then look at what it is.
  auto handle = std::make_unique<FileHandle>(
      FileHandle::Open(path, forWriting ? O_WRONLY | O_CREAT | O_TRUNC : O_RDONLY | O_NONBLOCK));
  if (!handle->valid()) return nullptr;
  if (!forWriting) {
    // A FIFO or a device would block the reader forever or never end: only
    // regular files are sound files.
    struct stat info {};
    if (::fstat(handle->fd(), &info) != 0) return nullptr;
    if (!S_ISREG(info.st_mode)) {
      errno = S_ISDIR(info.st_mode) ? EISDIR : NotRegularFileError;
      return nullptr;
    }
    ::fcntl(handle->fd(), F_SETFL, ::fcntl(handle->fd(), F_GETFL) & ~O_NONBLOCK);
  }
  FileHandle* raw = handle.get();
  return std::unique_ptr<FileByteStream>(new FileByteStream(std::move(handle), raw));
}

std::unique_ptr<FileByteStream> FileByteStream::borrow(FileHandle& handle) {
  auto stream = std::unique_ptr<FileByteStream>(new FileByteStream(nullptr, &handle));
  const int64_t here = handle.Seek(0, SEEK_CUR);
  stream->position_ = here < 0 ? 0 : here;
  return stream;
}

FileByteStream::FileByteStream(std::unique_ptr<FileHandle> owned, FileHandle* handle)
    : owned_(std::move(owned)), handle_(handle) {}

FileByteStream::~FileByteStream() = default;

void FileByteStream::fail() {
  if (!failed_) systemError_ = errno == 0 ? EIO : errno;
  failed_ = true;
}

size_t FileByteStream::read(uint8_t* destination, size_t count) {
  if (handle_ == nullptr || count == 0) return 0;
  // At the stream's own position, so that several streams can read one
  // open file (one per worker) without moving each other.
  const ssize_t got = handle_->ReadAt(destination, count, position_);
  if (got < 0) {
    fail();
    return 0;
  }
  position_ += got;
  return size_t(got);
}

bool FileByteStream::write(const uint8_t* source, size_t count) {
  if (handle_ == nullptr) {
    failed_ = true;
    return false;
  }
  if (count == 0) return true;
  if (!handle_->Write(source, count)) {
    fail();
    return false;
  }
  if (passingSum_) passingSum_->Update(source, count);
  position_ += int64_t(count);
  return true;
}

bool FileByteStream::seek(int64_t position) {
  if (handle_ == nullptr || position < 0 || handle_->Seek(position, SEEK_SET) < 0) {
    fail();
    return false;
  }
  position_ = position;
  return true;
}

int64_t FileByteStream::size() {
  if (handle_ == nullptr) return 0;
  const int64_t size = handle_->Size();
  return size < 0 ? 0 : size;
}

bool FileByteStream::close() {
  if (handle_ == nullptr) return !failed_;
  bool ok = !failed_;
  // Only a file this stream opened is closed here; a borrowed one is
  // synced and closed by its owner.
  if (owned_ && !owned_->Close()) ok = false;
  handle_ = nullptr;
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
