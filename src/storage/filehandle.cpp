#include "storage/filehandle.h"
#include "storage/readobserver.h"

#include <atomic>
#include <memory>
#include <cerrno>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace tp {

namespace {

struct Faults {
  std::atomic<bool> armed{false};
  std::atomic<long> readsLeft{0}, writesLeft{0}, corruptWritesLeft{0};
  std::atomic<int> readError{0}, writeError{0};
  std::mutex mutex;  // guards the path table
  std::string pathSuffix;
  int pathError = 0;
  long pathReadsAllowed = 0;
  std::unordered_map<int, long> failingDescriptors;  // descriptor -> reads left before failing
  std::shared_ptr<const std::function<void(const FaultInjection::ReadEvent&)>> readObserver;
  std::unordered_map<int, std::string> observedPaths;  // descriptor -> path, while observing
};

Faults& faults() {
  static Faults instance;
  return instance;
}

// True (errno set) when this read is the one the test asked to fail.
bool readShouldFail(int fd) {
  Faults& f = faults();
  if (!f.armed.load(std::memory_order_relaxed)) return false;
  {
    std::lock_guard lock(f.mutex);
    if (auto it = f.failingDescriptors.find(fd); it != f.failingDescriptors.end()) {
      if (it->second > 0) {
        --it->second;
      } else {
        errno = f.pathError;
        return true;
      }
    }
  }
  if (f.readsLeft.load() > 0 && f.readsLeft.fetch_sub(1) == 1) {
    errno = f.readError.load();
    return true;
  }
  return false;
}

bool writeShouldFail() {
  Faults& f = faults();
  if (!f.armed.load(std::memory_order_relaxed)) return false;
  if (f.writesLeft.load() > 0 && f.writesLeft.fetch_sub(1) == 1) {
    errno = f.writeError.load();
    return true;
  }
  return false;
}

// True when this write is the one whose bytes the test asked to corrupt.
bool writeShouldCorrupt() {
  Faults& f = faults();
  if (!f.armed.load(std::memory_order_relaxed)) return false;
  return f.corruptWritesLeft.load() > 0 && f.corruptWritesLeft.fetch_sub(1) == 1;
}

// Writes a copy of `source` with one bit flipped.
template <typename WriteAll>
bool writeCorrupted(const void* source, size_t count, WriteAll writeAll) {
  std::vector<uint8_t> copy(static_cast<const uint8_t*>(source), static_cast<const uint8_t*>(source) + count);
  if (!copy.empty()) copy[copy.size() / 2] ^= 0x01;
  return writeAll(copy.data(), copy.size());
}

void noteOpened(int fd, const std::filesystem::path& path) {
  Faults& f = faults();
  if (!f.armed.load(std::memory_order_relaxed)) return;
  std::lock_guard lock(f.mutex);
  const std::string name = path.string();
  if (f.readObserver) f.observedPaths[fd] = name;
  const bool match = !f.pathSuffix.empty() && name.size() >= f.pathSuffix.size() &&
                     name.compare(name.size() - f.pathSuffix.size(), f.pathSuffix.size(), f.pathSuffix) == 0;
  if (match) f.failingDescriptors[fd] = f.pathReadsAllowed;
  else f.failingDescriptors.erase(fd);
}

// Tells the test's observer of a read of `fd`, when one watches.
void noteRead(int fd, int64_t offset, size_t count, bool finished) {
  Faults& f = faults();
  if (!f.armed.load(std::memory_order_relaxed)) return;
  std::shared_ptr<const std::function<void(const FaultInjection::ReadEvent&)>> observer;
  FaultInjection::ReadEvent event{{}, offset, count, finished};
  {
    std::lock_guard lock(f.mutex);
    if (!f.readObserver) return;
    observer = f.readObserver;
    if (auto it = f.observedPaths.find(fd); it != f.observedPaths.end()) event.path = it->second;
  }
  (*observer)(event);
}

}  // namespace

