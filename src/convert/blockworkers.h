// Moving a job's blocks with several worker threads: each fills the blocks
// of its turn from a source of its own, and writes them when their turn to
// be written has come, so that the sinks receive the same bytes in the same
// order as from one thread.
#pragma once

#include "convert/pipeline.h"

namespace tp {

// Runs on the calling thread, which starts one worker for `job.source` and
// one for each of `job.helperSources`, and meanwhile runs the hooks: before
// letting each block be written betweenBlocks (the window pumps its events
// there), up to hooks.blocksAhead blocks beyond the last one reported, and
// progress once each block is written, in order. An abort lets no further block be
// written; a failure is the first in block order. Returns once every
// worker has ended.
BlocksMoved MoveBlocksWithWorkers(const PipelineJob& job, const ConversionHooks& hooks);

}  // namespace tp
