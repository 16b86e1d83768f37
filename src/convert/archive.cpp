#include "convert/archive.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <map>
#include <set>
#include <system_error>

#include <fcntl.h>

#include "audiofile/takefile.h"
#include "convert/archiveworkers.h"
#include "convert/jsontext.h"
#include "convert/takearchive.h"
#include "project/messages.h"
#include "project/namecodec.h"
#include "project/projectmodel.h"
#include "project/projectsearch.h"
#include "storage/filehandle.h"
#include "storage/safefile.h"
#include "storage/sha256.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

// "Track3-2", "Master 1": as the command line and the window name takes in
// messages.
std::string trackLabel(int track, int take) {
  return "Track" + std::to_string(track + 1) + "-" + std::to_string(take + 1);
}
std::string masterLabel(int masterTake) { return "Master " + std::to_string(masterTake + 1); }

bool wanted(const ArchiveRequest& request, int track, int take) {
  if (request.takes.empty() && request.masters.empty()) return true;
  for (const auto& t : request.takes)
    if (t.track == track && t.take == take) return true;
  return false;
}

bool wantedMaster(const ArchiveRequest& request, int master) {
  if (request.takes.empty() && request.masters.empty()) return true;
  for (int m : request.masters)
    if (m == master) return true;
  return false;
}

// Every regular file of the song folder that the archive does not keep as a
// take: the information files and whatever else the recorder left there,
// including take-like names the scan passes over (a lone half of a master
// take, a file too short to be a take, a second spelling). Takes left out by
// the request are neither.
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

Status planProject(const ArchiveRequest& request, const fs::path& folder, const fs::path& outputFolder,
                   ArchiveSongPlan& plan) {
  ProjectModel model;
  if (!model.DirTreeChange(folder.string())) return Status::Fail(messages::NotAProjectFolder, folder);
  plan = ArchiveSongPlan{folder, model.ProjectName, outputFolder, {}, {}, {}, {}, {}, {}};
  const char* extension = request.format == FormatFlac ? ".flac" : request.format == FormatAiff ? ".aif" : ".wav";
  for (int t = 0; t < TrackCount; ++t)
    for (int k = 0; k < TakesPerTrack; ++k) {
      if (!wanted(request, t, k) || !model.TakeSel[t][k].assigned) continue;
      ArchiveItem item{trackLabel(t, k), t, k, model.TakeSel[t][k].caption, {}, {}, {}};
      item.source = {model.TakePath(t, k), std::nullopt, uint32_t(model.TakeLength(t, k)), TrackStemLabel(t, k)};
      item.output = outputFolder / (StemFileStem(TrackStemLabel(t, k), item.nameBytes) + extension);
      item.takeFiles = {item.source.left};
      plan.items.push_back(std::move(item));
    }
  for (int n = 0; n < MasterTakeCount; ++n) {
    if (!wantedMaster(request, n) || !model.MasTakeSel[n].assigned) continue;
    ArchiveItem item{masterLabel(n), -1, n, model.MasTakeSel[n].caption, {}, {}, {}};
    const int32_t left = model.MasterLength(MasterSide::Left, n);
    const int32_t right = model.MasterLength(MasterSide::Right, n);
    item.source = {model.MasterPath(MasterSide::Left, n), model.MasterPath(MasterSide::Right, n),
                   uint32_t(std::max(left, right)), MasterStemLabel(n)};
    item.output = outputFolder / (StemFileStem(MasterStemLabel(n), item.nameBytes) + extension);
    item.takeFiles = {item.source.left, *item.source.right};
    plan.items.push_back(std::move(item));
  }
  plan.otherFiles = otherFilesOf(model, folder, plan.subfolders);
  // Searching a disk, a take asked for is simply absent
  // from the projects that lack it; for one project it is a mistake.
  if (request.recursive) return Status::Ok();
  for (const auto& t : request.takes)
    if (!model.TakeSel[t.track][t.take].assigned) plan.missing.push_back(trackLabel(t.track, t.take) + " holds no take.");
  for (int m : request.masters)
    if (!model.MasTakeSel[m].assigned) plan.missing.push_back(masterLabel(m) + " holds no take.");
  return Status::Ok();
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

void readPreviousManifests(const ArchiveRequest& request, std::vector<ArchiveSongPlan>& plans) {
  if (!request.resume) return;
  for (ArchiveSongPlan& plan : plans) {
    ArchiveManifest previous;
    if (ReadArchiveManifest(plan.outputFolder, previous).ok()) plan.previous = std::move(previous);
  }
}

}  // namespace

