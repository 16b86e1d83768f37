// Moving a job's blocks with several worker threads: each fills the blocks
// of its turn from a source of its own, and writes them when their turn to
// be written has come, so that the sinks receive the same bytes in the same
// order as from one thread.
#pragma once

#include "convert/pipeline.h"

namespace tp {

// Runs on the calling thread, which starts one worker for `job.source` and
// one for each of `job.helperSources`, and meanwhile runs the hooks: before
// each block betweenBlocks (the window pumps its events there), after it
// progress. An abort lets no further block be written; a failure is the
// first in block order. Returns once every worker has ended.
BlocksMoved MoveBlocksWithWorkers(const PipelineJob& job, const ConversionHooks& hooks);

}  // namespace tp
