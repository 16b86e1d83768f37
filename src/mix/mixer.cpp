#include "mix/mixer.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace tp {

// 8192 is unity; 100 is 0 dB, 127 is +12 dB, 0 is silence.
const uint16_t VolumeTable[128] = {
    0, 8, 13, 21, 33, 52, 82, 95, 109, 126, 146, 168, 194, 224, 259, 274,
    289, 305, 323, 341, 360, 380, 402, 424, 448, 473, 500, 528, 558, 590, 623, 658,
    695, 734, 775, 819, 858, 898, 941, 985, 1031, 1080, 1131, 1184, 1240, 1298, 1360, 1424,
    1491, 1561, 1635, 1712, 1792, 1877, 1965, 2058, 2155, 2256, 2363, 2474, 2591, 2666, 2744, 2824,
    2907, 2992, 3079, 3169, 3261, 3357, 3455, 3555, 3659, 3766, 3876, 3989, 4106, 4226, 4349, 4476,
    4607, 4741, 4880, 5022, 5169, 5320, 5475, 5635, 5799, 5969, 6143, 6323, 6507, 6697, 6893, 7094,
    7301, 7514, 7734, 7960, 8192, 8606, 9042, 9499, 9979, 10484, 11014, 11572, 12157, 12772, 13418, 14096,
    14809, 15558, 16345, 17172, 18040, 18953, 19912, 20919, 21977, 23088, 24456, 25905, 27440, 29066, 30789, 32613,};

// 8192 is unity. From 1 to 50 the gain falls from about +3 dB to 0 dB so that
// a centred strip keeps its loudness; 0 is plain unity, not +3 dB, so that a
// strip panned hard left passes the take unchanged.
const uint16_t PanTable[101] = {
    8192, 11504, 11436, 11369, 11301, 11234, 11166, 11098, 11031, 10963,
    10896, 10828, 10760, 10693, 10625, 10558, 10490, 10422, 10355, 10287,
    10220, 10152, 10085, 10017, 9949, 9882, 9814, 9747, 9679, 9611,
    9544, 9476, 9409, 9341, 9273, 9206, 9138, 9071, 9003, 8935,
    8868, 8800, 8733, 8665, 8598, 8530, 8462, 8395, 8327, 8260,
    8192, 8028, 7864, 7700, 7537, 7373, 7209, 7045, 6881, 6717,
    6554, 6390, 6226, 6062, 5898, 5734, 5571, 5407, 5243, 5079,
    4915, 4751, 4588, 4424, 4260, 4096, 3932, 3768, 3604, 3441,
    3277, 3113, 2949, 2785, 2621, 2458, 2294, 2130, 1966, 1802,
    1638, 1475, 1311, 1147, 983, 819, 461, 259, 146, 82,
    0,};

MixerSettings::MixerSettings() { Reset(); }

void MixerSettings::Reset() {
  for (auto& v : volume) v.store(DefaultVolume, std::memory_order_relaxed);
  for (auto& p : pan) p.store(DefaultPan, std::memory_order_relaxed);
  for (auto& m : mute) m.store(false, std::memory_order_relaxed);
  for (auto& s : solo) s.store(false, std::memory_order_relaxed);
}

uint32_t HeardStrips(const MixerSettings& settings) {
  uint32_t muted = 0, soloed = 0;
  for (int strip = 0; strip < 16; ++strip) {
    if (settings.mute[strip].load(std::memory_order_relaxed)) muted |= 1u << strip;
    if (settings.solo[strip].load(std::memory_order_relaxed)) soloed |= 1u << strip;
  }
  const uint32_t all = 0xffffu;
  return (soloed != 0 ? soloed : all) & ~muted;
}

