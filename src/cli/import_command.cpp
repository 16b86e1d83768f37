#include <cstdio>
#include <memory>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/conversionrun.h"
#include "cli/options.h"
#include "cli/verbosity.h"
#include "convert/importengine.h"
#include "convert/importpreparation.h"

namespace tp::cli {

namespace {

struct ImportOptions {
  std::string folder, input;
  std::vector<std::string> targets, masters;
  bool force = false, noWait = false;
  bool resample = false, keepSamples = false;
  VerbosityOptions verbosity;
};

// The takes the import would replace, as the user names them.
std::vector<std::string> existingTargets(const ImportPreparation& prepared) {
  std::vector<std::string> existing;
  for (const ImportTarget& target : prepared.occupied)
    existing.push_back(target.track >= TrackCount ? MasterTakeLabel(target.take)
                                                  : TakeLabel(target.track, target.take));
  return existing;
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

int runImport(const ImportOptions& options) {
  if (options.folder.empty() || options.input.empty())
    throw UsageError("name the project folder and the file to import");
  std::vector<TrackTake> targets;
  for (const auto& text : options.targets) targets.push_back(ParseTrackTake(text));
  if (options.masters.size() > 1) throw UsageError("one --master only");
  std::optional<int> master;
  if (!options.masters.empty()) master = ParseMasterTake(options.masters.front());
  if (master && !targets.empty()) throw UsageError("choose --to tracks or a --master take, not both");
  if (!master && targets.empty()) throw UsageError("choose where to import with --to or --master");
  if (targets.size() > 2) throw UsageError("at most two --to targets (left and right)");
  if (targets.size() == 2 && targets[0].track == targets[1].track)
    throw UsageError("the two --to targets must be on different tracks");

  ProjectModel model;
  OpenProject(model, options.folder);
  // The order of the clicks makes the first --to the left (or only) target.
  std::vector<std::filesystem::path> written;
  for (const auto& target : targets) {
    model.TrackSelClick(target.track);
    model.TakeSelClick(target.track, target.take);
    written.push_back(model.TakePath(target.track, target.take));
  }
  if (master) {
    model.MasTakeSelClick(*master);
    model.MasterSelClick(true);
    written.push_back(model.MasterPath(MasterSide::Left, *master));
    written.push_back(model.MasterPath(MasterSide::Right, *master));
  }
  ImportPreparation prepared;
  if (const Status status = PrepareImport(model, options.input, prepared); !status.ok())
    throw CommandFailure(status.Text());
  if (const auto existing = existingTargets(prepared); !existing.empty() && !options.force) {
    std::string list;
    for (const auto& label : existing) list += (list.empty() ? "" : ", ") + label;
    throw CommandFailure(list + (existing.size() == 1 ? " holds a take" : " hold takes") +
                         "; nothing was written (add --force to replace)");
  }
  if (!options.resample && !options.keepSamples) noteRate(options.input, prepared.format);
  const RateHandling rate = options.resample ? RateHandling::Convert : RateHandling::KeepSamples;
  return RunConversion("Importing", options.verbosity.level(), written,
                       [&](const ConversionHooks& hooks) {
                         return ImportPrepared(model, prepared, hooks,
                                               options.noWait ? SongLock::Wait::No : SongLock::Wait::Yes, rate,
                                               options.force ? ExistingTakes::Replace : ExistingTakes::Refuse);
                       });
}

}  // namespace

CommandRun DefineImport(CLI::App& command) {
  auto options = std::make_shared<ImportOptions>();
  AddPositional(command, "DIR", options->folder, "the song folder");
  AddPositional(command, "IN", options->input,
                "the WAV, AIFF or FLAC file to import, mono or stereo; takes play at 44100 Hz, and a file at "
                "another rate is copied sample for sample (with a note) unless --resample is given");
  AddTakeOption(command, "--to", options->targets,
                "the take to fill: the first --to gets the left (or only) channel, a second one the right");
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
