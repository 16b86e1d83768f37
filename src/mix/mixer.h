// The 16-channel mixer shared by the audition and the export's mixdown.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>

#include "mix/levels.h"
#include "mix/takefiles.h"

namespace tp {

// Gains with 8192 as unity, indexed by a volume control's position (0..127)
// and by a pan position (left gain PanTable[p], right gain PanTable[100 - p]).
extern const uint16_t VolumeTable[128];
extern const uint16_t PanTable[101];

constexpr int DefaultVolume = 100;
constexpr int DefaultPan = 50;

// The positions of the 16 strips. Written by the owner's thread, read by the
// mixing thread at the start of each block without a lock: a stale value only
// delays a change by one block.
struct MixerSettings {
  MixerSettings();
  void Reset();  // every strip back to volume 100, pan centre, neither muted nor soloed
  std::array<std::atomic<int>, 16> volume;  // 0..127
  std::array<std::atomic<int>, 16> pan;     // 0..100
  // A muted strip is silent; once any strip is soloed, every strip that is
  // not soloed is silent too.
  std::array<std::atomic<bool>, 16> mute;
  std::array<std::atomic<bool>, 16> solo;
};

// What one call of MixBlock did.
struct MixResult {
  bool delivered = false;  // at least one slot delivered a sample
  // Frames of the block where the sum of either side saturated at 16 bits
  // after any slot: a frame counts once however often and on whichever side
  // it clipped. Always 0 in master mode, which adds nothing.
  uint32_t clippedFrames = 0;
  explicit operator bool() const { return delivered; }
};

// Adds one block of every open slot of `files` into `stereoBlock` (count
// frames, interleaved left/right, zeroed by the caller). In master mode slot
// 0 replaces the left and slot 1 the right channel, with no gain. Otherwise
// each slot is scaled by its strip's volume and pan and the sum is clamped to
// 16 bits after each slot, in slot order. A strip that mute or solo
// silences is still read, so that its take stays in time with the others,
// but it adds nothing. When `levels` is given, it receives the block's strip
// peaks.
//
// Reads each slot once per 32,768 frames into a scratch area of the calling
// thread (allocated on its first call, about 1 MiB, kept for the thread's life),
// so that a block allocates nothing.
MixResult MixBlock(int16_t* stereoBlock, uint32_t count, TakeFiles& files, bool masterMode,
                   const MixerSettings& settings, BlockLevels* levels = nullptr);

// MixBlock without the clamp after each slot: the sums stay whole in 32
// bits (sixteen slots at +12 dB cannot reach their limit), for a mix that is
// scaled as a whole (normalised) and rounded to 16 bits only once after
// that. A quiet mix, which never clips, gets exactly MixBlock's samples.
// Returns whether a slot delivered a sample.
bool MixBlockWide(int32_t* stereoBlock, uint32_t count, TakeFiles& files, bool masterMode,
                  const MixerSettings& settings);

// Which strips the mix adds, one bit per strip (bit i for strip i): every
// strip that is not muted and, while any strip is soloed, is soloed.
uint32_t HeardStrips(const MixerSettings& settings);

}  // namespace tp