namespace {

// Each open slot is read in pieces of at most this many samples, one read
// per slot and piece: the audition's 8,192 and the export's 32,768 frames
// are each one piece.
constexpr uint32_t PieceFrames = 32768;

// The sums of a chunk of frames stay in 32-bit accumulators while every slot
// is added, and are narrowed to 16 bits once: a chunk's accumulators (and
// the flags of clipped frames) stay in the first-level cache. Loops run over
// a whole chunk; the frames past the block's end are computed on zeros and
// never stored.
constexpr uint32_t ChunkFrames = 2048;
static_assert(PieceFrames % ChunkFrames == 0);

uint32_t roundUpToChunk(uint32_t frames) { return (frames + ChunkFrames - 1) / ChunkFrames * ChunkFrames; }

struct SlotPiece {
  const int16_t* samples;  // the piece's samples, zeros past what the take delivered
  int32_t leftGain, rightGain;
};

// Eight frames of one side at a time, in the compiler's vector types: the
// compiler's own vectorisation at -O2 interleaved two slots and stayed
// scalar. The baseline build takes each as two SSE2 registers, the AVX2
// build as one.
typedef int32_t Int32x8 __attribute__((vector_size(32)));
typedef int16_t Int16x8 __attribute__((vector_size(16)));
constexpr uint32_t Lanes = 8;
constexpr uint32_t ChunkVectors = ChunkFrames / Lanes;

// Adds one slot into a chunk's sums with the clamp after the slot, and
// marks the frames whose sum saturated (a non-zero flag).
inline void addSlot(Int32x8* __restrict left, Int32x8* __restrict right, Int32x8* __restrict clipped,
                    const int16_t* __restrict samples, int32_t leftGain, int32_t rightGain) {
  const Int32x8 highest = Int32x8{} + 32767, lowest = Int32x8{} - 32768;
  for (uint32_t v = 0; v < ChunkVectors; ++v) {
    Int16x8 narrow;
    std::memcpy(&narrow, samples + v * Lanes, sizeof narrow);
    const Int32x8 s = __builtin_convertvector(narrow, Int32x8);
    // >> on a negative int is an arithmetic shift (rounds toward minus infinity).
    const Int32x8 sumL = left[v] + ((s * leftGain) >> 13);
    const Int32x8 sumR = right[v] + ((s * rightGain) >> 13);
    const Int32x8 belowL = sumL > highest ? highest : sumL, belowR = sumR > highest ? highest : sumR;
    left[v] = belowL < lowest ? lowest : belowL;
    right[v] = belowR < lowest ? lowest : belowR;
    clipped[v] |= (sumL ^ left[v]) | (sumR ^ right[v]);
  }
}

// A chunk's sums start from what the block holds; past its end, from zero.
template <typename Sample>
inline void loadChunk(int32_t* __restrict leftSums, int32_t* __restrict rightSums, const Sample* __restrict stereo,
                      uint32_t count) {
  for (uint32_t n = 0; n < ChunkFrames; ++n) {
    leftSums[n] = n < count ? stereo[2 * n] : 0;
    rightSums[n] = n < count ? stereo[2 * n + 1] : 0;
  }
}

// Built twice, for the baseline and for AVX2, and chosen when the program
// starts: the mixdown of an export spends most of its time here. The choice
// runs before ThreadSanitizer's run-time is up, so its builds keep one copy.
#if defined(__SANITIZE_THREAD__)
#define TP_ALSO_FOR_AVX2
#else
#define TP_ALSO_FOR_AVX2 __attribute__((target_clones("avx2", "default")))
#endif
// Mixes `count` (at most a chunk) frames into `stereo`, starting from what
// it holds, every slot in slot order (where the sum saturates depends on
// that order); returns the frames that clipped.
TP_ALSO_FOR_AVX2
uint32_t mixChunk(int16_t* __restrict stereo, uint32_t count, const SlotPiece* slots, int slotCount,
                  uint32_t offset) {
  Int32x8 left[ChunkVectors], right[ChunkVectors], clipped[ChunkVectors] = {};
  int32_t* leftSums = reinterpret_cast<int32_t*>(left);
  int32_t* rightSums = reinterpret_cast<int32_t*>(right);
  loadChunk(leftSums, rightSums, stereo, count);
  for (int slot = 0; slot < slotCount; ++slot)
    addSlot(left, right, clipped, slots[slot].samples + offset, slots[slot].leftGain, slots[slot].rightGain);
  const int32_t* flags = reinterpret_cast<const int32_t*>(clipped);
  uint32_t clippedFrames = 0;
  for (uint32_t n = 0; n < count; ++n) {
    stereo[2 * n] = int16_t(leftSums[n]);
    stereo[2 * n + 1] = int16_t(rightSums[n]);
    clippedFrames += flags[n] != 0;
  }
  return clippedFrames;
}

// The same chunk summed whole, with no clamp and so nothing to count.
TP_ALSO_FOR_AVX2
uint32_t mixChunk(int32_t* __restrict stereo, uint32_t count, const SlotPiece* slots, int slotCount,
                  uint32_t offset) {
  Int32x8 left[ChunkVectors], right[ChunkVectors];
  int32_t* leftSums = reinterpret_cast<int32_t*>(left);
  int32_t* rightSums = reinterpret_cast<int32_t*>(right);
  loadChunk(leftSums, rightSums, stereo, count);
  for (int slot = 0; slot < slotCount; ++slot)
    for (uint32_t v = 0; v < ChunkVectors; ++v) {
      Int16x8 narrow;
      std::memcpy(&narrow, slots[slot].samples + offset + v * Lanes, sizeof narrow);
      const Int32x8 s = __builtin_convertvector(narrow, Int32x8);
      left[v] += (s * slots[slot].leftGain) >> 13;
      right[v] += (s * slots[slot].rightGain) >> 13;
    }
  for (uint32_t n = 0; n < count; ++n) {
    stereo[2 * n] = leftSums[n];
    stereo[2 * n + 1] = rightSums[n];
  }
  return 0;
}

template <typename Sample>
void copyToChannel(Sample* __restrict stereo, const int16_t* __restrict samples, size_t count, int channel) {
  for (size_t n = 0; n < count; ++n) stereo[2 * n + channel] = samples[n];
}

int settingAt(const std::atomic<int>& setting, int highest) {
  return std::clamp(setting.load(std::memory_order_relaxed), 0, highest);
}

// The calling thread's scratch area for the slots' samples of one piece.
int16_t* slotScratch(size_t samples) {
  thread_local std::vector<int16_t> scratch;
  if (scratch.size() < samples) scratch.resize(samples);
  return scratch.data();
}

struct BlockGains {
  int32_t left[TakeFiles::SlotCount];
  int32_t right[TakeFiles::SlotCount];
};

// The settings are read once per block: a change is heard from the next
// block on, and every piece of this block uses the same gains.
BlockGains gainsOf(const MixerSettings& settings) {
  BlockGains gains;
  for (int slot = 0; slot < TakeFiles::SlotCount; ++slot) {
    const int32_t v = VolumeTable[settingAt(settings.volume[slot], 127)];
    const int p = settingAt(settings.pan[slot], 100);
    gains.left[slot] = (v * PanTable[p]) >> 13;
    gains.right[slot] = (v * PanTable[100 - p]) >> 13;
  }
  return gains;
}

// One piece of a block: every slot still delivering is read, then mixed
// chunk by chunk (or, in master mode, copied to its side).
struct PieceMixer {
  TakeFiles& files;
  bool masterMode;
  const BlockGains& gains;
  uint32_t heard;       // HeardStrips, read with the gains
  BlockLevels* levels;  // the strips' peaks, when asked for
  bool exhausted[TakeFiles::SlotCount] = {};
  MixResult result;

