#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/conversionrun.h"
#include "cli/interrupt.h"
#include "cli/options.h"
#include "cli/stdinspool.h"
#include "cli/verbosity.h"
#include "convert/importengine.h"
#include "convert/importpreparation.h"

namespace tp::cli {

namespace {

struct ImportOptions {
  std::string folder;
  std::vector<std::string> inputs, targets, masters, from;
  bool force = false, noWait = false;
  bool resample = false, keepSamples = false;
  VerbosityOptions verbosity;
};

// The takes the import would replace, as the user names them.
std::vector<std::string> existingTargets(const std::vector<ImportPreparation>& files) {
  std::vector<std::string> existing;
  for (const ImportPreparation& prepared : files)
    for (const ImportTarget& target : prepared.occupied)
      existing.push_back(target.track >= TrackCount ? MasterTakeLabel(target.take)
                                                    : TakeLabel(target.track, target.take));
  return existing;
}

// The files a successful import has written, for -v.
std::vector<std::filesystem::path> writtenFiles(const ProjectModel& model,
                                                const std::vector<ImportPreparation>& files) {
  std::vector<std::filesystem::path> written;
  for (const ImportPreparation& prepared : files)
    for (const ImportTarget& target : prepared.targets.InChannelOrder()) {
      if (target.track == MasterLeftTrackNumber) written.push_back(model.MasterPath(MasterSide::Left, target.take));
      else if (target.track == MasterRightTrackNumber)
        written.push_back(model.MasterPath(MasterSide::Right, target.take));
      else written.push_back(model.TakePath(target.track, target.take));
    }
  return written;
}

// A source at another rate, imported sample for sample without being asked
// to: say once how it will sound, and how to convert it.
void noteRate(const std::string& input, const SourceFormat& format) {
  if (!NeedsRateConversion(format.sampleRate)) return;
  std::fprintf(stderr,
               "note: %s is %s Hz; takes play at 44100 Hz, so it will sound %s (use --resample to convert the "
               "rate)\n",
               input.c_str(), RateText(format.sampleRate).c_str(),
               format.sampleRate > TakeSampleRate ? "slower and lower" : "faster and higher");
}

void checkTargetChoice(const ImportOptions& options, const std::vector<TrackTake>& targets) {
  if (options.folder.empty() || options.inputs.empty())
    throw UsageError("name the project folder and the file to import");
  if (options.masters.size() > 1) throw UsageError("one --master only");
  if (options.from.size() > 1) throw UsageError("one --from only");
  const int ways = int(!options.masters.empty()) + int(!targets.empty()) + int(!options.from.empty());
  if (ways > 1) throw UsageError("choose --to tracks, a --master take or --from, only one of them");
  if (ways == 0) throw UsageError("choose where to import with --to, --master or --from");
  if (options.inputs.size() > 1 && options.from.empty())
    throw UsageError("several files go to consecutive tracks: choose the first with --from");
  if (std::count(options.inputs.begin(), options.inputs.end(), StandardInputArgument) > 1)
    throw UsageError("standard input (-) can be read once only");
  for (size_t a = 0; a < targets.size(); ++a)
    for (size_t b = a + 1; b < targets.size(); ++b)
      if (targets[a].track == targets[b].track) throw UsageError("the --to targets must be on different tracks");
}

// One file into the --to takes or the master take: the clicks of the
// window choose the first two targets (the first --to the left or only
// one), the channels after them go to the further --to takes.
void prepareOneFile(ProjectModel& model, const ImportOptions& options, const std::vector<TrackTake>& targets,
                    const std::filesystem::path& source, ImportPreparation& prepared) {
  for (size_t n = 0; n < std::min<size_t>(targets.size(), 2); ++n) {
    model.TrackSelClick(targets[n].track);
    model.TakeSelClick(targets[n].track, targets[n].take);
  }
  if (!options.masters.empty()) {
    model.MasTakeSelClick(ParseMasterTake(options.masters.front()));
    model.MasterSelClick(true);
  }
  if (const Status status = PrepareImport(model, source, prepared); !status.ok()) throw CommandFailure(status.Text());
  if (targets.size() > 2) {
    std::vector<ImportTarget> inChannelOrder;
    for (const TrackTake& target : targets) inChannelOrder.push_back({target.track, target.take});
    RetargetImport(model, inChannelOrder, prepared);
  }
}

// The files to import, standard input ("-") copied into the song folder
// first (the same file system as the takes, so that the space is there for
// both), and messages that name the copy as "standard input".
struct Sources {
  std::vector<std::filesystem::path> paths;
  std::unique_ptr<StandardInputSpool> spool;
  bool interrupted = false;

