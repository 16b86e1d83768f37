// stems: every take of a project (or of every project on a disk) as its own
// named file, with a manifest that documents the archive and holds what
// rebuilds the song folder byte for byte (restore_command.cpp): each take
// file's size, SHA-256 and header, and a copy of every other file of the
// song under recorder/. A SHA256SUMS file lets sha256sum check the archive
// without this program.
#include <cstdio>
#include <algorithm>
#include <map>
#include <optional>
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
#include "convert/archivemanifest.h"
#include "convert/stemexport.h"
#include "convert/takearchive.h"
#include "project/messages.h"
#include "project/namecodec.h"
#include "project/projectsearch.h"
#include "storage/safefile.h"
#include "storage/sha256.h"

#include <chrono>
#include <fcntl.h>
#include <set>

namespace tp::cli {

namespace fs = std::filesystem;

namespace {

constexpr const char* ManifestName = ArchiveManifestName;

struct StemOptions {
  fs::path source, outputRoot;
  std::vector<TrackTake> takes;
  std::vector<int> masters;
  bool recursive = false, force = false, verify = false, resume = false;
  AudioFormat format = FormatWav;
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
  std::vector<fs::path> takeFiles;  // the take, or a master take's left and right files
};

struct ProjectPlan {
  fs::path folder;
  std::string nameBytes;
  fs::path outputFolder;
  std::vector<StemItem> items;
  std::vector<std::string> missing;  // takes asked for that the project lacks
  std::string relativeFolder;        // the song's path below the archived root
  std::vector<fs::path> otherFiles;  // every file of the song that is no take, copied as it is
  std::optional<ArchiveManifest> previous;  // with --continue: the manifest an earlier run wrote
  // Folders inside the song folder: a recorder keeps none, and they are not
  // part of the song's archive (a song among them is found by --recursive).
  std::vector<fs::path> subfolders;
};

// The values as CLI11 leaves them; resolved into StemOptions after the parse.
struct StemArguments {
  std::string source, outputRoot;
  std::vector<std::string> takes, masters;
  bool recursive = false, aiff = false, flac = false, force = false, verify = false, resume = false;
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
  if (arguments.aiff && arguments.flac) throw UsageError("choose one of --aiff and --flac");
  options.format = arguments.flac ? FormatFlac : arguments.aiff ? FormatAiff : FormatWav;
  options.force = arguments.force;
  options.verify = arguments.verify;
  options.resume = arguments.resume;
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

// Every regular file of the song folder that the archive does not keep as a
// take: the information files and whatever else the recorder left there,
// including take-like names the scan passes over (a lone half of a master
// take, a file too short to be a take, a second spelling). Takes left out by
// --take are neither.
std::vector<fs::path> otherFilesOf(const ProjectModel& model, const fs::path& folder, std::vector<fs::path>& subfolders) {
  std::set<fs::path> takes;
  for (int t = 0; t < TrackCount; ++t)
    for (int k = 0; k < TakesPerTrack; ++k)
      if (model.TakeSel[t][k].assigned) takes.insert(model.TakePath(t, k).filename());
  for (int n = 0; n < MasterTakeCount; ++n)
    if (model.MasTakeSel[n].assigned) {
      takes.insert(model.MasterPath(MasterSide::Left, n).filename());
      takes.insert(model.MasterPath(MasterSide::Right, n).filename());
    }
  std::vector<fs::path> others;
  std::error_code error;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const fs::path name = it->path().filename();
    if (takes.count(name) || IsSideFileName(name.string())) continue;
    if (!it->is_symlink(error) && it->is_directory(error)) subfolders.push_back(it->path());
    if (it->is_symlink(error) || !it->is_regular_file(error)) continue;
    others.push_back(it->path());
  }
  std::sort(others.begin(), others.end());
  return others;
}

ProjectPlan planProject(const StemOptions& options, const fs::path& folder, const fs::path& outputFolder) {
  ProjectModel model;
  OpenProject(model, folder.string());
  ProjectPlan plan{folder, model.ProjectName, outputFolder, {}, {}, {}, {}, {}, {}};
  const char* extension = options.format == FormatFlac ? ".flac" : options.format == FormatAiff ? ".aif" : ".wav";
  for (int t = 0; t < TrackCount; ++t)
    for (int k = 0; k < TakesPerTrack; ++k) {
      if (!wanted(options, t, k) || !model.TakeSel[t][k].assigned) continue;
      StemItem item{TrackTakeLabel({t, k}), t, k, model.TakeSel[t][k].caption, {}, {}, {}};
      item.source = {model.TakePath(t, k), std::nullopt, uint32_t(model.TakeLength(t, k)), TrackStemLabel(t, k)};
      item.output = outputFolder / (StemFileStem(TrackStemLabel(t, k), item.nameBytes) + extension);
      item.takeFiles = {item.source.left};
      plan.items.push_back(std::move(item));
    }
  for (int n = 0; n < MasterTakeCount; ++n) {
    if (!wantedMaster(options, n) || !model.MasTakeSel[n].assigned) continue;
    StemItem item{MasterLabel(n), -1, n, model.MasTakeSel[n].caption, {}, {}, {}};
    const int32_t left = model.MasterLength(MasterSide::Left, n);
    const int32_t right = model.MasterLength(MasterSide::Right, n);
    item.source = {model.MasterPath(MasterSide::Left, n), model.MasterPath(MasterSide::Right, n),
                   uint32_t(std::max(left, right)), MasterStemLabel(n)};
    item.output = outputFolder / (StemFileStem(MasterStemLabel(n), item.nameBytes) + extension);
    item.takeFiles = {item.source.left, *item.source.right};
    plan.items.push_back(std::move(item));
  }
  plan.otherFiles = otherFilesOf(model, folder, plan.subfolders);
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

// A folder's own name, also for "." or a path ending in a separator.
std::string ownName(const fs::path& folder) {
  fs::path normal = fs::absolute(folder).lexically_normal();
  if (normal.filename().empty()) normal = normal.parent_path();
  return normal.filename().string();
}

// Where each project's files go: the output folder itself for one project;
// OUTDIR/<project name>/ when searching a disk, with the folder's own name
// added where two projects share a name.
std::vector<ProjectPlan> planAll(const StemOptions& options) {
  if (!options.recursive) {
    ProjectPlan plan = planProject(options, options.source, options.outputRoot);
    plan.relativeFolder = ownName(options.source);
    return {plan};
  }
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
    const fs::path relative = folders[i].lexically_relative(options.source);
    plans.back().relativeFolder = relative.empty() || relative == "." ? ownName(folders[i]) : relative.string();
  }
  return plans;
}

struct FailedItem {
  const StemItem* item;
  std::string reason;
};

// A file written (or, with --continue, found complete) and what the
// manifest says of it.
struct WrittenItem {
  const StemItem* item;
  std::vector<TakeFileRecord> records;  // one per take file
  std::string outputSha256;
  int64_t outputSize = 0;
  bool verified = false;
};

struct CopiedFile {
  std::string name;  // in the song folder
  int64_t size = 0;
  std::string sha256;
};

struct SongArchive {
  std::vector<WrittenItem> written;
  std::vector<FailedItem> failed;
  std::vector<CopiedFile> copies;
};

std::string copyPath(const std::string& name) {
  return std::string(ArchiveRecorderFolder) + "/" + name + ArchiveCopySuffix;
}

// With --continue: the earlier run's record of `item`, when that run wrote
// it completely (and verified it, if verifying is asked now) and its take
// files still have the sizes recorded then.
std::optional<WrittenItem> completeBefore(const StemOptions& options, const ProjectPlan& plan,
                                          const StemItem& item) {
  if (!plan.previous) return std::nullopt;
  std::error_code error;
  if (!fs::is_regular_file(item.output, error)) return std::nullopt;
  WrittenItem found{&item, {}, {}, 0, true};
  for (const fs::path& takeFile : item.takeFiles) {
    const ArchivedTakeFile* match = nullptr;
    for (const ArchivedTakeFile& entry : plan.previous->takeFiles)
      if (entry.record.file == takeFile.filename().string() && entry.output == item.output.filename().string())
        match = &entry;
    if (!match || !match->record.headerKnown || match->outputSha256.empty()) return std::nullopt;
    const auto size = fs::file_size(takeFile, error);
    if (error || int64_t(size) != match->record.size) return std::nullopt;
    if (options.verify && !match->verified) return std::nullopt;
    found.records.push_back(match->record);
    found.outputSha256 = match->outputSha256;
    found.verified = found.verified && match->verified;
  }
  found.outputSize = int64_t(fs::file_size(item.output, error));
  return found;
}

std::vector<fs::path> existingOutputs(const StemOptions& options, const std::vector<ProjectPlan>& plans) {
  std::vector<fs::path> existing;
  std::error_code error;
  for (const auto& plan : plans) {
    // In a folder that holds this archive's manifest, a resumed run owns the
    // files it would write: those the manifest does not list complete (one
    // written after the manifest's last update, say) are written again.
    if (options.resume && plan.previous) continue;
    for (const auto& item : plan.items)
      if (fs::exists(item.output, error)) existing.push_back(item.output);
    for (const char* name : {ManifestName, ArchiveChecksumsName})
      if (fs::exists(plan.outputFolder / name, error)) existing.push_back(plan.outputFolder / name);
    for (const fs::path& other : plan.otherFiles) {
      const fs::path copy = plan.outputFolder / copyPath(other.filename().string());
      if (fs::exists(copy, error)) existing.push_back(copy);
    }
  }
  return existing;
}

std::string itemIdentity(const StemItem& item) {
  if (item.track >= 0) return "\"track\": " + std::to_string(item.track + 1) + ", \"take\": " + std::to_string(item.take + 1);
  return "\"master\": " + std::to_string(item.take + 1);
}

std::string trimmedName(const std::string& nameBytes) {
  std::string name = NameBytesToUtf8(nameBytes);
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return name;
}

// A name as JSON text; a name that is not UTF-8 (a Latin-1 name from an old
// disk) also as its bytes in hexadecimal, so that restore gives it back
// exactly.
std::string nameFields(const char* key, const std::string& name) {
  std::string out = "\"" + std::string(key) + "\": " + JsonString(name);
  if (ValidUtf8(name) != name)
    out += ", \"" + std::string(key) + "_hex\": \"" +
           HexText(reinterpret_cast<const uint8_t*>(name.data()), name.size()) + "\"";
  return out;
}

std::string takeFileEntry(const WrittenItem& written, size_t side) {
  const StemItem& item = *written.item;
  const TakeFileRecord& record = written.records[side];
  const bool master = item.track < 0;
  const uint32_t trackNumber = master ? uint32_t(side == 0 ? MasterLeftTrackNumber : MasterRightTrackNumber)
                                      : uint32_t(item.track);
  std::string out = "    {\"file\": " + JsonString(record.file) + ", \"size\": " + std::to_string(record.size) +
                    ", \"sha256\": \"" + record.sha256 + "\", \"output\": " +
                    JsonString(item.output.filename().string()) + ", \"channel\": " + std::to_string(side) +
                    ", \"frames\": " + std::to_string(item.source.length) + ", \"output_sha256\": \"" +
                    written.outputSha256 + "\", \"verified\": " + (written.verified ? "true" : "false") +
                    ", \"track_number\": " + std::to_string(trackNumber) + ", \"channel_index\": " +
                    std::to_string(side) + ", \"name\": " + JsonString(trimmedName(item.nameBytes));
  if (record.tail) out += ", \"tail\": \"" + HexText(&*record.tail, 1) + "\"";
  out += ", \"header\": [";
  const char* separator = "";
  for (const HeaderRun& run : record.header) {
    out += separator;
    out += "{\"offset\": " + std::to_string(run.offset) + ", \"hex\": \"" + HexText(run.bytes.data(), run.bytes.size()) +
           "\"}";
    separator = ", ";
  }
  return out + "]}";
}

std::string manifestText(const ProjectPlan& plan, const SongArchive& song) {
  std::string out = "{\n  \"manifest_version\": 2,\n  \"project\": " + JsonString(trimmedName(plan.nameBytes)) +
                    ",\n  " + nameFields("folder", plan.relativeFolder) + ",\n  \"source\": " +
                    JsonString(fs::absolute(plan.folder).lexically_normal().string()) + ",\n  \"files\": [";
  const char* separator = "\n";
  for (const WrittenItem& written : song.written) {
    const StemItem* item = written.item;
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
  out += "\n  ],\n  \"take_files\": [";
  separator = "\n";
  for (const WrittenItem& written : song.written)
    for (size_t side = 0; side < written.records.size(); ++side) {
      out += separator + takeFileEntry(written, side);
      separator = ",\n";
    }
  out += "\n  ],\n  \"recorder\": [";
  separator = "\n";
  for (const CopiedFile& copy : song.copies) {
    out += separator;
    out += "    {" + nameFields("file", copy.name) + ", \"size\": " + std::to_string(copy.size) + ", \"sha256\": \"" +
           copy.sha256 + "\", \"copy\": " + JsonString(copyPath(copy.name)) + "}";
    separator = ",\n";
  }
  out += "\n  ]";
  if (!song.failed.empty()) {
    out += ",\n  \"failed\": [";
    separator = "\n";
    for (const FailedItem& f : song.failed) {
      out += separator;
      out += "    {" + itemIdentity(*f.item) + ", \"reason\": " + JsonString(f.reason) + "}";
      separator = ",\n";
    }
    out += "\n  ]";
  }
  return out + "\n}\n";
}

// One line of sha256sum's format; a name holding a backslash or a newline
// is escaped and the line marked with a leading backslash, as sha256sum does.
std::string checksumLine(const std::string& sha256, const std::string& name) {
  std::string escaped;
  bool marked = false;
  for (char c : name) {
    if (c == '\\') escaped += "\\\\", marked = true;
    else if (c == '\n') escaped += "\\n", marked = true;
    else escaped += c;
  }
  return (marked ? "\\" : "") + sha256 + "  " + escaped + "\n";
}

Status writeText(const fs::path& target, const std::string& text) {
  std::unique_ptr<SafeFile> file;
  Status status = SafeFile::Create(target, messages::OutputNotCreated, file);
  if (!status.ok()) return status;
  if (!file->handle().Write(text.data(), text.size()))
    return Status::Fail(messages::OutputNotWritten, target, errno);
  return file->Commit(messages::OutputNotWritten);
}

// The manifest, then (`withSums`) the sums that include it. The manifest is
// rewritten after every file, so that an archive stopped anywhere, even by a
// power cut, describes what it holds and --continue can resume it; the sums
// follow when the song is done (or stopped), which saves a synced write per
// file: a resumed archive writes them anew.
Status writeManifestAndSums(const ProjectPlan& plan, const SongArchive& song, bool withSums) {
  const std::string manifest = manifestText(plan, song);
  Status status = writeText(plan.outputFolder / ManifestName, manifest);
  if (!status.ok() || !withSums) return status;
  std::vector<std::pair<std::string, std::string>> lines;  // name, sum
  for (const WrittenItem& written : song.written)
    lines.emplace_back(written.item->output.filename().string(), written.outputSha256);
  Sha256 sum;
  sum.Update(manifest.data(), manifest.size());
  lines.emplace_back(ManifestName, sum.HexDigest());
  for (const CopiedFile& copy : song.copies) lines.emplace_back(copyPath(copy.name), copy.sha256);
  std::sort(lines.begin(), lines.end());
  std::string text;
  for (const auto& [name, sha256] : lines) text += checksumLine(sha256, name);
  return writeText(plan.outputFolder / ArchiveChecksumsName, text);
}

// Copies one file of the song byte for byte, hashing what it copies.
Status copyOtherFile(const fs::path& source, const fs::path& target, CopiedFile& copied) {
  FileHandle from = FileHandle::Open(source, O_RDONLY);
  if (!from.valid()) return Status::Fail(messages::SourceNotRead, source, errno);
  std::unique_ptr<SafeFile> file;
  Status status = SafeFile::Create(target, messages::OutputNotCreated, file);
  if (!status.ok()) return status;
  Sha256 sum;
  std::vector<uint8_t> block(1 << 20);
  copied = CopiedFile{source.filename().string(), 0, {}};
  for (;;) {
    const ssize_t got = from.Read(block.data(), block.size());
    if (got < 0) return Status::Fail(messages::SourceNotRead, source, errno);
    if (got == 0) break;
    sum.Update(block.data(), size_t(got));
    if (!file->handle().Write(block.data(), size_t(got))) return Status::Fail(messages::OutputNotWritten, target, errno);
    copied.size += got;
  }
  copied.sha256 = sum.HexDigest();
  return file->Commit(messages::OutputNotWritten);
}

std::string clockTime(uint64_t seconds) {
  char text[48];
  std::snprintf(text, sizeof text, "%llu:%02llu:%02llu", (unsigned long long)(seconds / 3600),
                (unsigned long long)(seconds / 60 % 60), (unsigned long long)(seconds % 60));
  return text;
}

std::string totalTime(uint64_t samples) { return clockTime(samples / 44100); }

// "812 KB", "4.2 GB": decimal units, as file managers show sizes.
std::string byteCount(uint64_t bytes) {
  const char* units[] = {"bytes", "KB", "MB", "GB", "TB"};
  double value = double(bytes);
  int unit = 0;
  while (value >= 1000 && unit < 4) value /= 1000, ++unit;
  char text[32];
  if (unit == 0) std::snprintf(text, sizeof text, "%llu bytes", (unsigned long long)bytes);
  else std::snprintf(text, sizeof text, value < 10 ? "%.1f %s" : "%.0f %s", value, units[unit]);
  return text;
}

// What the progress line says besides the bar: where the archive is, and
// how long the rest will take at the pace so far.
class ArchiveProgress {
 public:
  ArchiveProgress(ProgressBar& bar, uint64_t totalBytes) : bar_(bar), totalBytes_(totalBytes) {}
  void Update(size_t song, size_t songs, size_t file, size_t files, uint64_t doneBytes) {
    const int percent = totalBytes_ == 0 ? 100 : int(doneBytes * 100 / totalBytes_);
    const auto now = std::chrono::steady_clock::now();
    if (percent == lastPercent_ && now - lastDrawn_ < std::chrono::seconds(1)) return;
    lastPercent_ = percent;
    lastDrawn_ = now;
    std::string label = "song " + std::to_string(song) + "/" + std::to_string(songs) + ", file " +
                        std::to_string(file) + "/" + std::to_string(files) + ", " + byteCount(doneBytes) + " of " +
                        byteCount(totalBytes_);
    const double elapsed = std::chrono::duration<double>(now - started_).count();
    if (doneBytes > 0 && elapsed > 1)
      label += ", " + clockTime(uint64_t(elapsed * double(totalBytes_ - std::min(doneBytes, totalBytes_)) /
                                         double(doneBytes))) + " left";
    bar_.SetLabel(label);
    bar_.Update(doneBytes, totalBytes_);
  }

 private:
  ProgressBar& bar_;
  uint64_t totalBytes_;
  int lastPercent_ = -1;
  std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now(), lastDrawn_{};
};

int runStems(const StemArguments& arguments) {
  const StemOptions options = resolve(arguments);
  std::vector<ProjectPlan> plans = planAll(options);
  if (options.resume)
    for (ProjectPlan& plan : plans) {
      ArchiveManifest previous;
      if (ReadArchiveManifest(plan.outputFolder, previous).ok()) plan.previous = std::move(previous);
    }

  if (const auto existing = existingOutputs(options, plans); !existing.empty() && !options.force) {
    ReportError("These files exist already; nothing was written (add --force to replace them, or --continue to "
                "resume an archive):");
    for (const auto& path : existing) std::fprintf(stderr, "  %s\n", path.c_str());
    return 1;
  }

  uint64_t totalBytes = 0, doneBytes = 0, totalSamples = 0, bytesWritten = 0;
  size_t totalFiles = 0;
  for (const auto& plan : plans)
    for (const auto& item : plan.items) {
      totalBytes += uint64_t(item.source.length) * (item.source.right ? 4 : 2);
      ++totalFiles;
    }

  WatchForInterrupt();
  bool anyFailed = false, interrupted = false;
  size_t filesWritten = 0, songsWritten = 0, filesVerified = 0, filesSkipped = 0, fileNumber = 0;
  ProgressBar bar("", options.verbosity != Verbosity::Quiet);
  ArchiveProgress progress(bar, totalBytes);
  auto fail = [&](const std::string& message) {
    bar.Finish();
    ReportError(message);
    anyFailed = true;
  };
  for (size_t p = 0; p < plans.size() && !interrupted; ++p) {
    const ProjectPlan& plan = plans[p];
    for (const auto& message : plan.missing) fail(plan.folder.string() + ": " + message);
    if (options.verbosity != Verbosity::Quiet)
      for (const auto& subfolder : plan.subfolders) {
        bar.Finish();
        std::fprintf(stderr, "%s: the folder \"%s\" inside the song is not part of its archive\n",
                     plan.folder.c_str(), subfolder.filename().c_str());
      }
    std::error_code error;
    fs::create_directories(plan.outputFolder / ArchiveRecorderFolder, error);
    if (error) {
      fail(plan.outputFolder.string() + ": the folder could not be created: " + error.message());
      continue;
    }
    SongArchive song;
    for (const fs::path& other : plan.otherFiles) {
      CopiedFile copied;
      const Status status = copyOtherFile(other, plan.outputFolder / copyPath(other.filename().string()), copied);
      if (!status.ok()) fail(plan.folder.string() + ": " + status.Text());
      else song.copies.push_back(std::move(copied));
    }
    // After a file, the manifest is rewritten when a second has passed since
    // it last was: a synced write per file would cost more than a short take
    // itself, and a resumed archive writes again what it does not list.
    auto lastRecorded = std::chrono::steady_clock::now();
    auto record = [&](bool songDone = false) {
      const auto now = std::chrono::steady_clock::now();
      if (!songDone && now - lastRecorded < std::chrono::seconds(1)) return;
      lastRecorded = now;
      const Status status = writeManifestAndSums(plan, song, songDone);
      if (!status.ok()) fail(plan.outputFolder.string() + ": the manifest could not be written: " + status.Text());
    };
    record(true);
    for (size_t i = 0; i < plan.items.size(); ++i) {
      const StemItem& item = plan.items[i];
      ++fileNumber;
      const uint64_t bytesBefore = doneBytes;
      const uint64_t itemBytesPerFrame = item.source.right ? 4 : 2;
      if (interrupted = InterruptRequested(); interrupted) break;
      if (auto before = completeBefore(options, plan, item)) {
        doneBytes = bytesBefore + uint64_t(item.source.length) * itemBytesPerFrame;
        filesVerified += before->verified ? 1 : 0;
        ++filesSkipped;
        totalSamples += item.source.length;
        song.written.push_back(std::move(*before));
        record();
        continue;
      }
      progress.Update(p + 1, plans.size(), fileNumber, totalFiles, doneBytes);
      WrittenItem written{&item, {}, {}, 0, false};
      Status described;
      for (const fs::path& takeFile : item.takeFiles) {
        TakeFileRecord takeRecord;
        described = DescribeTakeFile(takeFile, takeRecord);
        if (!described.ok()) break;
        written.records.push_back(std::move(takeRecord));
      }
      ConversionHooks hooks;
      hooks.betweenBlocks = [] { return InterruptRequested(); };
      hooks.progress = [&](uint32_t position, uint32_t) {
        doneBytes = bytesBefore + position * itemBytesPerFrame;
        progress.Update(p + 1, plans.size(), fileNumber, totalFiles, doneBytes);
      };
      StemChecks checks;
      checks.verify = options.verify;
      const ConversionResult result = described.ok() ? ExportStem(item.source, item.output, options.format, hooks, &checks)
                                                     : ConversionResult::Failure(described);
      doneBytes = bytesBefore + uint64_t(item.source.length) * itemBytesPerFrame;
      if (result.outcome == ConversionResult::Aborted) {
        interrupted = true;
        break;
      }
      if (result.outcome == ConversionResult::Failed) {
        const std::string reason =
            result.detail.empty() ? std::string(result.message) : std::string(result.message) + ": " + result.detail;
        fail(plan.folder.string() + ", " + item.label + ": " + reason);
        song.failed.push_back({&item, reason});
        record();
        continue;
      }
      written.outputSha256 = checks.sha256;
      written.outputSize = checks.size;
      written.verified = checks.verified;
      bytesWritten += uint64_t(checks.size);
      filesVerified += checks.verified ? 1 : 0;
      song.written.push_back(std::move(written));
      record();
      if (options.verbosity == Verbosity::Verbose) {
        bar.Finish();
        std::printf("%s\n", item.output.c_str());
      }
      ++filesWritten;
      totalSamples += item.source.length;
    }
    record(true);
    if (!song.written.empty()) ++songsWritten;
  }
  bar.Finish();
  if (options.verbosity != Verbosity::Quiet) {
    const size_t files = filesWritten + filesSkipped;
    std::string summary = std::to_string(songsWritten) + (songsWritten == 1 ? " song, " : " songs, ") +
                          std::to_string(files) + (files == 1 ? " file, " : " files, ") + totalTime(totalSamples) +
                          " in all, " + byteCount(bytesWritten) + " written";
    if (filesSkipped > 0) summary += ", " + std::to_string(filesSkipped) + " complete before";
    if (options.verify)
      summary += filesVerified == files && !anyFailed ? ", all verified" : ", " + std::to_string(filesVerified) + " verified";
    if (interrupted) summary += " (interrupted)";
    std::printf("%s\n", summary.c_str());
  }
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
  command.add_flag("--flac", arguments->flac, "write FLAC files (.flac, lossless, about half the size) instead of WAV");
  command.add_flag("--verify", arguments->verify,
                   "read every file back from the disk after writing it and compare its samples with the take");
  command.add_flag("--continue", arguments->resume,
                   "resume an interrupted archive: skip the files its manifest lists as complete (and verified, "
                   "with --verify)");
  command.add_flag("-f,--force", arguments->force, "replace files that exist already");
  AddVerbosityOptions(command, arguments->verbosity);
  return [arguments] { return runStems(*arguments); };
}

}  // namespace tp::cli