Status PlanArchive(const ArchiveRequest& request, std::vector<ArchiveSongPlan>& plans) {
  plans.clear();
  if (!request.recursive) {
    plans.emplace_back();
    const Status status = planProject(request, request.source, request.outputRoot, plans.back());
    plans.back().relativeFolder = ownName(request.source);
    if (!status.ok()) return status;
    readPreviousManifests(request, plans);
    return Status::Ok();
  }
  const auto folders = FindProjectFolders(request.source);
  if (folders.empty()) return Status::Fail(messages::NoProjectFound, request.source);
  std::vector<std::string> names;
  std::map<std::string, int> uses;
  for (const auto& folder : folders) {
    ProjectModel model;
    if (!model.DirTreeChange(folder.string())) return Status::Fail(messages::NotAProjectFolder, folder);
    std::string name = SafeFileNameComponent(NameBytesToUtf8(model.ProjectName));
    if (name.empty()) name = SafeFileNameComponent(folder.filename().string());
    names.push_back(name);
    ++uses[caseFolded(name)];
  }
  // Names are compared without regard to letter case: on a disk that
  // ignores case, "Demo" and "DEMO" would be one folder.
  std::map<std::string, int> taken;
  for (size_t i = 0; i < folders.size(); ++i) {
    std::string name = names[i];
    if (uses[caseFolded(name)] > 1) name += " (" + SafeFileNameComponent(folders[i].filename().string()) + ")";
    if (int n = ++taken[caseFolded(name)]; n > 1) name += " " + std::to_string(n);
    plans.emplace_back();
    const Status status = planProject(request, folders[i], request.outputRoot / name, plans.back());
    if (!status.ok()) return status;
    const fs::path relative = folders[i].lexically_relative(request.source);
    plans.back().relativeFolder = relative.empty() || relative == "." ? ownName(folders[i]) : relative.string();
  }
  readPreviousManifests(request, plans);
  return Status::Ok();
}

namespace {

struct FailedItem {
  const ArchiveItem* item;
  std::string reason;
};

// A file written (or, when resuming, found complete) and what the
// manifest says of it.
struct WrittenItem {
  const ArchiveItem* item;
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
  std::vector<CopiedFile> companions;  // the request's companion file, once written
};

std::string copyPath(const std::string& name) {
  return std::string(ArchiveRecorderFolder) + "/" + name + ArchiveCopySuffix;
}

// When resuming: the earlier run's record of `item`, when that run wrote
// it completely (and verified it, if verifying is asked now) and its take
// files still have the sizes recorded then.
std::optional<WrittenItem> completeBefore(const ArchiveRequest& request, const ArchiveSongPlan& plan,
                                          const ArchiveItem& item) {
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
    if (request.verify && !match->verified) return std::nullopt;
    found.records.push_back(match->record);
    found.outputSha256 = match->outputSha256;
    found.verified = found.verified && match->verified;
  }
  found.outputSize = int64_t(fs::file_size(item.output, error));
  return found;
}

}  // namespace

