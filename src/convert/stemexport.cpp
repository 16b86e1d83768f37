#include "convert/stemexport.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "convert/sinks.h"
#include "convert/takesource.h"
#include "project/messages.h"
#include "project/namecodec.h"

namespace tp {

ConversionResult ExportStem(const StemSource& stem, const std::filesystem::path& output, AudioFormat format,
                            const ConversionHooks& hooks) {
  TakeSelection selection;
  selection.takes[0] = stem.left;
  selection.labels[0] = stem.label;
  if (stem.right) {
    selection.takes[1] = *stem.right;
    selection.labels[1] = stem.label;
    selection.masterMode = true;  // left file to the left channel, right to the right
  }
  TakeFiles takes;
  const Status opened = OpenSelectedTakes(selection, takes);
  if (!opened.ok()) return ConversionResult::Failure(opened);
  static const MixerSettings unused;
  MixSource pair(takes, selection, unused);
  OneTakeSource one(takes, 0, stem.label);
  BlockSource& source = stem.right ? static_cast<BlockSource&>(pair) : one;

  std::unique_ptr<SafeFile> file;
  Status status = SafeFile::Create(output, messages::OutputNotCreated, file);
  std::unique_ptr<AudioFileSink> sink;
  if (status.ok()) status = AudioFileSink::Create(std::move(file), source.Channels(), format, sink);
  if (!status.ok()) return ConversionResult::Failure(status);

  // A stem has exactly the take's length, and an interrupted archive keeps
  // no half of one.
  PipelineJob job;
  job.source = &source;
  job.sinks = {sink.get()};
  job.frames = stem.length;
  job.progressTotal = stem.length;
  job.onAbort = PipelineJob::OnAbort::KeepNothing;
  job.writeFailure = messages::OutputNotWritten;
  return RunPipeline(job, hooks);
}

std::string SafeFileNameComponent(std::string_view text) {
  std::string safe;
  for (unsigned char c : text) {
    const bool refused = c < 0x20 || c == 0x7F || std::string_view("/\\:*?\"<>|").find(char(c)) != std::string_view::npos;
    safe += refused ? '_' : char(c);
  }
  // "." and ".." name folders, and a trailing dot or blank is dropped by
  // some file systems.
  while (!safe.empty() && (safe.back() == '.' || safe.back() == ' ')) safe.pop_back();
  return safe;
}

std::string StemFileStem(std::string_view label, std::string_view nameBytes) {
  std::string name = NameBytesToUtf8(nameBytes);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  name = SafeFileNameComponent(name);
  return name.empty() ? std::string(label) : std::string(label) + " " + name;
}

std::string TrackStemLabel(int track, int take) {
  char label[32];
  std::snprintf(label, sizeof label, "Track%02d-%d", track + 1, take + 1);
  return label;
}

std::string MasterStemLabel(int masterTake) { return "Master" + std::to_string(masterTake + 1); }

}  // namespace tp
