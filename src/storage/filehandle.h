// FileHandle: an open file descriptor and the only way the core reads and
// writes the user's files. Every read and write passes through here, which
// makes this the one place where a test can make the Nth read or write fail
// (FaultInjection) the way a failing disk or a full one would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

#include <sys/types.h>

namespace tp {

// The reason a FileHandle gives (in errno) for a path that is there but is
// not a regular file: a FIFO, a device, a socket. It lies outside the
// system's error numbers, and Status spells it out.
inline constexpr int NotRegularFileError = 0x10000;

class FileHandle {
 public:
  FileHandle() = default;
  explicit FileHandle(int descriptor) : fd_(descriptor) {}
  ~FileHandle();
  FileHandle(FileHandle&& other) noexcept : fd_(other.release()) {}
  FileHandle& operator=(FileHandle&& other) noexcept;
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  // open(2) with close-on-exec; an invalid handle (errno set) on failure.
  // Whatever is not a folder must be a regular file: a FIFO, a device or a
  // socket is refused with NotRegularFileError (only an open that creates,
  // whose caller named the output, may find a character device there). The open itself never waits
  // (O_NONBLOCK), so a FIFO nobody writes cannot hang the program; the
  // handle it returns blocks as usual unless the caller asked otherwise.
  static FileHandle Open(const std::filesystem::path& path, int flags, mode_t mode = 0666);
  // Opens an output the user named that is not a regular file (a FIFO, a
  // terminal, a device) for writing, as it is. A FIFO without a reader is
  // waited for, and the wait ends with EINTR when a stop is requested
  // (SetStopRequestedCheck). The handle does not block: a write that finds
  // the pipe full waits for room the same way.
  static FileHandle OpenOutputAsItIs(const std::filesystem::path& path);

  bool valid() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  // Closes now; false (errno set) when the close reported an error, which on
  // some file systems is where a failed write shows.
  bool Close();

  // Reads up to `count` bytes, retrying after signals and short reads until
  // the end of the file. Returns the bytes read, or -1 with errno set.
  ssize_t Read(void* destination, size_t count);
  // The same at an absolute offset, leaving the file position alone.
  ssize_t ReadAt(void* destination, size_t count, int64_t offset);
  // Writes every byte or fails: false with errno set (ENOSPC for a full
  // disk that took part of the bytes).
  bool Write(const void* source, size_t count);
  bool WriteAt(const void* source, size_t count, int64_t offset);
  // lseek(2); -1 with errno set on failure.
  int64_t Seek(int64_t offset, int whence);
  int64_t Size() const;
  // fsync(2), treating "this kind of file cannot be synced" (a pipe, a
  // character device) as done.
  bool Sync();
  // Starts writing the file's dirty pages to the disk and returns at once
  // (sync_file_range); a hint, whose failure shows at the next Sync.
  void StartWriteBack();

 private:
  int fd_ = -1;
};

// The command line's Ctrl-C: a write to a pipe nobody empties, or the wait
// for a FIFO's reader, asks `check` every tenth of a second and gives up with
// EINTR once it says yes. Without a check they wait as long as it takes.
void SetStopRequestedCheck(bool (*check)());

// fsync of a folder, so that a rename into it survives a power cut.
bool SyncFolder(const std::filesystem::path& folder);

// The test seam: make a chosen read or write fail as a disk would. Counting
// starts at the next call after Arm*; 0 disarms. Thread-safe; in the program
// nothing arms it and it costs one relaxed atomic load per call.
namespace FaultInjection {
void FailNthRead(long n, int error);   // e.g. (3, EIO): the third read fails
void FailNthWrite(long n, int error);  // e.g. (1, ENOSPC)
// The Nth write succeeds but one bit of the byte in the middle of what it was
// given reaches the file flipped, as from a disk that writes wrong data and
// reports no error: what a read-back check exists to catch.
void CorruptNthWrite(long n);
// Reads of one file only: every read of a file whose path ends in
// `suffix`, after the first `afterReads` reads of it succeeded.
void FailReadsOf(const std::string& suffix, int error, long afterReads = 0);
void Reset();
}  // namespace FaultInjection

}  // namespace tp
