// The grid's outline of a take from a fraction of its samples. A song's
// first view would otherwise read every sample of every take, a minute of a
// slow disk's time for a long song, to draw some fifty columns a cell. Each
// column is drawn from a few runs of whole pages spread over its span, read
// in file order with the kernel told not to read ahead what is skipped: at
// most a tenth of the take's sample bytes, or 256 KiB for a short take
// (which is then read whole, and its outline is exact).
#pragma once

#include <cstdint>
#include <filesystem>
#include <vector>

#include "waveform/outline.h"

namespace tp {

class ReadGate;

constexpr int64_t OutlinePageBytes = 4096;
constexpr int64_t SparseOutlineLeastBytes = 256 * 1024;
// Runs of pages a column is drawn from, at most: more runs follow a note's
// envelope more closely (a page is 46 ms of a take), fewer keep each read
// larger. A five-minute take in a cell of 56 columns has 11 pages a column.
constexpr int SparseRunsPerColumn = 16;

// A run of whole pages: its byte offset in the file (page-aligned) and its
// length in bytes.
struct PageRun {
  int64_t offset, bytes;
  bool operator==(const PageRun&) const = default;
};

// The sample bytes of a take (after its header) a sparse outline reads.
int64_t SparseOutlineBudget(int64_t sampleBytes);

// The runs read for an outline of `columns` columns of a take of `frames`
// frames, in file order, none overlapping, within the file's samples
// (the last page may end beyond the last sample).
std::vector<PageRun> PlanSparseRuns(uint64_t frames, int columns);

// The outline of one take file from the planned runs, waiting at `gate`
// before each run. A column none of whose frames was read (more columns
// than pages the budget allows) is drawn as its nearest read neighbour.
// Failures as ComputeTakeOutline's.
Status ComputeSparseTakeOutline(const std::filesystem::path& file, int columns, ReadGate& gate,
                                ChannelOutline& outline);

}  // namespace tp
