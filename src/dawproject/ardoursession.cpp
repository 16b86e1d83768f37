#include "dawproject/ardoursession.h"

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>

#include "archive/stemfile.h"
#include "dawproject/ardourxml.h"
#include "project/messages.h"
#include "storage/filehandle.h"
#include "storage/safefile.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

// The folders Ardour keeps in a session besides interchange; written
// empty, so that opening the session adds none.
constexpr const char* EmptyFolders[] = {"analysis", "dead", "export", "externals", "peaks", "plugins"};

std::string sessionName(const fs::path& folder) { return folder.filename().string(); }

// The folder as an absolute path without a trailing separator, so that its
// last component is the session's name.
fs::path sessionFolder(const fs::path& given) {
  const fs::path folder = fs::absolute(given).lexically_normal();
  return folder.filename().empty() ? folder.parent_path() : folder;
}

fs::path audioFolder(const fs::path& folder, const std::string& name) {
  return folder / "interchange" / name / "audiofiles";
}

// The first thing in `folder` that is not one of `allowed` (folders when
// `folders`, else regular files), or an empty path.
fs::path firstStranger(const fs::path& folder, const std::vector<std::string>& allowed, bool folders,
                       std::error_code& error) {
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    const bool kindOk = folders ? entry->is_directory(error) && !entry->is_symlink(error)
                                : entry->is_regular_file(error) && !entry->is_symlink(error);
    const std::string name = entry->path().filename().string();
    if (!kindOk || std::find(allowed.begin(), allowed.end(), name) == allowed.end()) return entry->path();
  }
  return {};
}

// The first thing in an existing session folder that this writer would not
// have put there.
fs::path strangerInSession(const fs::path& folder, std::error_code& error) {
  const std::string name = sessionName(folder);
  std::vector<std::string> top(std::begin(EmptyFolders), std::end(EmptyFolders));
  top.push_back("interchange");
  // The session file is the one regular file; the rest are folders.
  for (fs::directory_iterator entry(folder, error), end; !error && entry != end; entry.increment(error)) {
    const std::string entryName = entry->path().filename().string();
    if (entryName == name + ".ardour" && entry->is_regular_file(error) && !entry->is_symlink(error)) continue;
    if (!entry->is_directory(error) || entry->is_symlink(error) ||
        std::find(top.begin(), top.end(), entryName) == top.end())
      return entry->path();
  }
  if (error) return folder;
  if (!fs::is_regular_file(folder / (name + ".ardour"), error)) return folder / (name + ".ardour");
  for (const char* empty : EmptyFolders) {
    if (!fs::exists(folder / empty, error)) continue;  // Ardour makes it again
    if (fs::path stranger = firstStranger(folder / empty, {}, false, error); !stranger.empty() || error)
      return error ? folder / empty : stranger;
  }
  if (fs::path stranger = firstStranger(folder / "interchange", {name}, true, error); !stranger.empty() || error)
    return error ? folder / "interchange" : stranger;
  const fs::path own = folder / "interchange" / name;
  if (fs::path stranger = firstStranger(own, {"audiofiles"}, true, error); !stranger.empty() || error)
    return error ? own : stranger;
  for (fs::directory_iterator entry(own / "audiofiles", error), end; !error && entry != end; entry.increment(error))
    if (!entry->is_regular_file(error) || entry->is_symlink(error) || entry->path().extension() != ".wav")
      return entry->path();
  return error ? own / "audiofiles" : fs::path{};
}

// The hidden folder the session is built in, beside its place and named
// after this process, so that two copies never share one.
fs::path stagingFolder(const fs::path& folder) {
  return folder.parent_path() / ("." + sessionName(folder) + ".tp-partial-" + std::to_string(getpid()));
}

// Folders a killed writer left beside `folder`: their process is gone.
void removeAbandonedStaging(const fs::path& folder) {
  const std::string prefix = "." + sessionName(folder) + ".tp-partial-";
  std::error_code error;
  for (fs::directory_iterator entry(folder.parent_path(), error), end; !error && entry != end;
       entry.increment(error)) {
    const std::string name = entry->path().filename().string();
    if (name.rfind(prefix, 0) != 0) continue;
    const std::string pid = name.substr(prefix.size());
    if (pid.empty() || pid.size() > 9 || pid.find_first_not_of("0123456789") != std::string::npos) continue;
    if (kill(pid_t(std::stol(pid)), 0) != 0 && errno == ESRCH) fs::remove_all(entry->path(), error);
  }
}

Status makeFolders(const fs::path& staging, const std::string& name) {
  std::error_code error;
  if (!fs::create_directory(staging, error))
    return Status::Fail(messages::ArdourSessionNotWritten, staging, error ? error.value() : EEXIST);
  for (const char* empty : EmptyFolders)
    if (fs::create_directory(staging / empty, error); error)
      return Status::Fail(messages::ArdourSessionNotWritten, staging / empty, error.value());
  if (fs::create_directories(audioFolder(staging, name), error); error)
    return Status::Fail(messages::ArdourSessionNotWritten, audioFolder(staging, name), error.value());
  return Status::Ok();
}

