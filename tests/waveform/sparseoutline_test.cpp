// The grid's outline from sparse pages: what it plans to read, what it does
// read (through the file layer's seam), and how it looks against the exact
// outline on music-like takes of tones, noise bursts and silences.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <mutex>
#include <numbers>

#include "audiofile/takefile.h"
#include "outlinetestsupport.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "storage/readobserver.h"
#include "support/projectfixture.h"
#include "support/tempfolder.h"
#include "waveform/readgate.h"
#include "waveform/sparseoutline.h"

namespace tp::test {
namespace {

namespace fs = std::filesystem;

struct PlanCase {
  uint64_t frames;
  int columns;
};

class SparsePlan : public ::testing::TestWithParam<PlanCase> {};

TEST_P(SparsePlan, ReadsWholeAlignedPagesInFileOrderWithinTheBudgetAndTheTake) {
  const auto [frames, columns] = GetParam();
  const std::vector<PageRun> runs = PlanSparseRuns(frames, columns);
  const int64_t sampleBytes = int64_t(frames) * 2;
  int64_t total = 0, end = 0;
  for (const PageRun& run : runs) {
    EXPECT_EQ(run.offset % OutlinePageBytes, 0);
    EXPECT_EQ(run.bytes % OutlinePageBytes, 0);
    EXPECT_GT(run.bytes, 0);
    EXPECT_GT(run.offset, end);  // in order, apart: adjoining runs are one read
    EXPECT_LT(run.offset, TakeHeaderSize + sampleBytes);
    end = run.offset + run.bytes;
    total += run.bytes;
  }
  EXPECT_LE(end, TakeHeaderSize + (sampleBytes + OutlinePageBytes - 1) / OutlinePageBytes * OutlinePageBytes);
  EXPECT_LE(total, std::max<int64_t>(sampleBytes / 10, 256 * 1024));
  if (frames == 0) {
    EXPECT_TRUE(runs.empty());
  } else if (sampleBytes <= 256 * 1024) {
    // A short take is read whole.
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].offset, TakeHeaderSize);
    EXPECT_GE(runs[0].offset + runs[0].bytes, TakeHeaderSize + sampleBytes);
  } else {
    // The budget is used, but for pages two columns share.
    EXPECT_GE(total, std::max<int64_t>(sampleBytes / 10, 256 * 1024) * 3 / 4);
  }
}

INSTANTIATE_TEST_SUITE_P(Takes, SparsePlan,
                         ::testing::Values(PlanCase{1, 56}, PlanCase{131072, 56}, PlanCase{131073, 56},
                                           PlanCase{44100 * 20, 56}, PlanCase{44100 * 20, 300},
                                           PlanCase{44100 * 300, 56}, PlanCase{44100 * 300, 1},
                                           PlanCase{2000000, 7}, PlanCase{0, 56}));

// A song-like take from a fixed seed: phrases of enveloped tones played
// one after another (each with its own pitch, attack, decay to a sustain
// and release, its level within a few decibels of the phrase's), bursts of
// noise, and silences between them. A note's attack rises less than 3 dB
// above its sustain. What pages 0.4 s apart can miss is a peak shorter
// than that: a lone click, or the first tenth of a second of a hit that
// starts well above what follows it, drawn lower than it was.
class MusicLikeTake {
 public:
  explicit MusicLikeTake(uint32_t seed) : state_(seed) {}

  std::vector<int16_t> Make(size_t frames) {
    while (samples_.size() < frames) {
      const double kind = next(), level = 32767 * (0.03 + 0.85 * next());
      if (kind < 0.25) samples_.insert(samples_.end(), size_t(44100 * (1 + 4 * next())), int16_t(0));
      else if (kind < 0.45) noiseBurst(size_t(44100 * (0.3 + 1.7 * next())), level);
      else phrase(2 + 6 * next(), level);
    }
    samples_.resize(frames);
    return samples_;
  }

 private:
  double next() {  // 0 to 1
    state_ = state_ * 1664525u + 1013904223u;
    return double(state_ >> 8) / double(1u << 24);
  }
  void noiseBurst(size_t length, double level) {
    for (size_t n = 0; n < length; ++n) {
      const double ramp = std::min({1.0, double(n) / 220, double(length - n) / 220});
      samples_.push_back(int16_t(level * ramp * (2 * next() - 1)));
    }
  }
  void phrase(double seconds, double level) {
    while (seconds > 0) seconds -= tone(level * (0.7 + 0.3 * next()));
  }
  // One note; returns its length in seconds.
  double tone(double level) {
    const double seconds = 0.25 + 1.25 * next(), pitch = 80 + 1500 * next();
    const double attack = 0.01 + 0.04 * next(), sustain = 0.72 + 0.25 * next();
    const size_t length = size_t(44100 * seconds);
    for (size_t n = 0; n < length; ++n) {
      const double t = double(n) / 44100, release = double(length - n) / 2205;
      const double decay = sustain + (1 - sustain) * std::exp(-std::max(0.0, t - attack) / 0.1);
      const double envelope = std::min({t / attack, 1.0, release}) * decay;
      samples_.push_back(int16_t(level * envelope * std::sin(2 * std::numbers::pi * pitch * t)));
    }
    return seconds;
  }

