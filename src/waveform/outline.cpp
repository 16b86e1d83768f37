#include "waveform/outline.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <memory>

#include "audiofile/byteorder.h"
#include "audiofile/takefile.h"
#include "convert/importsource.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "waveform/readgate.h"

namespace tp {

OutlineBuilder::OutlineBuilder(uint64_t totalFrames, int columns, int channels)
    : total_(totalFrames),
      columns_(std::max(columns, 0)),
      channels_(std::max(channels, 1)),
      outlines_(size_t(channels_)),
      filled_(size_t(columns_), false) {
  for (ChannelOutline& outline : outlines_) {
    outline.minimum.assign(size_t(columns_), std::numeric_limits<int16_t>::max());
    outline.maximum.assign(size_t(columns_), std::numeric_limits<int16_t>::min());
  }
  columnEnd_ = ColumnEnd(0);
}

uint64_t OutlineBuilder::ColumnEnd(int column) const {
  // A take holds at most 2^31 frames and the columns are a few hundred, so
  // the product stays far below 2^64.
  return columns_ == 0 ? 0 : (uint64_t(column) + 1) * total_ / uint64_t(columns_);
}

void OutlineBuilder::Add(const int16_t* interleaved, uint64_t frames) {
  frames = std::min(frames, total_ - std::min(done_, total_));
  while (frames > 0 && column_ < columns_) {
    // Columns shorter than a frame (more columns than frames) hold none.
    while (column_ < columns_ && done_ >= columnEnd_) columnEnd_ = ColumnEnd(++column_);
    if (column_ >= columns_) break;
    const uint64_t run = std::min(frames, columnEnd_ - done_);
    AddRun(interleaved, run);
    interleaved += run * uint64_t(channels_);
    frames -= run;
    done_ += run;
  }
}

// Frames that all fall into the current column.
void OutlineBuilder::AddRun(const int16_t* interleaved, uint64_t frames) {
  filled_[size_t(column_)] = true;
  for (int channel = 0; channel < channels_; ++channel) {
    int16_t low = outlines_[size_t(channel)].minimum[size_t(column_)];
    int16_t high = outlines_[size_t(channel)].maximum[size_t(column_)];
    for (uint64_t frame = 0; frame < frames; ++frame) {
      const int16_t sample = interleaved[frame * uint64_t(channels_) + uint64_t(channel)];
      low = std::min(low, sample);
      high = std::max(high, sample);
    }
    outlines_[size_t(channel)].minimum[size_t(column_)] = low;
    outlines_[size_t(channel)].maximum[size_t(column_)] = high;
  }
}

std::vector<ChannelOutline> OutlineBuilder::Finish() {
  for (ChannelOutline& outline : outlines_)
    for (int column = 0; column < columns_; ++column)
      if (!filled_[size_t(column)]) outline.minimum[size_t(column)] = outline.maximum[size_t(column)] = 0;
  return std::move(outlines_);
}

Status ComputeTakeOutline(const std::filesystem::path& file, int columns, ReadGate& gate, ChannelOutline& outline) {
  FileHandle handle = FileHandle::Open(file, O_RDONLY);
  if (!handle.valid()) return Status::Fail(messages::TakeNotRead, file, errno);
  const int64_t size = handle.Size();
  if (size < 0) return Status::Fail(messages::TakeNotRead, file, errno);
  const uint64_t frames = uint64_t(TakeLengthFromFileSize(size));

  OutlineBuilder builder(frames, columns, 1);
  std::vector<uint8_t> bytes(size_t(OutlineBlockFrames) * TakeBytesPerSample);
  std::vector<int16_t> samples(OutlineBlockFrames);
  for (uint64_t at = 0; at < frames;) {
    if (!gate.WaitWhilePaused()) return Status::Fail(messages::OutlineReadingStopped, file);
    const uint32_t count = uint32_t(std::min<uint64_t>(OutlineBlockFrames, frames - at));
    const size_t wanted = size_t(count) * TakeBytesPerSample;
    const ssize_t got = handle.ReadAt(bytes.data(), wanted, TakeSampleByteOffset(uint32_t(at)));
    if (got < 0) return Status::Fail(messages::TakeNotRead, file, errno);
    // Shorter than its size said a moment ago: cut while we read it.
    if (size_t(got) != wanted) return Status::Fail(messages::TakeChangedWhileRead, file);
    for (uint32_t i = 0; i < count; ++i) samples[i] = int16_t(readU16LE(&bytes[size_t(i) * 2]));
    builder.Add(samples.data(), count);
    at += count;
  }
  outline = std::move(builder.Finish().front());
  return Status::Ok();
}

Status ComputeSoundFileOutline(const std::filesystem::path& file, int columns, ReadGate& gate, SoundOutline& outline) {
  std::unique_ptr<ImportSource> source;
  if (Status opened = OpenImportSource(file, source); !opened.ok()) return opened;
  const uint64_t frames = source->Format().frames;
  const uint32_t channels = source->Channels();
  OutlineBuilder builder(frames, columns, int(channels));
  std::vector<int16_t> block(size_t(OutlineBlockFrames) * channels);
  for (uint64_t at = 0; at < frames;) {
    if (!gate.WaitWhilePaused()) return Status::Fail(messages::OutlineReadingStopped, file);
    const uint32_t count = uint32_t(std::min<uint64_t>(OutlineBlockFrames, frames - at));
    if (Status read = source->Read(block.data(), count); !read.ok()) return read;
    builder.Add(block.data(), count);
    at += count;
  }
  outline.channels = builder.Finish();
  outline.frames = frames;
  return Status::Ok();
}

}  // namespace tp
