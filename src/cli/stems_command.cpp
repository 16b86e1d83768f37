// stems: every take of a project (or of every project on a disk) as its own
// named file, with a manifest that documents the archive.
#include <cstdio>
#include <map>
#include <memory>
#include <system_error>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "cli/interrupt.h"
#include "cli/jsontext.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/progressbar.h"
#include "cli/verbosity.h"
#include "project/messages.h"
#include "storage/safefile.h"
#include "convert/stemexport.h"
#include "project/namecodec.h"
#include "project/projectsearch.h"

namespace tp::cli {

namespace fs = std::filesystem;

namespace {

constexpr const char* ManifestName = "trackporter.json";

struct StemOptions {
  fs::path source, outputRoot;
  std::vector<TrackTake> takes;
  std::vector<int> masters;
  bool recursive = false, aiff = false, force = false;
  Verbosity verbosity = Verbosity::Normal;
};

// One file to write.
struct StemItem {
  std::string label;      // "Track3-2" / "Master 1", for messages
  int track = -1;         // 0-based, or -1 for a master take
  int take = 0;           // 0-based take or master take
  std::string nameBytes;  // the take's name as stored
  StemSource source;
  fs::path output;
};

struct ProjectPlan {
  fs::path folder;
  std::string nameBytes;
  fs::path outputFolder;
  std::vector<StemItem> items;
  std::vector<std::string> missing;  // takes asked for that the project lacks
};

// The values as CLI11 leaves them; resolved into StemOptions after the parse.
struct StemArguments {
  std::string source, outputRoot;
  std::vector<std::string> takes, masters;
  bool recursive = false, aiff = false, force = false;
  VerbosityOptions verbosity;
};

StemOptions resolve(const StemArguments& arguments) {
  if (arguments.source.empty() || arguments.outputRoot.empty())
    throw UsageError("name the project folder (or disk) and the output folder");
  StemOptions options;
  options.source = arguments.source;
  options.outputRoot = arguments.outputRoot;
  for (const auto& text : arguments.takes) options.takes.push_back(ParseTrackTake(text));
  for (const auto& text : arguments.masters) options.masters.push_back(ParseMasterTake(text));
  options.recursive = arguments.recursive;
  options.aiff = arguments.aiff;
  options.force = arguments.force;
  options.verbosity = arguments.verbosity.level();
  return options;
}

bool wanted(const StemOptions& options, int track, int take) {
  if (options.takes.empty() && options.masters.empty()) return true;
  for (const auto& t : options.takes)
    if (t.track == track && t.take == take) return true;
  return false;
}

bool wantedMaster(const StemOptions& options, int master) {
  if (options.takes.empty() && options.masters.empty()) return true;
  for (int m : options.masters)
    if (m == master) return true;
  return false;
}

ProjectPlan planProject(const StemOptions& options, const fs::path& folder, const fs::path& outputFolder) {
  ProjectModel model;
  OpenProject(model, folder.string());
  ProjectPlan plan{folder, model.ProjectName, outputFolder, {}, {}};
  const char* extension = options.aiff ? ".aif" : ".wav";
  for (int t = 0; t < TrackCount; ++t)
    for (int k = 0; k < TakesPerTrack; ++k) {
      if (!wanted(options, t, k) || !model.TakeSel[t][k].assigned) continue;
      StemItem item{TrackTakeLabel({t, k}), t, k, model.TakeSel[t][k].caption, {}, {}};
      item.source = {model.TakePath(t, k), std::nullopt, uint32_t(model.TakeLength(t, k)), TrackStemLabel(t, k)};
      item.output = outputFolder / (StemFileStem(TrackStemLabel(t, k), item.nameBytes) + extension);
      plan.items.push_back(std::move(item));
    }
  for (int n = 0; n < MasterTakeCount; ++n) {
    if (!wantedMaster(options, n) || !model.MasTakeSel[n].assigned) continue;
    StemItem item{MasterLabel(n), -1, n, model.MasTakeSel[n].caption, {}, {}};
    const int32_t left = model.MasterLength(MasterSide::Left, n);
    const int32_t right = model.MasterLength(MasterSide::Right, n);
    item.source = {model.MasterPath(MasterSide::Left, n), model.MasterPath(MasterSide::Right, n),
                   uint32_t(std::max(left, right)), MasterStemLabel(n)};
    item.output = outputFolder / (StemFileStem(MasterStemLabel(n), item.nameBytes) + extension);
    plan.items.push_back(std::move(item));
  }
  // Searching a disk, a take named on the command line is simply absent
  // from the projects that lack it; for one project it is a mistake.
  if (options.recursive) return plan;
  for (const auto& t : options.takes)
    if (!model.TakeSel[t.track][t.take].assigned) plan.missing.push_back(TrackTakeLabel(t) + " holds no take.");
  for (int m : options.masters)
    if (!model.MasTakeSel[m].assigned) plan.missing.push_back(MasterLabel(m) + " holds no take.");
  return plan;
}

std::string caseFolded(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
  return text;
}

// Where each project's files go: the output folder itself for one project;
// OUTDIR/<project name>/ when searching a disk, with the folder's own name
// added where two projects share a name.
std::vector<ProjectPlan> planAll(const StemOptions& options) {
  if (!options.recursive) return {planProject(options, options.source, options.outputRoot)};
  const auto folders = FindProjectFolders(options.source);
  if (folders.empty()) throw CommandFailure("No project folder was found in \"" + options.source.string() + "\".");
  std::vector<std::string> names;
  std::map<std::string, int> uses;
  for (const auto& folder : folders) {
    ProjectModel model;
    OpenProject(model, folder.string());
    std::string name = SafeFileNameComponent(NameBytesToUtf8(model.ProjectName));
    if (name.empty()) name = SafeFileNameComponent(folder.filename().string());
    names.push_back(name);
    ++uses[caseFolded(name)];
  }
  // Names are compared without regard to letter case: on a disk that
  // ignores case, "Demo" and "DEMO" would be one folder.
  std::map<std::string, int> taken;
  std::vector<ProjectPlan> plans;
  for (size_t i = 0; i < folders.size(); ++i) {
    std::string name = names[i];
    if (uses[caseFolded(name)] > 1) name += " (" + SafeFileNameComponent(folders[i].filename().string()) + ")";
    if (int n = ++taken[caseFolded(name)]; n > 1) name += " " + std::to_string(n);
    plans.push_back(planProject(options, folders[i], options.outputRoot / name));
  }
  return plans;
}

std::vector<fs::path> existingOutputs(const std::vector<ProjectPlan>& plans) {
  std::vector<fs::path> existing;
  std::error_code error;
  for (const auto& plan : plans) {
    for (const auto& item : plan.items)
      if (fs::exists(item.output, error)) existing.push_back(item.output);
    if (fs::exists(plan.outputFolder / ManifestName, error)) existing.push_back(plan.outputFolder / ManifestName);
  }
  return existing;
}

struct FailedItem {
  const StemItem* item;
  std::string reason;
};

std::string itemIdentity(const StemItem& item) {
  if (item.track >= 0) return "\"track\": " + std::to_string(item.track + 1) + ", \"take\": " + std::to_string(item.take + 1);
  return "\"master\": " + std::to_string(item.take + 1);
}

std::string trimmedName(const std::string& nameBytes) {
  std::string name = NameBytesToUtf8(nameBytes);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

std::string manifestText(const ProjectPlan& plan, const std::vector<const StemItem*>& written,
                         const std::vector<FailedItem>& failed) {
  std::string out = "{\n  \"project\": " + JsonString(trimmedName(plan.nameBytes)) + ",\n  \"source\": " +
                    JsonString(fs::absolute(plan.folder).lexically_normal().string()) + ",\n  \"files\": [";
  const char* separator = "\n";
  for (const StemItem* item : written) {
    out += separator;
    out += "    {" + itemIdentity(*item) + ", \"name\": " + JsonString(trimmedName(item->nameBytes)) +
           ", \"samples\": " + std::to_string(item->source.length) + ", \"source\": ";
    if (item->source.right)
      out += "[" + JsonString(item->source.left.filename().string()) + ", " +
             JsonString(item->source.right->filename().string()) + "]";
    else
      out += JsonString(item->source.left.filename().string());
    out += ", \"output\": " + JsonString(item->output.filename().string()) + "}";
    separator = ",\n";
  }
  out += "\n  ]";
  if (!failed.empty()) {
    out += ",\n  \"failed\": [";
    separator = "\n";
    for (const FailedItem& f : failed) {
      out += separator;
      out += "    {" + itemIdentity(*f.item) + ", \"reason\": " + JsonString(f.reason) + "}";
      separator = ",\n";
    }
    out += "\n  ]";
  }
  return out + "\n}\n";
}

bool writeManifest(const ProjectPlan& plan, const std::vector<const StemItem*>& written,
                   const std::vector<FailedItem>& failed) {
  const std::string text = manifestText(plan, written, failed);
  std::unique_ptr<SafeFile> file;
  if (!SafeFile::Create(plan.outputFolder / ManifestName, messages::OutputNotCreated, file).ok()) return false;
  if (!file->handle().Write(text.data(), text.size())) return false;
  return file->Commit(messages::OutputNotWritten).ok();
}

std::string totalTime(uint64_t samples) {
  const uint64_t seconds = samples / 44100;
  char text[48];
  std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", (unsigned long long)(seconds / 3600),
                (unsigned long long)(seconds / 60 % 60), (unsigned long long)(seconds % 60));
  return text;
}

int runStems(const StemArguments& arguments) {
  const StemOptions options = resolve(arguments);
  const std::vector<ProjectPlan> plans = planAll(options);

  if (const auto existing = existingOutputs(plans); !existing.empty() && !options.force) {
    ReportError("These files exist already; nothing was written (add --force to replace them):");
    for (const auto& path : existing) std::fprintf(stderr, "  %s\n", path.c_str());
    return 1;
  }

  uint64_t totalBytes = 0, doneBytes = 0, totalSamples = 0;
  size_t totalFiles = 0;
  for (const auto& plan : plans)
    for (const auto& item : plan.items) {
      totalBytes += uint64_t(item.source.length) * (item.source.right ? 4 : 2);
      ++totalFiles;
    }

  WatchForInterrupt();
  bool anyFailed = false, interrupted = false;
  size_t filesWritten = 0, songsWritten = 0;
  ProgressBar bar("", options.verbosity != Verbosity::Quiet);
  for (size_t p = 0; p < plans.size() && !interrupted; ++p) {
    const ProjectPlan& plan = plans[p];
    for (const auto& message : plan.missing) {
      bar.Finish();
      ReportError(plan.folder.string() + ": " + message);
      anyFailed = true;
    }
    std::error_code error;
    fs::create_directories(plan.outputFolder, error);
    if (error) {
      bar.Finish();
      ReportError(plan.outputFolder.string() + ": the folder could not be created: " + error.message());
      anyFailed = true;
      continue;
    }
    std::vector<const StemItem*> written;
    std::vector<FailedItem> failed;
    for (size_t i = 0; i < plan.items.size(); ++i) {
      const StemItem& item = plan.items[i];
      bar.SetLabel("song " + std::to_string(p + 1) + "/" + std::to_string(plans.size()) + ", take " +
                   std::to_string(filesWritten + 1) + "/" + std::to_string(totalFiles));
      const uint64_t bytesBefore = doneBytes;
      const uint64_t itemBytesPerFrame = item.source.right ? 4 : 2;
      ConversionHooks hooks;
      hooks.betweenBlocks = [] { return InterruptRequested(); };
      hooks.progress = [&](uint32_t position, uint32_t) {
        doneBytes = bytesBefore + position * itemBytesPerFrame;
        bar.Update(doneBytes, totalBytes);
      };
      const ConversionResult result =
          ExportStem(item.source, item.output, options.aiff ? FormatAiff : FormatWav, hooks);
      doneBytes = bytesBefore + uint64_t(item.source.length) * itemBytesPerFrame;
      if (result.outcome == ConversionResult::Aborted) {
        interrupted = true;
        break;
      }
      if (result.outcome == ConversionResult::Failed) {
        bar.Finish();
        const std::string reason =
            result.detail.empty() ? std::string(result.message) : std::string(result.message) + ": " + result.detail;
        ReportError(plan.folder.string() + ", " + item.label + ": " + reason);
        failed.push_back({&item, reason});
        anyFailed = true;
        continue;
      }
      written.push_back(&item);
      if (options.verbosity == Verbosity::Verbose) {
        bar.Finish();
        std::printf("%s\n", item.output.c_str());
      }
      ++filesWritten;
      totalSamples += item.source.length;
    }
    if (!writeManifest(plan, written, failed)) {
      bar.Finish();
      ReportError(plan.outputFolder.string() + ": the manifest could not be written.");
      anyFailed = true;
    }
    if (!written.empty()) ++songsWritten;
  }
  bar.Finish();
  if (options.verbosity != Verbosity::Quiet)
    std::printf("%zu song%s, %zu file%s, %s in all%s\n", songsWritten, songsWritten == 1 ? "" : "s", filesWritten,
              filesWritten == 1 ? "" : "s", totalTime(totalSamples).c_str(), interrupted ? " (interrupted)" : "");
  if (interrupted) return InterruptedExitCode;
  return anyFailed ? 1 : 0;
}

}  // namespace

CommandRun DefineStems(CLI::App& command) {
  auto arguments = std::make_shared<StemArguments>();
  AddPositional(command, "SRC", arguments->source, "the song folder, or with --recursive a folder (a disk) to search");
  AddPositional(command, "OUTDIR", arguments->outputRoot, "the folder to write into; it is created if need be");
  AddTakeOption(command, "-t,--take", arguments->takes, "archive only this take; repeat it for several, and add --master for master takes");
  AddMasterOption(command, "-m,--master", arguments->masters, "archive only this master take; repeat it for several");
  command.add_flag("-r,--recursive", arguments->recursive,
                   "search SRC at any depth and archive every song into OUTDIR/<song name>/");
  command.add_flag("--aiff", arguments->aiff, "write AIFF files (.aif) instead of WAV");
  command.add_flag("-f,--force", arguments->force, "replace files that exist already");
  AddVerbosityOptions(command, arguments->verbosity);
  return [arguments] { return runStems(*arguments); };
}

}  // namespace tp::cli
