// The sound output of the open dialog's wave preview: it plays queued blocks
// of 16-bit samples in order, hands each block back when it has played it,
// and can drop everything at once. The preview owns the blocks; an output
// only reads a block between Write and handing it back.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace tp {

// One block of the preview: PreviewBlockFrames frames of interleaved 16-bit
// samples in the host's byte order.
struct PreviewBlock {
  std::vector<int16_t> samples;
  // Which preview the block was made for, so that a block handed back after
  // its preview was stopped is never queued into the next one.
  uint64_t preview = 0;
};

class PreviewOutput {
 public:
  // Called once for every block written, when the output is done with it:
  // from the output's own thread after it played the block, or from Reset on
  // the caller's thread. It must only pass the block on (post it to the
  // preview's thread) and never wait for that thread.
  using BlockDone = std::function<void(PreviewBlock* block)>;

  virtual ~PreviewOutput() = default;

  // The preview's (user-interface) thread. Opens the default output for
  // `channels` interleaved 16-bit samples at `framesPerSecond`; negative
  // when there is no device or it refuses the format.
  virtual int Open(uint32_t channels, uint32_t framesPerSecond, BlockDone blockDone) = 0;
  // The preview's thread. Queues `block` behind the blocks already queued.
  virtual void Write(PreviewBlock* block) = 0;
  // The preview's thread. Stops the sound at once; every block written and
  // not yet handed back is handed back before Reset returns. The output
  // stays open and plays what is written next.
  virtual void Reset() = 0;
  // The preview's thread. Resets, then releases the device.
  virtual void Close() = 0;
};

// The computer's default output through PortAudio. Open fails on a machine
// without sound output; the preview is then silent.
std::unique_ptr<PreviewOutput> MakePortAudioPreviewOutput();

}  // namespace tp
