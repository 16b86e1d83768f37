// Conversions on two worker threads: the blocks reach the files in order,
// an abort between blocks and a failure end the job where one thread would
// have, and the export, the import and the archive give what libsndfile and
// the take files say they should. Run under ThreadSanitizer by
// `make test-tsan`.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>
#include <mutex>
#include <set>

#include "archive/archiverun.h"
#include "convert/exportengine.h"
#include "convert/importengine.h"
#include "convert/pipeline.h"
#include "archive/restore.h"
#include "archive/takerecord.h"
#include "project/messages.h"
#include "project/projectmodel.h"
#include "storage/safefile.h"
#include "storage/sha256.h"
#include "support/projectfixture.h"
#include "support/recordersong.h"
#include "support/sndfileio.h"

#include <sys/stat.h>

namespace tp {
namespace {

using namespace tp::test;
namespace fs = std::filesystem;

constexpr uint32_t B = ConversionBlockFrames;

// Frame f of channel c holds (f * 3 + c) mod 65536: wherever a worker
// starts, the block says which frames it holds. Fails reading any block
// whose first frame is in `failing`, naming that frame.
class CountingSource final : public BlockSource {
 public:
  explicit CountingSource(std::vector<uint64_t> failing = {}) : failing_(std::move(failing)) {}
  uint32_t Channels() const override { return 2; }
  Status Seek(uint64_t frame) override {
    position_ = frame;
    return Status::Ok();
  }
  Status Read(int16_t* block, uint32_t frames) override {
    if (std::find(failing_.begin(), failing_.end(), position_) != failing_.end())
      return Status::Fail(messages::SourceNotRead, std::to_string(position_));
    for (uint32_t n = 0; n < frames; ++n)
      for (uint32_t c = 0; c < 2; ++c) block[2 * n + c] = int16_t(uint16_t((position_ + n) * 3 + c));
    position_ += frames;
    return Status::Ok();
  }

 private:
  std::vector<uint64_t> failing_;
  uint64_t position_ = 0;
};

// Keeps what it is given, and notes whether two writes ever overlapped.
class RecordingSink final : public BlockSink {
 public:
  explicit RecordingSink(const fs::path& target) { EXPECT_TRUE(SafeFile::Create(target, "create", output_).ok()); }
  Status Write(const int16_t* block, uint32_t frames, uint32_t channels) override {
    std::unique_lock busy(writing_, std::try_to_lock);
    if (!busy.owns_lock()) overlapped = true;
    samples.insert(samples.end(), block, block + size_t(frames) * channels);
    return Status::Ok();
  }
  Status Finish() override { return Status::Ok(); }
  SafeFile& Output() override { return *output_; }
  std::unique_ptr<SafeFile> ReleaseOutput() override { return std::move(output_); }
  std::vector<int16_t> samples;
  bool overlapped = false;