std::vector<fs::path> ExistingArchiveFiles(const ArchiveRequest& request, const std::vector<ArchiveSongPlan>& plans) {
  std::vector<fs::path> existing;
  std::error_code error;
  for (const auto& plan : plans) {
    // In a folder that holds this archive's manifest, a resumed run owns the
    // files it would write: those the manifest does not list complete (one
    // written after the manifest's last update, say) are written again.
    if (request.resume && plan.previous) continue;
    for (const auto& item : plan.items)
      if (fs::exists(item.output, error)) existing.push_back(item.output);
    for (const char* name : {ArchiveManifestName, ArchiveChecksumsName})
      if (fs::exists(plan.outputFolder / name, error)) existing.push_back(plan.outputFolder / name);
    for (const fs::path& other : plan.otherFiles) {
      const fs::path copy = plan.outputFolder / copyPath(other.filename().string());
      if (fs::exists(copy, error)) existing.push_back(copy);
    }
    if (request.companion)
      if (const fs::path companion = plan.outputFolder / request.companion->name(plan); fs::exists(companion, error))
        existing.push_back(companion);
  }
  return existing;
}

namespace {

std::string itemIdentity(const ArchiveItem& item) {
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
  const ArchiveItem& item = *written.item;
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

std::string manifestText(const ArchiveSongPlan& plan, const SongArchive& song) {
  std::string out = "{\n  \"manifest_version\": 2,\n  \"project\": " + JsonString(trimmedName(plan.nameBytes)) +
                    ",\n  " + nameFields("folder", plan.relativeFolder) + ",\n  \"source\": " +
                    JsonString(fs::absolute(plan.folder).lexically_normal().string()) + ",\n  \"files\": [";
  const char* separator = "\n";
  for (const WrittenItem& written : song.written) {
    const ArchiveItem* item = written.item;
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
  if (!song.companions.empty()) {
    out += ",\n  \"companions\": [";
    separator = "\n";
    for (const CopiedFile& companion : song.companions) {
      out += separator;
      out += "    {\"file\": " + JsonString(companion.name) + ", \"size\": " + std::to_string(companion.size) +
             ", \"sha256\": \"" + companion.sha256 + "\"}";
      separator = ",\n";
    }
    out += "\n  ]";
  }
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
// power cut, describes what it holds and a resumed run can go on; the sums
// follow when the song is done (or stopped), which saves a synced write per
// file: a resumed archive writes them anew.
Status writeManifestAndSums(const ArchiveSongPlan& plan, const SongArchive& song, bool withSums) {
  const std::string manifest = manifestText(plan, song);
  Status status = writeText(plan.outputFolder / ArchiveManifestName, manifest);
  if (!status.ok() || !withSums) return status;
  std::vector<std::pair<std::string, std::string>> lines;  // name, sum
  for (const WrittenItem& written : song.written)
    lines.emplace_back(written.item->output.filename().string(), written.outputSha256);
  Sha256 sum;
  sum.Update(manifest.data(), manifest.size());
  lines.emplace_back(ArchiveManifestName, sum.HexDigest());
  for (const CopiedFile& copy : song.copies) lines.emplace_back(copyPath(copy.name), copy.sha256);
  for (const CopiedFile& companion : song.companions) lines.emplace_back(companion.name, companion.sha256);
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

// One run of the archive: the totals and the running counts that the
// progress events report.
class ArchiveRun {
 public:
  ArchiveRun(const ArchiveRequest& request, const std::vector<ArchiveSongPlan>& plans, const ArchiveEvents& events)
      : request_(request), plans_(plans), events_(events) {
    for (const auto& plan : plans)
      for (const auto& item : plan.items) {
        totalBytes_ += bytesOf(item);
        ++totalFiles_;
      }
  }

  ArchiveTotals Run() {
    for (size_t p = 0; p < plans_.size() && !totals_.stopped; ++p) archiveSong(p);
    return totals_;
  }

 private:
  static uint64_t bytesPerFrame(const ArchiveItem& item) { return item.source.right ? 4 : 2; }
  static uint64_t bytesOf(const ArchiveItem& item) { return uint64_t(item.source.length) * bytesPerFrame(item); }

  bool stop() const { return events_.stopRequested && events_.stopRequested(); }
  void fail(const std::string& message) {
    totals_.anyFailed = true;
    if (events_.failure) events_.failure(message);
  }
  void progress(size_t song) {
    if (events_.progress)
      events_.progress({song + 1, plans_.size(), fileNumber_, totalFiles_, doneBytes_, totalBytes_});
  }

  // After a file, the manifest is rewritten when a second has passed since
  // it last was: a synced write per file would cost more than a short take
  // itself, and a resumed archive writes again what it does not list.
  void record(const ArchiveSongPlan& plan, const SongArchive& song, bool songDone) {
    const auto now = std::chrono::steady_clock::now();
    if (!songDone && now - lastRecorded_ < std::chrono::seconds(1)) return;
    lastRecorded_ = now;
    const Status status = writeManifestAndSums(plan, song, songDone);
    if (!status.ok()) fail(plan.outputFolder.string() + ": the manifest could not be written: " + status.Text());
  }

  void archiveSong(size_t p) {
    const ArchiveSongPlan& plan = plans_[p];
    for (const auto& message : plan.missing) fail(plan.folder.string() + ": " + message);
    if (events_.note)
      for (const auto& subfolder : plan.subfolders)
        events_.note(plan.folder.string() + ": the folder \"" + subfolder.filename().string() +
                     "\" inside the song is not part of its archive");
    std::error_code error;
    fs::create_directories(plan.outputFolder / ArchiveRecorderFolder, error);
    if (error) {
      fail(plan.outputFolder.string() + ": the folder could not be created: " + error.message());
      return;
    }
    // What an earlier run completed is kept; the rest is written by the
    // workers, heard of here in order. They start at once: copying the
    // song's other files and the first manifest overlap their work.
    std::vector<std::optional<WrittenItem>> before;
    std::vector<const ArchiveItem*> toWrite;
    for (const ArchiveItem& item : plan.items) {
      before.push_back(completeBefore(request_, plan, item));
      if (!before.back()) toWrite.push_back(&item);
    }
    StemWorkers workers(toWrite, request_.format, request_.verify);
    SongArchive song;
    copyOtherFiles(plan, song);
    lastRecorded_ = std::chrono::steady_clock::now();
    record(plan, song, true);
    size_t nextWritten = 0;
    for (size_t i = 0; i < plan.items.size(); ++i) {
      ++fileNumber_;
      if (totals_.stopped = stop(); totals_.stopped) break;
      if (before[i]) keepItem(plan, plan.items[i], std::move(*before[i]), song);
      else if (!archiveItem(p, plan.items[i], song, workers.Finish(nextWritten++, pollFor(p, plan.items[i]))))
        break;
    }
    if (!totals_.stopped) writeCompanion(plan, song);
    record(plan, song, true);
    if (!song.written.empty()) ++totals_.songs;
  }

  // The request's companion of a song whose files are all done (not of a
  // stopped one: a resumed run writes it).
  void writeCompanion(const ArchiveSongPlan& plan, SongArchive& song) {
    if (!request_.companion) return;
    std::vector<const ArchiveItem*> written;
    for (const WrittenItem& item : song.written) written.push_back(item.item);
    CopiedFile companion{request_.companion->name(plan), 0, {}};
    const fs::path target = plan.outputFolder / companion.name;
    const ConversionResult result = request_.companion->write(plan, written, target, [this] { return stop(); });
    if (result.outcome == ConversionResult::Aborted) {
      totals_.stopped = true;
      return;
    }
    if (result.outcome == ConversionResult::Failed) {
      fail(plan.folder.string() + ": " + result.message + (result.detail.empty() ? "" : ": " + result.detail));
      return;
    }
    if (const Status hashed = HashFile(target, messages::SourceNotRead, companion.sha256, companion.size);
        !hashed.ok()) {
      fail(plan.folder.string() + ": " + hashed.Text());
      return;
    }
    song.companions.push_back(std::move(companion));
    if (events_.written) events_.written(target);
  }

  void copyOtherFiles(const ArchiveSongPlan& plan, SongArchive& song) {
    for (const fs::path& other : plan.otherFiles) {
      CopiedFile copied;
      const Status status = copyOtherFile(other, plan.outputFolder / copyPath(other.filename().string()), copied);
      if (!status.ok()) fail(plan.folder.string() + ": " + status.Text());
      else song.copies.push_back(std::move(copied));
    }
  }

  // An item an earlier run completed, as it recorded it.
  void keepItem(const ArchiveSongPlan& plan, const ArchiveItem& item, WrittenItem before, SongArchive& song) {
    doneBytes_ += bytesOf(item);
    totals_.verified += before.verified ? 1 : 0;
    ++totals_.skipped;
    totals_.samples += item.source.length;
    song.written.push_back(std::move(before));
    record(plan, song, false);
  }

  // While a worker writes `item`: its progress, and whether to stop.
  std::function<bool(uint32_t)> pollFor(size_t p, const ArchiveItem& item) {
    progress(p);
    itemStartBytes_ = doneBytes_;
    return [this, p, &item, shown = uint32_t(0)](uint32_t framesDone) mutable {
      if (framesDone != shown) {
        shown = framesDone;
        doneBytes_ = itemStartBytes_ + framesDone * bytesPerFrame(item);
        progress(p);
      }
      return stop();
    };
  }

  // What became of one file of song `p` that a worker wrote; false when
  // the archive was stopped.
  bool archiveItem(size_t p, const ArchiveItem& item, SongArchive& song, StemOutcome outcome) {
    const ArchiveSongPlan& plan = plans_[p];
    const ConversionResult& result = outcome.result;
    if (result.outcome == ConversionResult::Aborted) {
      totals_.stopped = true;
      return false;
    }
    doneBytes_ = itemStartBytes_ + bytesOf(item);
    if (result.outcome == ConversionResult::Failed) {
      const std::string reason =
          result.detail.empty() ? std::string(result.message) : std::string(result.message) + ": " + result.detail;
      fail(plan.folder.string() + ", " + item.label + ": " + reason);
      song.failed.push_back({&item, reason});
      record(plan, song, false);
      return true;
    }
    StemChecks& checks = outcome.checks;
    // Into place in the files' order: a stopped archive holds the files
    // before some point, and the manifest lists exactly those.
    const Status committed = checks.written->Commit(messages::OutputNotWritten);
    if (!committed.ok()) {
      fail(plan.folder.string() + ", " + item.label + ": " + committed.Text());
      song.failed.push_back({&item, committed.Text()});
      record(plan, song, false);
      return true;
    }
    progress(p);  // the file's last bytes
    totals_.bytesWritten += uint64_t(checks.size);
    totals_.verified += checks.verified ? 1 : 0;
    song.written.push_back(WrittenItem{&item, checks.takeRecords, checks.sha256, checks.size, checks.verified});
    record(plan, song, false);
    if (events_.written) events_.written(item.output);
    ++totals_.files;
    totals_.samples += item.source.length;
    return true;
  }

  const ArchiveRequest& request_;
  const std::vector<ArchiveSongPlan>& plans_;
  const ArchiveEvents& events_;
  ArchiveTotals totals_;
  uint64_t totalBytes_ = 0, doneBytes_ = 0;
  uint64_t itemStartBytes_ = 0;  // doneBytes_ when the file being heard of started
  size_t totalFiles_ = 0, fileNumber_ = 0;
  std::chrono::steady_clock::time_point lastRecorded_;
};

}  // namespace

ArchiveTotals RunArchive(const ArchiveRequest& request, const std::vector<ArchiveSongPlan>& plans,
                         const ArchiveEvents& events) {
  return ArchiveRun(request, plans, events).Run();
}

}  // namespace tp
