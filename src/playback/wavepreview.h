// WavePreview: plays a WAV or AIFF file from its start while the open
// dialog's hear button is held. Up to 16 blocks of 512 frames cycle through
// the output: each block the output hands back is refilled with the next
// frames and queued again, until the button is released or a refill finds
// no more samples; either way the sound stops at once.
//
// Every member runs on the user-interface thread. The output reports played
// blocks from its own thread through the BlockDone given to the
// constructor, which must post them to this thread; there they reach
// PreviewBlockDone. So no lock is needed, and the output never waits for
// this thread.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

#include "playback/previewoutput.h"

namespace tp {

struct AudioFile;

constexpr uint32_t PreviewBlockFrames = 512;
constexpr int PreviewMaxBlocks = 16;

class WavePreview {
 public:
  // `output` must outlive the preview. `post` carries a block handed back by
  // the output to this thread's PreviewBlockDone.
  WavePreview(PreviewOutput& output, PreviewOutput::BlockDone post);
  ~WavePreview();
  WavePreview(const WavePreview&) = delete;
  WavePreview& operator=(const WavePreview&) = delete;

  // The hear button went down: opens `path` and starts playing it from
  // frame 0. False when the file is not a readable WAV or AIFF (nothing
  // plays). Without a sound device it returns true and stays silent with the
  // file open, so that the release still closes it.
  bool Start(const std::filesystem::path& path);

  // A block the output has handed back, delivered on this thread.
  void PreviewBlockDone(PreviewBlock* block);

  // The hear button came up, or the file ran out: silences the output at
  // once and closes the file. Queued blocks are freed as they come back.
  void StopPreview();

  bool DeviceOpen() const { return deviceOpen_; }
  bool FileOpen() const { return reader_ != nullptr; }
  // Blocks that exist: queued, or handed back and not yet delivered.
  size_t BlocksAlive() const { return blocks_.size(); }
  // The format the output was last opened with: the file's channels, its
  // rate truncated to whole frames per second, 16-bit samples whatever the
  // file stores (the reader widens them).
  uint32_t Channels() const { return channels_; }
  uint32_t FramesPerSecond() const { return framesPerSecond_; }
  uint32_t BlockAlign() const { return channels_ * 2; }
  // Frames of the current preview the output has played, counted in whole
  // blocks as they come back: where the preview is, to within one block.
  uint64_t FramesPlayed() const { return framesPlayed_; }

 private:
  // Reads the next 512 frames into `block` (zeros after the end) and queues
  // it. True when the read found no sample at all.
  bool QueuePreviewBlock(PreviewBlock& block);
  void FreeBlock(PreviewBlock* block);

  PreviewOutput& output_;
  PreviewOutput::BlockDone post_;
  std::unique_ptr<AudioFile> reader_;
  bool deviceOpen_ = false;
  uint32_t channels_ = 0;
  uint32_t framesPerSecond_ = 0;
  uint64_t preview_ = 0;  // counts Starts; the current preview's number
  uint64_t framesPlayed_ = 0;
  std::vector<std::unique_ptr<PreviewBlock>> blocks_;
};

}  // namespace tp
