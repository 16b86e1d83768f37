#include "waveform/sparseoutline.h"

#include <algorithm>
#include <cerrno>
#include <limits>

#include <fcntl.h>

#include "audiofile/byteorder.h"
#include "audiofile/takefile.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "waveform/readgate.h"

namespace tp {

int64_t SparseOutlineBudget(int64_t sampleBytes) {
  return std::max(sampleBytes / 10, SparseOutlineLeastBytes);
}

namespace {

// Appends the pages [first, end) to the runs in file order, leaving out
// what an earlier run took already (a page shared by two columns).
void addPages(std::vector<PageRun>& runs, int64_t& readUpTo, int64_t first, int64_t end) {
  first = std::max(first, readUpTo);
  if (first >= end) return;
  const int64_t offset = TakeHeaderSize + first * OutlinePageBytes, bytes = (end - first) * OutlinePageBytes;
  if (!runs.empty() && runs.back().offset + runs.back().bytes == offset) runs.back().bytes += bytes;
  else runs.push_back({offset, bytes});
  readUpTo = end;
}

// `pages` pages of the column whose pages are [first, end): its first and
// its last page, where a sound that crosses into the next column or comes
// from the last one is surely caught, and the rest in runs spread evenly
// between them.
void addColumnRuns(std::vector<PageRun>& runs, int64_t& readUpTo, int64_t first, int64_t end, int64_t pages) {
  const int64_t span = end - first;
  if (pages >= span) {
    addPages(runs, readUpTo, first, end);
    return;
  }
  const bool edges = pages >= 3;
  if (edges) {
    addPages(runs, readUpTo, first, first + 1);
    first += 1, end -= 1, pages -= 2;
  }
  const int64_t inner = end - first;
  const int64_t count = std::min<int64_t>(SparseRunsPerColumn, pages);
  for (int64_t run = 0; run < count; ++run) {
    const int64_t length = (run + 1) * pages / count - run * pages / count;
    const int64_t centre = first + (2 * run + 1) * inner / (2 * count);
    const int64_t start = std::clamp(centre - length / 2, first, end - length);
    addPages(runs, readUpTo, start, start + length);
  }
  if (edges) addPages(runs, readUpTo, end, end + 1);
}

}  // namespace

std::vector<PageRun> PlanSparseRuns(uint64_t frames, int columns) {
  const int64_t sampleBytes = int64_t(frames) * TakeBytesPerSample;
  const int64_t totalPages = (sampleBytes + OutlinePageBytes - 1) / OutlinePageBytes;
  std::vector<PageRun> runs;
  if (columns <= 0 || totalPages == 0) return runs;
  const int64_t budgetPages = SparseOutlineBudget(sampleBytes) / OutlinePageBytes;
  int64_t readUpTo = 0;  // pages before this one are planned
  if (budgetPages >= totalPages) {
    addPages(runs, readUpTo, 0, totalPages);
    return runs;
  }
  for (int64_t column = 0; column < columns; ++column) {
    // The budget shared out exactly: with fewer pages than columns, some
    // columns get none.
    const int64_t pages = (column + 1) * budgetPages / columns - column * budgetPages / columns;
    const uint64_t begin = uint64_t(column) * frames / uint64_t(columns);
    const uint64_t end = uint64_t(column + 1) * frames / uint64_t(columns);
    if (pages == 0 || begin == end) continue;
    const int64_t firstPage = int64_t(begin) * TakeBytesPerSample / OutlinePageBytes;
    const int64_t endPage = (int64_t(end) * TakeBytesPerSample + OutlinePageBytes - 1) / OutlinePageBytes;
    addColumnRuns(runs, readUpTo, firstPage, endPage, pages);
  }
  return runs;
}

namespace {

// The lowest and highest sample of each column from the runs read, in
// file order.
class SparseColumns {
 public:
  SparseColumns(uint64_t frames, int columns)
      : frames_(frames),
        columns_(columns),
        low_(size_t(columns), std::numeric_limits<int16_t>::max()),
        high_(size_t(columns), std::numeric_limits<int16_t>::min()),
        filled_(size_t(columns), false) {}