  std::string named(const std::string& text) const { return spool ? spool->Named(text) : text; }
};

Sources readSources(const ProjectModel& model, const ImportOptions& options) {
  Sources sources;
  for (const std::string& input : options.inputs) {
    if (input != StandardInputArgument) {
      sources.paths.emplace_back(input);
      continue;
    }
    sources.spool = SpoolStandardInput(model.ProjectFolder);
    if (!sources.spool) {
      sources.interrupted = true;
      return sources;
    }
    sources.paths.push_back(sources.spool->path());
  }
  return sources;
}

std::vector<ImportPreparation> prepareFiles(ProjectModel& model, const ImportOptions& options,
                                            const std::vector<TrackTake>& targets, const Sources& sources) {
  std::vector<ImportPreparation> files;
  try {
    if (!options.from.empty()) {
      const TrackTake first = ParseTrackTake(options.from.front());
      if (const Status status = PrepareBatch(model, sources.paths, first.track, first.take, files); !status.ok())
        throw CommandFailure(status.Text());
    } else {
      files.resize(1);
      prepareOneFile(model, options, targets, sources.paths.front(), files.front());
    }
  } catch (const CommandFailure& failure) {
    throw CommandFailure(sources.named(failure.what()));
  }
  // Takes from standard input are named as those from a file named "stdin".
  for (ImportPreparation& prepared : files)
    if (sources.spool && prepared.path == sources.spool->path()) prepared.namedAfter = "stdin";
  return files;
}

int runImport(const ImportOptions& options) {
  std::vector<TrackTake> targets;
  for (const auto& text : options.targets) targets.push_back(ParseTrackTake(text));
  checkTargetChoice(options, targets);

  ProjectModel model;
  OpenProject(model, options.folder);
  const Sources sources = readSources(model, options);
  if (sources.interrupted) return InterruptedExitCode();
  std::vector<ImportPreparation> files = prepareFiles(model, options, targets, sources);
  if (const auto existing = existingTargets(files); !existing.empty() && !options.force) {
    std::string list;
    for (const auto& label : existing) list += (list.empty() ? "" : ", ") + label;
    throw CommandFailure(list + (existing.size() == 1 ? " holds a take" : " hold takes") +
                         "; nothing was written (add --force to replace)");
  }
  if (!options.resample && !options.keepSamples)
    for (const ImportPreparation& prepared : files) noteRate(sources.named(prepared.path.string()), prepared.format);
  const RateHandling rate = options.resample ? RateHandling::Convert : RateHandling::KeepSamples;
  const SongLock::Wait wait = options.noWait ? SongLock::Wait::No : SongLock::Wait::Yes;
  const ExistingTakes existing = options.force ? ExistingTakes::Replace : ExistingTakes::Refuse;
  return RunConversion("Importing", options.verbosity.level(), writtenFiles(model, files),
                       [&](const ConversionHooks& hooks) {
                         ConversionResult result =
                             files.size() == 1 ? ImportPrepared(model, files.front(), hooks, wait, rate, existing)
                                               : ImportBatch(model, files, hooks, wait, rate, existing);
                         result.detail = sources.named(result.detail);
                         return result;
                       });
}

}  // namespace

CommandRun DefineImport(CLI::App& command) {
  auto options = std::make_shared<ImportOptions>();
  AddPositional(command, "DIR", options->folder, "the song folder");
  command
      .add_option("IN", options->inputs,
                  "the sound files to import (WAV, AIFF, FLAC, RF64, Wave64, AIFF-C, CAF, Ogg, Opus, MP3, ...; - reads "
                  "standard input, once); takes play at 44100 Hz, and a file at another rate is copied sample for sample (with a note) unless "
                  "--resample is given")
      ->type_name("");
  AddTakeOption(command, "--to", options->targets,
                "a take to fill (one file): the first --to gets the left (or only) channel, the second the right, "
                "the i-th channel i of a multichannel file");
  AddTakeOption(command, "--from", options->from,
                "the first take of consecutive tracks for the files in order (a stereo file takes two tracks, a file "
                "of N channels N), all on take K");
  AddMasterOption(command, "-m,--master", options->masters, "the master take to fill with both channels");
  command.add_flag("-f,--force", options->force, "replace takes that exist");
  CLI::Option* resample = command.add_flag(
      "--resample", options->resample,
      "convert a file that is not 44100 Hz to 44100 Hz, so it keeps its pitch and length (very-high quality, dithered "
      "to 16 bits)");
  command.add_flag("--keep-samples", options->keepSamples,
                   "copy a file at another rate sample for sample without the note (it plays slower and lower, or "
                   "faster and higher)")
      ->excludes(resample);
  AddNoWaitOption(command, options->noWait);
  AddVerbosityOptions(command, options->verbosity);
  return [options] { return runImport(*options); };
}

}  // namespace tp::cli