Status writeText(const fs::path& file, const std::string& text) {
  std::unique_ptr<SafeFile> safe;
  if (Status created = SafeFile::Create(file, messages::ArdourSessionNotWritten, safe); !created.ok()) return created;
  if (!safe->handle().Write(text.data(), text.size())) {
    const int systemError = errno;
    safe->Discard();
    return Status::Fail(messages::ArdourSessionNotWritten, file, systemError);
  }
  return safe->Commit(messages::ArdourSessionNotWritten);
}

// The takes' files, each as `stems` writes it; progress over all of them.
ConversionResult writeTakes(const SessionPlan& plan, const fs::path& audio, const ConversionHooks& hooks) {
  uint64_t total = 0, done = 0;
  for (const SessionTrack& track : plan.tracks)
    for (const SessionClip& clip : track.lanes) total += clip.frames;
  const auto scaled = [&](uint64_t frames) { return uint32_t(total == 0 ? 0 : frames * 10000 / total); };
  for (const SessionTrack& track : plan.tracks)
    for (const SessionClip& clip : track.lanes) {
      ConversionHooks each;
      each.betweenBlocks = hooks.betweenBlocks;
      each.blocksAhead = hooks.blocksAhead;
      if (hooks.progress)
        each.progress = [&](uint32_t position, uint32_t) { hooks.progress(scaled(done + position), 10000); };
      ConversionResult written = ExportStem(clip.source, audio / ArdourAudioFileName(clip), FormatWav, each);
      if (written.outcome != ConversionResult::Converted) return written;
      done += clip.frames;
    }
  return {ConversionResult::Converted, messages::Converted, {}, done};
}

// Moves the built folder into place: onto nothing, or exchanged with the
// old session, which then goes. RENAME_NOREPLACE keeps a folder that
// appeared meanwhile.
Status moveIntoPlace(const fs::path& staging, const fs::path& folder, bool replace) {
  std::error_code error;
  const bool exists = fs::exists(folder, error);
  if (exists && !replace) return Status::Fail(messages::ArdourSessionExists, folder);
  if (exists) {
    if (Status check = CheckArdourSessionTarget(folder, true); !check.ok()) return check;
  }
  const unsigned mode = exists ? RENAME_EXCHANGE : RENAME_NOREPLACE;
  if (renameat2(AT_FDCWD, staging.c_str(), AT_FDCWD, folder.c_str(), mode) != 0) {
    const int systemError = errno;
    if (systemError == EEXIST || systemError == ENOTEMPTY) return Status::Fail(messages::ArdourSessionExists, folder);
    return Status::Fail(messages::ArdourSessionNotWritten, folder, systemError);
  }
  if (exists) fs::remove_all(staging, error);  // the old session, now under the hidden name
  SyncFolder(folder.parent_path().empty() ? fs::path(".") : folder.parent_path());
  return Status::Ok();
}

}  // namespace

ConversionResult WriteArdourSession(const SessionPlan& plan, const fs::path& target, bool replace,
                                    const ConversionHooks& hooks) {
  const fs::path clean = sessionFolder(target);
  if (Status check = CheckArdourSessionTarget(clean, replace); !check.ok()) return ConversionResult::Failure(check);
  removeAbandonedStaging(clean);
  const std::string name = sessionName(clean);
  const fs::path staging = stagingFolder(clean);
  Status made = makeFolders(staging, name);
  ConversionResult result =
      made.ok() ? writeTakes(plan, audioFolder(staging, name), hooks) : ConversionResult::Failure(made);
  if (result.outcome == ConversionResult::Converted) {
    Status step = writeText(staging / (name + ".ardour"), ArdourSessionXml(plan, name));
    if (step.ok()) step = moveIntoPlace(staging, clean, replace);
    if (!step.ok()) result = ConversionResult::Failure(step);
  }
  if (result.outcome != ConversionResult::Converted) {
    std::error_code error;
    fs::remove_all(staging, error);
    return result;
  }
  if (hooks.progress) hooks.progress(10000, 10000);
  result.outputsKept = true;
  return result;
}

Status CheckArdourSessionTarget(const fs::path& given, bool replace) {
  const fs::path folder = sessionFolder(given);
  std::error_code error;
  const fs::file_status status = fs::symlink_status(folder, error);
  if (status.type() == fs::file_type::not_found) return Status::Ok();
  if (!replace) return Status::Fail(messages::ArdourSessionExists, folder);
  if (status.type() != fs::file_type::directory) return Status::Fail(messages::ArdourFolderRefused, folder);
  const fs::path stranger = strangerInSession(folder, error);
  if (error) return Status::Fail(messages::ArdourFolderRefused, stranger, error.value());
  if (!stranger.empty()) return Status::Fail(messages::ArdourFolderRefused, stranger);
  return Status::Ok();
}

}  // namespace tp