  // `count` samples starting at frame `first`, as little-endian bytes.
  void Add(uint64_t first, const uint8_t* bytes, uint64_t count) {
    for (uint64_t n = 0; n < count; ++n) {
      const uint64_t frame = first + n;
      while (column_ + 1 < columns_ && frame >= columnEnd(column_)) ++column_;
      const int16_t sample = int16_t(readU16LE(bytes + 2 * n));
      low_[size_t(column_)] = std::min(low_[size_t(column_)], sample);
      high_[size_t(column_)] = std::max(high_[size_t(column_)], sample);
      filled_[size_t(column_)] = true;
    }
  }

  // A column without a sample read takes its nearest read neighbour's
  // values (the left one when both are as near); none read at all is 0.
  ChannelOutline Finish() const {
    ChannelOutline outline;
    for (int column = 0; column < columns_; ++column) {
      const int nearest = nearestFilled(column);
      outline.minimum.push_back(nearest < 0 ? int16_t(0) : low_[size_t(nearest)]);
      outline.maximum.push_back(nearest < 0 ? int16_t(0) : high_[size_t(nearest)]);
    }
    return outline;
  }

 private:
  uint64_t columnEnd(int column) const { return (uint64_t(column) + 1) * frames_ / uint64_t(columns_); }
  int nearestFilled(int column) const {
    for (int distance = 0; distance < columns_; ++distance) {
      if (column - distance >= 0 && filled_[size_t(column - distance)]) return column - distance;
      if (column + distance < columns_ && filled_[size_t(column + distance)]) return column + distance;
    }
    return -1;
  }

  uint64_t frames_;
  int columns_;
  int column_ = 0;
  std::vector<int16_t> low_, high_;
  std::vector<bool> filled_;
};

}  // namespace

Status ComputeSparseTakeOutline(const std::filesystem::path& file, int columns, ReadGate& gate,
                                ChannelOutline& outline) {
  FileHandle handle = FileHandle::Open(file, O_RDONLY);
  if (!handle.valid()) return Status::Fail(messages::TakeNotRead, file, errno);
  const int64_t size = handle.Size();
  if (size < 0) return Status::Fail(messages::TakeNotRead, file, errno);
  const uint64_t frames = uint64_t(TakeLengthFromFileSize(size));
  const int64_t sampleBytes = int64_t(frames) * TakeBytesPerSample;
  if (columns <= 0 || SparseOutlineBudget(sampleBytes) >= sampleBytes) {
    handle.Close();
    return ComputeTakeOutline(file, columns, gate, outline);  // short: read whole
  }
  ::posix_fadvise(handle.fd(), 0, 0, POSIX_FADV_RANDOM);
  SparseColumns built(frames, columns);
  std::vector<uint8_t> bytes;
  for (const PageRun& run : PlanSparseRuns(frames, columns)) {
    if (!gate.WaitWhilePaused()) return Status::Fail(messages::OutlineReadingStopped, file);
    bytes.resize(size_t(run.bytes));
    const ssize_t got = handle.ReadAt(bytes.data(), bytes.size(), run.offset);
    if (got < 0) return Status::Fail(messages::TakeNotRead, file, errno);
    const int64_t inSamples = std::min(run.bytes, TakeHeaderSize + sampleBytes - run.offset);
    // Shorter than its size said a moment ago: cut while we read it.
    if (got < inSamples) return Status::Fail(messages::TakeChangedWhileRead, file);
    built.Add(uint64_t(run.offset - TakeHeaderSize) / TakeBytesPerSample, bytes.data(),
              uint64_t(inSamples) / TakeBytesPerSample);
  }
  outline = built.Finish();
  return Status::Ok();
}

}  // namespace tp