  uint32_t state_;
  std::vector<int16_t> samples_;
};

double peakOf(const ChannelOutline& outline, size_t column) {
  return std::max(std::abs(double(outline.minimum[column])), std::abs(double(outline.maximum[column])));
}

class SparseOutline : public ::testing::TestWithParam<uint32_t> {
 protected:
  void TearDown() override { FaultInjection::Reset(); }
  TempFolder folder;
};

TEST_P(SparseOutline, LooksLikeTheExactOutlineHavingReadATenthOfTheTakeInPagesInFileOrder) {
  constexpr int Columns = 56;  // the grid's cells
  const fs::path take = folder / "TRACK1_0.DAT";
  const std::vector<int16_t> samples = MusicLikeTake(GetParam()).Make(44100 * 240);
  WriteTake(take, "song", samples);
  ReadGate gate;
  ChannelOutline exact;
  ASSERT_TRUE(ComputeTakeOutline(take, Columns, gate, exact).ok());
  ASSERT_EQ(exact, ExpectedOutline(samples, Columns));

  std::mutex mutex;
  std::vector<FaultInjection::ReadEvent> reads;
  FaultInjection::ObserveReads([&](const FaultInjection::ReadEvent& event) {
    std::lock_guard lock(mutex);
    if (!event.finished) reads.push_back(event);
  });
  ChannelOutline sparse;
  ASSERT_TRUE(ComputeSparseTakeOutline(take, Columns, gate, sparse).ok());
  FaultInjection::ObserveReads({});

  int64_t readBytes = 0, end = 0;
  for (const auto& read : reads) {
    EXPECT_EQ(read.offset % OutlinePageBytes, 0);
    EXPECT_EQ(read.count % size_t(OutlinePageBytes), 0u);
    EXPECT_GE(read.offset, end);
    end = read.offset + int64_t(read.count);
    readBytes += int64_t(read.count);
  }
  EXPECT_LE(readBytes, int64_t(samples.size()) * 2 / 10);

  ASSERT_EQ(sparse.minimum.size(), size_t(Columns));
  int close = 0;
  for (size_t column = 0; column < size_t(Columns); ++column) {
    const double exactPeak = peakOf(exact, column), sparsePeak = peakOf(sparse, column);
    if (exactPeak == 0) {
      EXPECT_EQ(sparsePeak, 0) << "silence drawn as sound in column " << column;
      close += sparsePeak == 0 ? 1 : 0;
      continue;
    }
    EXPECT_LE(sparse.maximum[column], exact.maximum[column]);
    EXPECT_GE(sparse.minimum[column], exact.minimum[column]);
    close += sparsePeak >= exactPeak / std::sqrt(2.0) ? 1 : 0;  // within 3 dB
  }
  EXPECT_GE(close * 100, Columns * 95) << close << " of " << Columns << " columns within 3 dB";
}

INSTANTIATE_TEST_SUITE_P(Songs, SparseOutline, ::testing::Values(1u, 2u, 3u, 4u));

TEST(SparseOutlineShort, AShortTakeIsReadWholeAndItsOutlineIsExact) {
  TempFolder folder;
  const std::vector<int16_t> samples = Noise(100000, 7);
  WriteTake(folder / "TRACK1_0.DAT", "short", samples);
  ReadGate gate;
  ChannelOutline outline;
  ASSERT_TRUE(ComputeSparseTakeOutline(folder / "TRACK1_0.DAT", 56, gate, outline).ok());
  EXPECT_EQ(outline, ExpectedOutline(samples, 56));
}

TEST(SparseOutlineShort, AStoppedReadingGivesTheStopAndAFailedReadNamesTheTake) {
  TempFolder folder;
  WriteTake(folder / "TRACK1_0.DAT", "long", Noise(44100 * 30, 8));
  ReadGate gate;
  gate.Cancel();
  ChannelOutline outline;
  EXPECT_TRUE(ComputeSparseTakeOutline(folder / "TRACK1_0.DAT", 56, gate, outline).Is(messages::OutlineReadingStopped));
  FaultInjection::FailReadsOf("TRACK1_0.DAT", EIO, 3);
  ReadGate open;
  const Status failed = ComputeSparseTakeOutline(folder / "TRACK1_0.DAT", 56, open, outline);
  FaultInjection::Reset();
  EXPECT_TRUE(failed.Is(messages::TakeNotRead));
  EXPECT_NE(failed.Text().find("TRACK1_0.DAT"), std::string::npos) << failed.Text();
}

}  // namespace
}  // namespace tp::test