namespace FaultInjection {
void FailNthRead(long n, int error) {
  faults().readError = error;
  faults().readsLeft = n;
  faults().armed = true;
}
void FailNthWrite(long n, int error) {
  faults().writeError = error;
  faults().writesLeft = n;
  faults().armed = true;
}
void CorruptNthWrite(long n) {
  faults().corruptWritesLeft = n;
  faults().armed = true;
}
void FailReadsOf(const std::string& suffix, int error, long afterReads) {
  std::lock_guard lock(faults().mutex);
  faults().pathSuffix = suffix;
  faults().pathError = error;
  faults().pathReadsAllowed = afterReads;
  faults().armed = true;
}
void ObserveReads(std::function<void(const ReadEvent&)> observer) {
  std::lock_guard lock(faults().mutex);
  faults().observedPaths.clear();
  if (observer) {
    faults().readObserver = std::make_shared<const std::function<void(const ReadEvent&)>>(std::move(observer));
    faults().armed = true;
  } else {
    faults().readObserver.reset();
  }
}
void Reset() {
  Faults& f = faults();
  f.armed = false;
  f.readsLeft = 0;
  f.writesLeft = 0;
  f.corruptWritesLeft = 0;
  std::lock_guard lock(f.mutex);
  f.pathSuffix.clear();
  f.failingDescriptors.clear();
  f.readObserver.reset();
  f.observedPaths.clear();
}
}  // namespace FaultInjection

FileHandle::~FileHandle() {
  if (fd_ >= 0) ::close(fd_);
}

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = other.release();
  }
  return *this;
}

namespace {

std::atomic<bool (*)()> stopRequestedCheck{nullptr};

bool stopRequested() {
  bool (*check)() = stopRequestedCheck.load(std::memory_order_relaxed);
  return check != nullptr && check();
}

constexpr int StopPollMilliseconds = 100;

void sleepForStopPoll() {
  const timespec pause{0, StopPollMilliseconds * 1'000'000L};
  ::nanosleep(&pause, nullptr);
}

int openRetryingSignals(const std::filesystem::path& path, int flags, mode_t mode) {
  int fd;
  do fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  while (fd < 0 && errno == EINTR && !stopRequested());
  return fd;
}

// Takes back the O_NONBLOCK the open was made with, unless the caller asked
// for it.
void restoreBlocking(int fd, int askedFlags) {
  if (askedFlags & O_NONBLOCK) return;
  const int status = ::fcntl(fd, F_GETFL);
  if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
}

}  // namespace

void SetStopRequestedCheck(bool (*check)()) { stopRequestedCheck.store(check, std::memory_order_relaxed); }

FileHandle FileHandle::Open(const std::filesystem::path& path, int flags, mode_t mode) {
  if (flags & O_DIRECTORY) {
    const int fd = openRetryingSignals(path, flags, mode);
    if (fd >= 0) noteOpened(fd, path);
    return FileHandle(fd);
  }
  // A FIFO opened for writing without a reader fails at once with ENXIO.
  const int fd = openRetryingSignals(path, flags | O_NONBLOCK, mode);
  if (fd < 0) {
    struct stat info {};
    if (errno == ENXIO && ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) errno = NotRegularFileError;
    return FileHandle(-1);
  }
  // A path opened to be created was named as an output by its caller; a
  // device there (a test's /dev/full) is written as it is.
  struct stat info {};
  const bool named = (flags & O_CREAT) != 0;
  if (::fstat(fd, &info) != 0 || (!S_ISREG(info.st_mode) && !(named && S_ISCHR(info.st_mode)))) {
    const int error = S_ISDIR(info.st_mode) ? EISDIR : NotRegularFileError;
    ::close(fd);
    errno = error;
    return FileHandle(-1);
  }
  restoreBlocking(fd, flags);
  noteOpened(fd, path);
  return FileHandle(fd);
}

FileHandle FileHandle::OpenOutputAsItIs(const std::filesystem::path& path) {
  for (;;) {
    const int fd = openRetryingSignals(path, O_WRONLY | O_NONBLOCK, 0);
    if (fd >= 0) {
      noteOpened(fd, path);
      return FileHandle(fd);
    }
    if (errno != ENXIO) return FileHandle(-1);
    // A FIFO that nobody reads yet.
    if (stopRequested()) {
      errno = EINTR;
      return FileHandle(-1);
    }
    sleepForStopPoll();
  }
}

