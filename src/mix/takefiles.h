// TakeFiles: the 16 open take file slots of an audition or an export. Slot i
// is track i, or in master mode slot 0 the left and slot 1 the right file of
// the master take. Each slot reads a block with one read of the file.
//
// A read error is never silence: the slot stops delivering, and Failure()
// tells which slot failed and why, so that the export, the stems and the
// audition can stop and say so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>

namespace tp {

class TakeReadAhead;

class TakeFiles {
 public:
  static constexpr int SlotCount = 16;

  struct ReadFailure {
    int slot;
    int systemError;
  };

  TakeFiles();
  ~TakeFiles();  // closes every slot
  TakeFiles(const TakeFiles&) = delete;
  TakeFiles& operator=(const TakeFiles&) = delete;

  // Opens a take data file for reading into `slot`, positioned at `frame`.
  // Returns false, leaving the slot empty, when the file cannot be opened.
  bool Open(int slot, const std::filesystem::path& path, uint32_t frame);
  // Opens every slot that `owner` has open onto the same open files, at the
  // first sample, with positions and read errors of its own: a second
  // reader of the same takes for another thread (reads go to an offset and
  // never move a shared file position). `owner` keeps the files open and
  // must outlive this.
  void ShareOpenSlots(TakeFiles& owner);
  // From now on the open slots are read ahead in large pieces by a thread
  // of their own (TakeReadAhead), for this and every TakeFiles sharing
  // them: what an export or a measurement does, which reads each take
  // through from one place. Opening or closing a slot ends it.
  void ReadInLargePieces();
  bool IsOpen(int slot) const;
  // Positions an open slot at `frame`; false when the seek failed.
  bool Seek(int slot, uint32_t frame);
  // Reads up to `count` samples from the slot's position, converted from
  // little-endian; returns how many were read: fewer at the end of the take,
  // 0 after a read error (see Failure).
  size_t Read(int slot, int16_t* samples, size_t count);
  void Close(int slot);
  void CloseAll();
  bool AnyOpen() const;

  // The first read error since the slots were opened, if any.
  std::optional<ReadFailure> Failure() const;

 private:
  struct Slot;
  void stopReadingAhead();

  std::unique_ptr<Slot> slots_[SlotCount];
  std::shared_ptr<TakeReadAhead> readAhead_;  // with ReadInLargePieces, shared with those sharing the slots
  bool ownsReadAhead_ = false;
};

}  // namespace tp
