#include "playback/takefiles.h"

#include <bit>
#include <cstdio>
#include <limits>

namespace tp {

namespace {

// Samples of a take start after its fixed 65,536-byte header.
constexpr int64_t SampleDataOffset = 65536;
constexpr int64_t BytesPerSample = 2;

}  // namespace

struct TakeFiles::Slot {
  std::FILE* file = nullptr;
  ~Slot() {
    if (file) std::fclose(file);
  }
};

TakeFiles::TakeFiles() = default;
TakeFiles::~TakeFiles() { CloseAll(); }

bool TakeFiles::Open(int slot, const std::filesystem::path& path, uint32_t frame) {
  if (slot < 0 || slot >= SlotCount) return false;
  Close(slot);
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  // The mixer asks for a whole block at a time; without stdio's own buffer
  // that becomes one read of the file per slot and block instead of a copy
  // through a 4 KiB buffer.
  std::setvbuf(file, nullptr, _IONBF, 0);
  slots_[slot] = std::make_unique<Slot>();
  slots_[slot]->file = file;
  if (!Seek(slot, frame)) {
    Close(slot);
    return false;
  }
  return true;
}

bool TakeFiles::IsOpen(int slot) const {
  return slot >= 0 && slot < SlotCount && slots_[slot] != nullptr;
}

bool TakeFiles::Seek(int slot, uint32_t frame) {
  if (!IsOpen(slot)) return false;
  const int64_t offset = SampleDataOffset + BytesPerSample * int64_t(frame);
  if (offset > std::numeric_limits<long>::max()) return false;
  return std::fseek(slots_[slot]->file, long(offset), SEEK_SET) == 0;
}

size_t TakeFiles::Read(int slot, int16_t* samples, size_t count) {
  if (!IsOpen(slot) || count == 0) return 0;
  std::FILE* file = slots_[slot]->file;
  auto* bytes = reinterpret_cast<unsigned char*>(samples);
  const size_t got = std::fread(bytes, 1, count * BytesPerSample, file);
  if (got < count * BytesPerSample) std::clearerr(file);  // a later seek may read again
  const size_t read = got / BytesPerSample;
  // The bytes are little-endian whatever the host is; on a little-endian
  // host they already are the samples.
  if constexpr (std::endian::native != std::endian::little) {
    for (size_t n = 0; n < read; ++n) {
      const uint16_t value = uint16_t(bytes[2 * n] | (bytes[2 * n + 1] << 8));
      samples[n] = int16_t(value);
    }
  }
  return read;
}

void TakeFiles::Close(int slot) {
  if (slot >= 0 && slot < SlotCount) slots_[slot].reset();
}

void TakeFiles::CloseAll() {
  for (auto& slot : slots_) slot.reset();
}

bool TakeFiles::AnyOpen() const {
  for (const auto& slot : slots_)
    if (slot) return true;
  return false;
}

}  // namespace tp