bool FileHandle::Close() {
  if (fd_ < 0) return true;
  const int result = ::close(release());
  return result == 0 || errno == EINTR;
}

namespace {

// Reads until `count` bytes, the end of the file or an error, retrying after
// signals; at `offset`, or at the file position when it is negative.
ssize_t readFully(int fd, void* destination, size_t count, int64_t offset) {
  auto* bytes = static_cast<uint8_t*>(destination);
  size_t done = 0;
  while (done < count) {
    const ssize_t got = offset < 0 ? ::read(fd, bytes + done, count - done)
                                   : ::pread(fd, bytes + done, count - done, off_t(offset + int64_t(done)));
    if (got < 0 && errno == EINTR && !stopRequested()) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += size_t(got);
  }
  return ssize_t(done);
}

// Waits until a pipe or device that did not take a write has room again;
// false (errno EINTR) when a stop was asked for meanwhile.
bool waitForRoom(int fd) {
  for (;;) {
    if (stopRequested()) {
      errno = EINTR;
      return false;
    }
    pollfd watch{fd, POLLOUT, 0};
    const int ready = ::poll(&watch, 1, StopPollMilliseconds);
    if (ready > 0) return true;
    if (ready < 0 && errno != EINTR) return false;
  }
}

// Writes every byte, retrying after signals; a write that takes nothing is
// a full disk.
bool writeFully(int fd, const void* source, size_t count, int64_t offset) {
  const auto* bytes = static_cast<const uint8_t*>(source);
  size_t done = 0;
  while (done < count) {
    const ssize_t put = offset < 0 ? ::write(fd, bytes + done, count - done)
                                   : ::pwrite(fd, bytes + done, count - done, off_t(offset + int64_t(done)));
    if (put < 0 && errno == EINTR && !stopRequested()) continue;
    if (put < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      if (!waitForRoom(fd)) return false;
      continue;
    }
    if (put < 0) return false;
    if (put == 0) {
      errno = ENOSPC;
      return false;
    }
    done += size_t(put);
  }
  return true;
}

}  // namespace

ssize_t FileHandle::Read(void* destination, size_t count) { return ReadAt(destination, count, -1); }

ssize_t FileHandle::ReadAt(void* destination, size_t count, int64_t offset) {
  if (readShouldFail(fd_)) return -1;
  noteRead(fd_, offset, count, false);
  const ssize_t got = readFully(fd_, destination, count, offset);
  const int error = errno;
  noteRead(fd_, offset, count, true);
  errno = error;
  return got;
}

bool FileHandle::Write(const void* source, size_t count) {
  if (writeShouldFail()) return false;
  if (writeShouldCorrupt())
    return writeCorrupted(source, count, [this](const void* bytes, size_t n) { return writeFully(fd_, bytes, n, -1); });
  return writeFully(fd_, source, count, -1);
}

bool FileHandle::WriteAt(const void* source, size_t count, int64_t offset) {
  if (writeShouldFail()) return false;
  if (writeShouldCorrupt())
    return writeCorrupted(source, count,
                          [this, offset](const void* bytes, size_t n) { return writeFully(fd_, bytes, n, offset); });
  return writeFully(fd_, source, count, offset);
}

int64_t FileHandle::Seek(int64_t offset, int whence) { return int64_t(::lseek(fd_, off_t(offset), whence)); }

int64_t FileHandle::Size() const {
  struct stat info {};
  if (::fstat(fd_, &info) != 0) return -1;
  return int64_t(info.st_size);
}

bool FileHandle::Sync() {
  if (::fsync(fd_) == 0) return true;
  return errno == EINVAL || errno == EROFS || errno == ENOTSUP;
}

void FileHandle::StartWriteBack() {
#ifdef __linux__
  ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

bool SyncFolder(const std::filesystem::path& folder) {
  FileHandle handle = FileHandle::Open(folder.empty() ? "." : folder, O_RDONLY | O_DIRECTORY);
  if (!handle.valid()) return false;
  return handle.Sync();
}

}  // namespace tp
