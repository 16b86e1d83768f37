#include "playback/wavepreview.h"

#include <algorithm>
#include <cmath>

#include "audiofile/audiofile.h"

namespace tp {

WavePreview::WavePreview(PreviewOutput& output, PreviewOutput::BlockDone post)
    : output_(output), post_(std::move(post)) {}

WavePreview::~WavePreview() {
  StopPreview();
  // The output is closed: nothing refers to the blocks any more, and their
  // notices, if still on their way, die with the owner's queue.
}

bool WavePreview::Start(const std::filesystem::path& path) {
  // A second button pressed while the first is held starts over.
  StopPreview();
  auto reader = OpenAudioFile(path, false);
  if (!reader || reader->dataStart == 0 || reader->format == FormatNone) {
    if (reader) CloseAudioFile(std::move(reader));
    return false;
  }
  reader_ = std::move(reader);
  channels_ = reader_->channels;
  // The rate is truncated as the output takes whole frames per second; the
  // reader has accepted only rates from 1 to 2^32 - 1.
  framesPerSecond_ = uint32_t(std::floor(reader_->sampleRate));
  ++preview_;
  framesPlayed_ = 0;

  deviceOpen_ = output_.Open(channels_, framesPerSecond_, post_) >= 0;
  // Without a device the preview is silent: nothing is queued, and the file
  // stays open until the release closes it.
  if (!deviceOpen_) return true;

  SeekAudioFrame(*reader_, 0);
  for (int i = 0; i < PreviewMaxBlocks; ++i) {
    auto block = std::make_unique<PreviewBlock>();
    block->samples.assign(size_t(PreviewBlockFrames) * channels_, 0);
    block->preview = preview_;
    PreviewBlock& queued = *block;
    blocks_.push_back(std::move(block));
    if (QueuePreviewBlock(queued)) break;
  }
  return true;
}

bool WavePreview::QueuePreviewBlock(PreviewBlock& block) {
  // A read error counts as the end of the data (the reader returns a
  // negative code then), and the buffer holds zeros after what was read.
  const int64_t samplesRead = ReadAudioFrames(*reader_, PreviewBlockFrames, block.samples.data());
  // The whole block is always queued; its tail beyond the samples is zeros.
  output_.Write(&block);
  return samplesRead <= 0;
}

void WavePreview::PreviewBlockDone(PreviewBlock* block) {
  if (deviceOpen_ && block->preview == preview_) {
    // Blocks come back in the order they were queued, each one played.
    framesPlayed_ += PreviewBlockFrames;
    // The file ran out: stop at once, so the blocks still queued are not
    // heard (a file shorter than 16 blocks plays only its first block).
    if (QueuePreviewBlock(*block)) StopPreview();
    return;
  }
  FreeBlock(block);
}

void WavePreview::FreeBlock(PreviewBlock* block) {
  auto found = std::find_if(blocks_.begin(), blocks_.end(),
                            [block](const std::unique_ptr<PreviewBlock>& owned) { return owned.get() == block; });
  if (found != blocks_.end()) blocks_.erase(found);
}

void WavePreview::StopPreview() {
  if (deviceOpen_) {
    // Mark the device closed first: Reset hands every queued block back,
    // and when those arrive they must be freed, not queued again.
    deviceOpen_ = false;
    output_.Reset();
    output_.Close();
  }
  if (reader_) CloseAudioFile(std::move(reader_));
}

}  // namespace tp