 private:
  std::unique_ptr<SafeFile> output_;
  std::mutex writing_;
};

struct JobRun {
  ConversionResult result;
  std::vector<int16_t> samples;
  std::vector<uint32_t> progress;
  bool overlapped = false;
};

// The job over `frames` frames, with one helper or none; `abortAt` is the
// block before which betweenBlocks asks for an abort.
JobRun runJob(const fs::path& folder, uint64_t frames, bool helper, long abortAt = -1,
              std::vector<uint64_t> failing = {}, uint32_t blocksAhead = 0) {
  CountingSource source(failing), second(failing);
  // A file of its own for every run: an abort keeps what it wrote only
  // where no file was.
  static int runs = 0;
  RecordingSink sink(folder / ("out" + std::to_string(++runs) + ".raw"));
  PipelineJob job;
  job.source = &source;
  job.sinks = {&sink};
  job.frames = frames;
  job.progressTotal = uint32_t(frames);
  if (helper) job.helperSources = {&second};
  JobRun run;
  long calls = 0;
  ConversionHooks hooks;
  hooks.betweenBlocks = [&] { return calls++ == abortAt; };
  hooks.blocksAhead = blocksAhead;
  hooks.progress = [&](uint32_t position, uint32_t) { run.progress.push_back(position); };
  run.result = RunPipeline(job, hooks);
  run.samples = sink.samples;
  run.overlapped = sink.overlapped;
  return run;
}

TEST(TwoWorkers, DeliverTheBlocksToTheSinksInOrderOneAtATimeAsOneThreadDoes) {
  TempFolder folder;
  for (uint64_t frames : {uint64_t(1), uint64_t(B), uint64_t(B + 1), uint64_t(5 * B + B / 2)}) {
    SCOPED_TRACE(frames);
    const JobRun alone = runJob(folder.path(), frames, false);
    const JobRun two = runJob(folder.path(), frames, true);
    const JobRun ahead = runJob(folder.path(), frames, true, -1, {}, 4);
    EXPECT_TRUE(ahead.samples == alone.samples);
    EXPECT_EQ(ahead.progress, alone.progress);
    ASSERT_EQ(two.result.outcome, ConversionResult::Converted);
    EXPECT_EQ(two.result.framesWritten, frames);
    ASSERT_EQ(two.samples.size(), 2 * frames);
    EXPECT_TRUE(two.samples == alone.samples);
    EXPECT_EQ(two.samples.back(), int16_t(uint16_t((frames - 1) * 3 + 1)));
    EXPECT_EQ(two.progress, alone.progress);
    EXPECT_FALSE(two.overlapped);
  }
}

// Also with blocks let through ahead of the progress, as the command line
// does: the blocks kept are those betweenBlocks let through.
TEST(TwoWorkers, AnAbortBetweenBlocksKeepsExactlyTheBlocksBeforeIt) {
  TempFolder folder;
  for (uint32_t ahead : {0u, 3u})
  for (long abortAt : {0L, 1L, 2L, 5L}) {
    SCOPED_TRACE("abort at " + std::to_string(abortAt) + ", ahead " + std::to_string(ahead));
    const JobRun two = runJob(folder.path(), 8 * uint64_t(B), true, abortAt, {}, ahead);
    EXPECT_EQ(two.result.outcome, ConversionResult::Aborted);
    EXPECT_EQ(two.result.framesWritten, uint64_t(abortAt) * B);
    EXPECT_EQ(two.samples.size(), 2 * size_t(abortAt) * B);
    EXPECT_EQ(two.progress, runJob(folder.path(), 8 * uint64_t(B), false, abortAt).progress);
  }
}

TEST(TwoWorkers, AFailureIsTheFirstInBlockOrderWhicheverWorkerMetItFirst) {
  TempFolder folder;
  // Blocks 3 and 4 fail, on different workers: block 3's failure is told.
  const JobRun two = runJob(folder.path(), 8 * uint64_t(B), true, -1, {3 * uint64_t(B), 4 * uint64_t(B)});
  EXPECT_EQ(two.result.outcome, ConversionResult::Failed);
  EXPECT_STREQ(two.result.message, messages::SourceNotRead);
  EXPECT_EQ(two.result.detail, std::to_string(3 * B));
  EXPECT_EQ(two.progress, (std::vector<uint32_t>{0, B, 2 * B}));
  EXPECT_TRUE(fs::is_empty(folder.path())) << "nothing is left of the failed job";
}

class EnginesOnTwoWorkers : public ::testing::Test {
 protected:
  void SetUp() override { WriteProjectInfo(song.path(), "Song"); }
  // Archives the recorder song written into `song` to `out`.
  ArchiveTotals ArchiveTheSong(const ArchiveEvents& events) {
    WriteRecorderSong(song.path());
    ArchiveRequest request;
    request.source = song.path();
    request.outputRoot = out.path();
    std::vector<ArchiveSongPlan> plans;
    EXPECT_TRUE(PlanArchive(request, plans).ok());
    return RunArchive(request, plans, events);
  }
  TempFolder song, out;
  ProjectModel model;
};

TEST_F(EnginesOnTwoWorkers, AnExportOfTwoTakesPannedApartGivesBackEachTake) {
  const auto left = Ramp(5 * B + 123, -30000, 3), right = Ramp(2 * B + 7, 20000, -5);
  WriteTake(song / "TRACK0_0.DAT", "Left", left);
  WriteTake(song / "TRACK3_0.DAT", "Right", right);
  ASSERT_TRUE(model.DirTreeChange(song.path().string()));
  model.TakeSelClick(0, 0);
  model.TakeSelClick(3, 0);
  MixerSettings mixer;
  mixer.pan[0] = 0;
  mixer.pan[3] = 100;
  ExportRequest request{model.PlaybackSelection(), uint32_t(model.View.sliderMax), out / "mix.wav", FormatWav, &mixer};
  ASSERT_EQ(ExportTakes(request, {}).outcome, ConversionResult::Converted);
  const SoundData data = ReadWithSndfile(out / "mix.wav");
  ASSERT_EQ(data.frames, 6 * int64_t(B));
  for (size_t n = 0; n < size_t(data.frames); ++n) {
    ASSERT_EQ(data.samples[2 * n], n < left.size() ? left[n] : 0) << "left of frame " << n;
    ASSERT_EQ(data.samples[2 * n + 1], n < right.size() ? right[n] : 0) << "right of frame " << n;
  }
}

TEST_F(EnginesOnTwoWorkers, AnExportIntoAFifoReceivesTheBlocksInOrderAsAFileDoes) {
  WriteTake(song / "TRACK0_0.DAT", "One", Ramp(3 * B + 5, -30000, 7));
  WriteTake(song / "TRACK1_0.DAT", "Two", Ramp(2 * B + 9, 1000, -3));
  ASSERT_TRUE(model.DirTreeChange(song.path().string()));
  model.TakeSelClick(0, 0);
  model.TakeSelClick(1, 0);
  ExportRequest request{model.PlaybackSelection(), uint32_t(model.View.sliderMax), out / "mix.wav", FormatWav, nullptr};
  ASSERT_EQ(ExportTakes(request, {}).outcome, ConversionResult::Converted);

  // A pipe cannot seek: the header comes with its final sizes, then every
  // block in order.
  ASSERT_EQ(::mkfifo((out / "pipe").c_str(), 0600), 0);
  std::vector<uint8_t> received;
  std::thread reader([&] {
    std::ifstream pipe(out / "pipe", std::ios::binary);
    received.assign(std::istreambuf_iterator<char>(pipe), std::istreambuf_iterator<char>());
  });
  request.output = out / "pipe";
  const ConversionResult result = ExportTakes(request, {});
  reader.join();
  ASSERT_EQ(result.outcome, ConversionResult::Converted);
  EXPECT_TRUE(received == ReadBytes(out / "mix.wav"));
}

TEST_F(EnginesOnTwoWorkers, AnImportOfAStereoFileFillsTwoTakesWithItsChannels) {
  const auto interleaved = Ramp(2 * (4 * B + 99), -32000, 1);
  WriteWithSndfile(out / "in.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2, 44100, interleaved);
  ASSERT_TRUE(model.DirTreeChange(song.path().string()));
  model.TrackSelClick(1);
  model.TakeSelClick(1, 0);
  model.TrackSelClick(2);
  model.TakeSelClick(2, 0);
  ASSERT_EQ(ImportAudioFile(model, out / "in.wav", {}).outcome, ConversionResult::Converted);
  for (int channel = 0; channel < 2; ++channel) {
    const auto take = ReadTakeSamples(model.TakePath(1 + channel, 0));
    const auto expected = ChannelOf(interleaved, 2, channel, 5 * B);
    EXPECT_TRUE(take == expected) << "channel " << channel;
  }
}

TEST_F(EnginesOnTwoWorkers, AnArchiveHashesEveryTakeFileAndOutputAsTheBytesPass) {
  ArchiveEvents events;
  const ArchiveTotals totals = ArchiveTheSong(events);
  ASSERT_FALSE(totals.anyFailed);
  ArchiveManifest manifest;
  ASSERT_TRUE(ReadArchiveManifest(out.path(), manifest).ok());
  ASSERT_EQ(manifest.takeFiles.size(), 6u) << "four takes and a master take's two files";
  for (const ArchivedTakeFile& entry : manifest.takeFiles) {
    SCOPED_TRACE(entry.record.file);
    // Read the way the archive used to, file by file, as the oracle.
    TakeFileRecord described;
    ASSERT_TRUE(DescribeTakeFile(song / entry.record.file, described).ok());
    EXPECT_EQ(entry.record.size, described.size);
    EXPECT_EQ(entry.record.sha256, described.sha256);
    EXPECT_EQ(entry.record.tail, described.tail);
    EXPECT_EQ(entry.record.HeaderBytes(), described.HeaderBytes());
    std::string sum;
    int64_t size = 0;
    ASSERT_TRUE(HashFile(out / entry.output, messages::OutputNotWritten, sum, size).ok());
    EXPECT_EQ(entry.outputSha256, sum);
  }
}

TEST_F(EnginesOnTwoWorkers, AnArchiveStoppedAfterItsFirstFileHoldsThatFileAloneAndListsIt) {
  // The second worker has its file written, or nearly, when the first
  // file's notice comes: the stop must still keep it out.
  bool stop = false;
  std::vector<fs::path> written;
  ArchiveEvents events;
  events.stopRequested = [&] { return stop; };
  events.written = [&](const fs::path& file) {
    written.push_back(file);
    stop = true;
  };
  const ArchiveTotals totals = ArchiveTheSong(events);
  EXPECT_TRUE(totals.stopped);
  ASSERT_EQ(written.size(), 1u);
  ArchiveManifest manifest;
  ASSERT_TRUE(ReadArchiveManifest(out.path(), manifest).ok());
  std::set<std::string> listed, present;
  for (const auto& take : manifest.takeFiles) listed.insert(take.output);
  for (const auto& entry : fs::directory_iterator(out.path()))
    if (entry.is_regular_file() && entry.path().extension() == ".wav") present.insert(entry.path().filename().string());
  EXPECT_EQ(present, std::set<std::string>{written[0].filename().string()});
  EXPECT_EQ(listed, present);
  for (const auto& entry : fs::directory_iterator(out.path()))
    EXPECT_FALSE(IsSideFileName(entry.path().filename().string())) << entry.path();
}

// The restore's two workers: every take file of the song comes back byte
// for byte, and a stop asked from either worker leaves complete files only.
TEST_F(EnginesOnTwoWorkers, ARestoreOnTwoWorkersRebuildsEveryFileAndAStopKeepsOnlyCompleteOnes) {
  ArchiveEvents events;
  ASSERT_FALSE(ArchiveTheSong(events).anyFailed);
  ArchiveManifest manifest;
  ASSERT_TRUE(ReadArchiveManifest(out.path(), manifest).ok());

  auto sameAsSong = [&](const fs::path& file) {
    std::ifstream a(file, std::ios::binary), b(song / file.filename(), std::ios::binary);
    return std::equal(std::istreambuf_iterator<char>(a), {}, std::istreambuf_iterator<char>(b), {});
  };
  for (int stopAt : {0, 3, 5}) {
    SCOPED_TRACE(stopAt);
    const fs::path destination = out / ("rebuilt" + std::to_string(stopAt));
    std::atomic<int> blocks{0};
    ConversionHooks hooks;
    if (stopAt > 0) hooks.betweenBlocks = [&] { return ++blocks >= stopAt; };
    const RestoreReport report = RestoreSong(out.path(), manifest, destination, {}, hooks);
    EXPECT_EQ(report.aborted, stopAt > 0);
    EXPECT_TRUE(report.failures.empty());
    size_t present = 0;
    for (const auto& entry : fs::directory_iterator(destination)) {
      EXPECT_FALSE(IsSideFileName(entry.path().filename().string())) << entry.path();
      EXPECT_TRUE(sameAsSong(entry.path())) << entry.path();
      ++present;
    }
    EXPECT_EQ(present, report.restored.size());
    if (stopAt == 0) EXPECT_EQ(present, manifest.takeFiles.size() + manifest.otherFiles.size());
  }
}

// A stop asked once, while the first file is written, ends the archive
// even when it is not asked again: the files no worker took are not waited
// for. Files the workers had finished by then may be kept; whatever is kept
// is listed.
TEST_F(EnginesOnTwoWorkers, AnArchiveStoppedOnceEndsWithoutWaitingForFilesNoWorkerTook) {
  int asked = 0;
  ArchiveEvents events;
  events.stopRequested = [&] { return ++asked == 2; };
  const ArchiveTotals totals = ArchiveTheSong(events);
  EXPECT_TRUE(totals.stopped || totals.files == 5u);
  ArchiveManifest manifest;
  ASSERT_TRUE(ReadArchiveManifest(out.path(), manifest).ok());
  std::set<std::string> listed, present;
  for (const auto& take : manifest.takeFiles) listed.insert(take.output);
  for (const auto& entry : fs::directory_iterator(out.path())) {
    EXPECT_FALSE(IsSideFileName(entry.path().filename().string())) << entry.path();
    if (entry.path().extension() == ".wav") present.insert(entry.path().filename().string());
  }
  EXPECT_EQ(listed, present);
  EXPECT_EQ(present.size(), totals.files);
}

}  // namespace
}  // namespace tp
