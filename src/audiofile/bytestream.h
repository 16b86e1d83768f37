// ByteStream: the bytes an AudioFile reads or writes. The parsers only ever
// see this interface, so tests and the fuzzer can hand them memory instead of
// a file on disk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

namespace tp {

class FileHandle;
class Sha256;

class ByteStream {
 public:
  virtual ~ByteStream() = default;

  // Copies up to `count` bytes from the current position into `destination`
  // and returns how many it copied. A short count means the end of the bytes
  // or a read error; readers treat both alike.
  virtual size_t read(uint8_t* destination, size_t count) = 0;

  // Appends or overwrites `count` bytes at the current position. Returns
  // false (and marks the stream failed) when not all of them were taken.
  virtual bool write(const uint8_t* source, size_t count) = 0;

  // Moves to an absolute position. Returns false, and marks the stream
  // failed, when the position is negative or the seek was refused.
  virtual bool seek(int64_t position) = 0;

  virtual int64_t position() const = 0;

  // Total length in bytes, as it is now.
  virtual int64_t size() = 0;

  // True once any read, write or seek has failed (a short read at the end
  // of the bytes is no failure).
  virtual bool failed() const = 0;
  // The system's reason for that failure, 0 when there is none.
  virtual int systemError() const { return 0; }

  // Pushes every written byte to its destination and lets go of it. Returns
  // false when anything written since opening did not arrive; a stream that
  // was never written to returns true.
  virtual bool close() = 0;
};

// A file on disk, read and written through the file layer (one system call
// per read or write the parsers and writers ask for; they ask in blocks).
// Reads go to the stream's own position (pread), so streams borrowing one
// open file read independently; writes go to the file's position.
class FileByteStream final : public ByteStream {
 public:
  // Opens `path` for binary reading, or creates / truncates it for binary
  // writing. Returns null when the file cannot be opened.
  static std::unique_ptr<FileByteStream> open(const std::filesystem::path& path, bool forWriting);
  // Writes into a file someone else owns and closes (a SafeFile's handle).
  static std::unique_ptr<FileByteStream> borrow(FileHandle& handle);
  ~FileByteStream() override;

  size_t read(uint8_t* destination, size_t count) override;
  bool write(const uint8_t* source, size_t count) override;
  bool seek(int64_t position) override;
  int64_t position() const override { return position_; }
  int64_t size() override;
  bool failed() const override { return failed_; }
  bool close() override;
  // The system's reason for the first failed read, write or seek (errno).
  int systemError() const override { return systemError_; }
  // The open file, for a second stream over it (borrow).
  FileHandle* handle() const { return handle_; }
  // From now on every byte written also goes into `sum` (nothing when
  // null): for a file written front to back, never seeking back, whose
  // digest is then that of the file.
  void HashWrites(Sha256* sum) { passingSum_ = sum; }
  // Keeps the next write back and sends it together with the one after it
  // (or at a seek or close). A header written alone into a pipe is all a
  // reader's first read gets, and a reader that recognises its input by
  // that first read (sox does) then finds no header it knows.
  void HoldNextWrite() { holding_ = true; }

 private:
  FileByteStream(std::unique_ptr<FileHandle> owned, FileHandle* handle);
  void fail();
  std::unique_ptr<FileHandle> owned_;
  FileHandle* handle_;
  int64_t position_ = 0;
  bool failed_ = false;
  int systemError_ = 0;
  Sha256* passingSum_ = nullptr;
  bool holding_ = false;
  std::vector<uint8_t> held_;
  bool writeHeld();
};

// Bytes held in memory: a parser's input in tests and in the fuzzer, or a
// writer's output when a test wants to look at it without touching the disk.
class MemoryByteStream final : public ByteStream {
 public:
  MemoryByteStream() = default;
  explicit MemoryByteStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  MemoryByteStream(const uint8_t* bytes, size_t count) : bytes_(bytes, bytes + count) {}

  size_t read(uint8_t* destination, size_t count) override;
  bool write(const uint8_t* source, size_t count) override;
  bool seek(int64_t position) override;
  int64_t position() const override { return position_; }
  int64_t size() override { return int64_t(bytes_.size()); }
  bool failed() const override { return failed_; }
  bool close() override { return !failed_; }

  const std::vector<uint8_t>& bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  int64_t position_ = 0;
  bool failed_ = false;
};

}  // namespace tp