  // Into 16-bit samples, clamped after each slot, or into whole 32-bit sums.
  template <typename Sample>
  void mix(Sample* piece, uint32_t want) {
    // Slots lie a cache line more than their samples apart: at a stride of
    // a power of two, the slots' samples of the same frames would all fall
    // into one set of the first-level cache and evict each other.
    const uint32_t stride = roundUpToChunk(want) + 32;
    int16_t* scratch = slotScratch(size_t(TakeFiles::SlotCount) * stride);
    SlotPiece slots[TakeFiles::SlotCount];
    int used = 0;
    for (int slot = 0; slot < TakeFiles::SlotCount; ++slot) {
      if (exhausted[slot] || !files.IsOpen(slot) || (masterMode && slot > 1)) continue;
      int16_t* samples = scratch + size_t(used) * stride;
      const uint32_t got = uint32_t(files.Read(slot, samples, want));
      if (got < want) exhausted[slot] = true;
      if (got == 0) continue;
      result.delivered = true;
      if (masterMode) {
        copyToChannel(piece, samples, got, slot);
        continue;
      }
      if ((heard & (1u << slot)) == 0) continue;
      if (levels) {
        const int32_t peak = ScaledPeak(samples, got, std::max(gains.left[slot], gains.right[slot]));
        levels->strip[size_t(slot)] = std::max(levels->strip[size_t(slot)], peak);
      }
      // A take that ended adds nothing more, exactly as adding zeros does.
      std::fill(samples + got, samples + roundUpToChunk(want), int16_t(0));
      slots[used++] = {samples, gains.left[slot], gains.right[slot]};
    }
    if (used == 0) return;
    for (uint32_t done = 0; done < want; done += ChunkFrames)
      result.clippedFrames += mixChunk(piece + 2 * size_t(done), std::min(ChunkFrames, want - done), slots, used, done);
  }
};

}  // namespace

MixResult MixBlock(int16_t* stereoBlock, uint32_t count, TakeFiles& files, bool masterMode,
                   const MixerSettings& settings, BlockLevels* levels) {
  const BlockGains gains = gainsOf(settings);
  // Master mode ignores the mixer, mute and solo included.
  const uint32_t heard = masterMode ? 0xffffu : HeardStrips(settings);
  if (levels) levels->strip.fill(0);
  PieceMixer mixer{files, masterMode, gains, heard, levels, {}, {}};
  for (uint32_t done = 0; done < count; done += PieceFrames)
    mixer.mix(stereoBlock + 2 * size_t(done), std::min(PieceFrames, count - done));
  return mixer.result;
}

bool MixBlockWide(int32_t* stereoBlock, uint32_t count, TakeFiles& files, bool masterMode,
                  const MixerSettings& settings) {
  const BlockGains gains = gainsOf(settings);
  const uint32_t heard = masterMode ? 0xffffu : HeardStrips(settings);
  PieceMixer mixer{files, masterMode, gains, heard, nullptr, {}, {}};
  for (uint32_t done = 0; done < count; done += PieceFrames)
    mixer.mix(stereoBlock + 2 * size_t(done), std::min(PieceFrames, count - done));
  return mixer.result.delivered;
}

}  // namespace tp
