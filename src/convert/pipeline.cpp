#include "convert/pipeline.h"

#include <algorithm>

#include "convert/blockworkers.h"
#include "project/messages.h"

namespace tp {

Status BlockSource::Seek(uint64_t) { return Status::Fail(messages::SourceNotRead); }

void AfterBlockWritten(const PipelineJob& job, uint64_t framesWritten) {
  if (!job.startWriteBack || !WriteBackDue(framesWritten)) return;
  for (BlockSink* sink : job.sinks) sink->Output().StartWriteBack();
}

Status WriteBlock(const PipelineJob& job, const int16_t* block, uint32_t frames, uint32_t channels,
                  const float* wide) {
  for (BlockSink* sink : job.sinks)
    if (Status status = sink->Write(block, frames, channels); !status.ok()) return status;
  for (BlockTap* tap : job.taps) {
    if (wide) tap->SeeWide(wide, block, frames, channels);
    else tap->See(block, frames, channels);
  }
  return Status::Ok();
}

namespace {

void discardAll(const PipelineJob& job) {
  for (BlockSink* sink : job.sinks) sink->Output().Discard();
}

bool keepsAfterAbort(const PipelineJob& job) {
  if (job.onAbort == PipelineJob::OnAbort::KeepNothing) return false;
  return std::none_of(job.sinks.begin(), job.sinks.end(),
                      [](BlockSink* sink) { return sink->Output().replacesExistingFile(); });
}

ConversionResult finish(const PipelineJob& job, bool aborted, uint64_t written) {
  if (aborted && !keepsAfterAbort(job)) {
    discardAll(job);
    return {ConversionResult::Aborted, messages::Aborted, {}, 0, false};
  }
  for (BlockSink* sink : job.sinks) {
    const Status finished = sink->Finish();
    if (!finished.ok()) {
      discardAll(job);
      return ConversionResult::Failure(finished);
    }
  }
  if (job.beforeCommit) {
    const Status checked = job.beforeCommit();
    if (!checked.ok()) {
      discardAll(job);
      return ConversionResult::Failure(checked);
    }
  }
  if (job.handOver) {
    job.handOver();
    return {aborted ? ConversionResult::Aborted : ConversionResult::Converted,
            aborted ? messages::Aborted : messages::Converted, {}, written, false};
  }
  std::vector<SafeFile*> outputs;
  for (BlockSink* sink : job.sinks) outputs.push_back(&sink->Output());
  const Status committed = SafeFile::CommitTogether(outputs, job.writeFailure);
  if (!committed.ok()) return ConversionResult::Failure(committed);
  return {aborted ? ConversionResult::Aborted : ConversionResult::Converted,
          aborted ? messages::Aborted : messages::Converted, {}, written, true};
}

// One thread: read a block, write it, in turn.
BlocksMoved moveBlocksAlone(const PipelineJob& job, const ConversionHooks& hooks) {
  const uint32_t channels = job.source->Channels();
  std::vector<int16_t> block(size_t(channels) * job.blockFrames);
  BlocksMoved moved;
  while (moved.position < job.frames) {
    if (hooks.betweenBlocks && hooks.betweenBlocks()) {
      moved.aborted = true;
      break;
    }
    const uint32_t frames = uint32_t(std::min<uint64_t>(job.blockFrames, job.frames - moved.position));
    Status status = job.source->Read(block.data(), frames);
    if (status.ok()) status = WriteBlock(job, block.data(), frames, channels, job.source->WideSamples());
    if (!status.ok()) {
      moved.failure = status;
      return moved;
    }
    AfterBlockWritten(job, moved.position + frames);
    if (hooks.progress) {
      const uint64_t reached = std::min<uint64_t>(job.source->SourcePosition(moved.position), job.progressTotal);
      hooks.progress(uint32_t(reached), job.progressTotal);
    }
    moved.position += frames;
  }
  return moved;
}

}  // namespace

ConversionResult RunPipeline(const PipelineJob& job, const ConversionHooks& hooks) {
  const BlocksMoved moved = job.helperSources.empty() ? moveBlocksAlone(job, hooks) : MoveBlocksWithWorkers(job, hooks);
  if (!moved.failure.ok()) {
    discardAll(job);
    return ConversionResult::Failure(moved.failure);
  }
  const bool keeps = !moved.aborted || keepsAfterAbort(job);
  ConversionResult result = finish(job, moved.aborted, moved.position);
  if (result.outcome != ConversionResult::Failed && keeps && hooks.progress)
    hooks.progress(job.progressTotal, job.progressTotal);
  return result;
}

PipelineJob WholeTakeJob(BlockSource& source, BlockSink& sink, uint64_t frames, const char* writeFailure) {
  PipelineJob job;
  job.source = &source;
  job.sinks = {&sink};
  job.frames = frames;
  job.blockFrames = ArchiveBlockFrames;
  job.progressTotal = uint32_t(frames);
  job.onAbort = PipelineJob::OnAbort::KeepNothing;
  job.writeFailure = writeFailure;
  return job;
}

}  // namespace tp
