// The outline of a sound: its samples split into a number of columns of
// equal length (the frames of column c are c x length / columns up to
// (c + 1) x length / columns), and per column the lowest and the highest
// sample. It is what the take grid draws behind a take's name and what the
// open dialog's preview draws under the format lines.
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "storage/status.h"

namespace tp {

class ReadGate;

struct ChannelOutline {
  std::vector<int16_t> minimum, maximum;  // one per column
  bool operator==(const ChannelOutline&) const = default;
};

// Collects interleaved 16-bit frames into one outline per channel. A column
// that no frame falls into (a sound shorter than the columns) is 0 to 0.
class OutlineBuilder {
 public:
  OutlineBuilder(uint64_t totalFrames, int columns, int channels);
  // The next `frames` frames; frames beyond the total are ignored.
  void Add(const int16_t* interleaved, uint64_t frames);
  std::vector<ChannelOutline> Finish();

 private:
  uint64_t ColumnEnd(int column) const;
  void AddRun(const int16_t* interleaved, uint64_t frames);

  uint64_t total_;
  int columns_, channels_;
  uint64_t done_ = 0;
  int column_ = 0;
  uint64_t columnEnd_ = 0;
  std::vector<ChannelOutline> outlines_;
  std::vector<bool> filled_;
};

// Frames read per block: 128 KiB of a take, whatever its length.
constexpr uint32_t OutlineBlockFrames = 65536;

// The outline of one take file (a single channel after the header), read
// through FileHandle a block at a time, waiting at `gate` before each block.
// A read failure names the file and the system's reason; a cancel gives
// messages::OutlineReadingStopped.
Status ComputeTakeOutline(const std::filesystem::path& file, int columns, ReadGate& gate, ChannelOutline& outline);

// The outline of a WAV, AIFF or FLAC file: its first one or two channels,
// and the frames they span.
struct SoundOutline {
  std::vector<ChannelOutline> channels;
  uint64_t frames = 0;
};
Status ComputeSoundFileOutline(const std::filesystem::path& file, int columns, ReadGate& gate, SoundOutline& outline);

}  // namespace tp
