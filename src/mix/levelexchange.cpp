#include "mix/levelexchange.h"

namespace tp {
namespace {

// Raises `stored` to `peak` unless a higher peak is there already. The
// reader only ever lowers it to zero, so a failed exchange retries at most
// as often as the reader takes.
void raiseTo(std::atomic<int32_t>& stored, int32_t peak) {
  int32_t seen = stored.load(std::memory_order_relaxed);
  while (peak > seen && !stored.compare_exchange_weak(seen, peak, std::memory_order_relaxed)) {
  }
}

}  // namespace

void LevelExchange::Publish(const BlockLevels& levels, uint64_t clippedSamples) {
  for (size_t strip = 0; strip < strip_.size(); ++strip) raiseTo(strip_[strip], levels.strip[strip]);
  for (size_t side = 0; side < mix_.size(); ++side) raiseTo(mix_[side], levels.mix[side]);
  if (clippedSamples > 0) clipLit_.store(true, std::memory_order_relaxed);
}

BlockLevels LevelExchange::Take() {
  BlockLevels taken;
  for (size_t strip = 0; strip < strip_.size(); ++strip)
    taken.strip[strip] = strip_[strip].exchange(0, std::memory_order_relaxed);
  for (size_t side = 0; side < mix_.size(); ++side) taken.mix[side] = mix_[side].exchange(0, std::memory_order_relaxed);
  return taken;
}

void LevelExchange::Clear() {
  Take();
  ClearClip();
}

}  // namespace tp
