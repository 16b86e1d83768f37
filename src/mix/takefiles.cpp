#include "mix/takefiles.h"

#include <array>
#include <bit>
#include <cerrno>
#include <limits>

#include <fcntl.h>

#include "audiofile/takefile.h"
#include "mix/takereadahead.h"
#include "storage/filehandle.h"

namespace tp {

struct TakeFiles::Slot {
  FileHandle owned;            // closed with the slot, unless the file is shared
  FileHandle* file = &owned;
  int64_t position = 0;  // byte offset of the next sample
  int systemError = 0;   // set by a failed read
};

TakeFiles::TakeFiles() = default;
TakeFiles::~TakeFiles() { CloseAll(); }

bool TakeFiles::Open(int slot, const std::filesystem::path& path, uint32_t frame) {
  if (slot < 0 || slot >= SlotCount) return false;
  Close(slot);
  stopReadingAhead();
  FileHandle file = FileHandle::Open(path, O_RDONLY);
  if (!file.valid()) return false;
  slots_[slot] = std::make_unique<Slot>();
  slots_[slot]->owned = std::move(file);
  Seek(slot, frame);
  return true;
}

void TakeFiles::ReadInLargePieces() {
  stopReadingAhead();
  std::array<FileHandle*, SlotCount> files{};
  for (int slot = 0; slot < SlotCount; ++slot)
    if (IsOpen(slot)) files[size_t(slot)] = slots_[slot]->file;
  readAhead_ = std::make_shared<TakeReadAhead>(files);
  ownsReadAhead_ = true;
}

void TakeFiles::stopReadingAhead() {
  if (readAhead_ && ownsReadAhead_) readAhead_->Stop();
  readAhead_.reset();
  ownsReadAhead_ = false;
}

void TakeFiles::ShareOpenSlots(TakeFiles& owner) {
  CloseAll();
  readAhead_ = owner.readAhead_;
  for (int slot = 0; slot < SlotCount; ++slot) {
    if (!owner.IsOpen(slot)) continue;
    slots_[slot] = std::make_unique<Slot>();
    slots_[slot]->file = owner.slots_[slot]->file;
    Seek(slot, 0);
  }
}

bool TakeFiles::IsOpen(int slot) const { return slot >= 0 && slot < SlotCount && slots_[slot] != nullptr; }

bool TakeFiles::Seek(int slot, uint32_t frame) {
  if (!IsOpen(slot)) return false;
  slots_[slot]->position = TakeSampleByteOffset(frame);
  return true;
}

size_t TakeFiles::Read(int slot, int16_t* samples, size_t count) {
  if (!IsOpen(slot) || count == 0) return 0;
  Slot& s = *slots_[slot];
  if (s.systemError != 0) return 0;
  auto* bytes = reinterpret_cast<unsigned char*>(samples);
  const ssize_t got = readAhead_ ? readAhead_->ReadAt(slot, bytes, count * TakeBytesPerSample, s.position)
                                 : s.file->ReadAt(bytes, count * TakeBytesPerSample, s.position);
  if (got < 0) {
    s.systemError = errno == 0 ? EIO : errno;
    return 0;
  }
  const size_t read = size_t(got) / TakeBytesPerSample;
  s.position += int64_t(read * TakeBytesPerSample);
  // The bytes are little-endian whatever the host is; on a little-endian
  // host they already are the samples.
  if constexpr (std::endian::native != std::endian::little) {
    for (size_t n = 0; n < read; ++n) samples[n] = int16_t(uint16_t(bytes[2 * n] | (bytes[2 * n + 1] << 8)));
  }
  return read;
}

void TakeFiles::Close(int slot) {
  if (slot < 0 || slot >= SlotCount) return;
  if (slots_[slot]) stopReadingAhead();
  slots_[slot].reset();
}

void TakeFiles::CloseAll() {
  stopReadingAhead();
  for (auto& slot : slots_) slot.reset();
}

bool TakeFiles::AnyOpen() const {
  for (const auto& slot : slots_)
    if (slot) return true;
  return false;
}

std::optional<TakeFiles::ReadFailure> TakeFiles::Failure() const {
  for (int slot = 0; slot < SlotCount; ++slot)
    if (slots_[slot] && slots_[slot]->systemError != 0) return ReadFailure{slot, slots_[slot]->systemError};
  return std::nullopt;
}

}  // namespace tp
