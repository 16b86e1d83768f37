#include "project/projectmodel.h"

#include "project/messages.h"
#include "project/takelabel.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <system_error>

#include <fcntl.h>

#include "storage/filehandle.h"
#include "project/folderfiles.h"
#include "project/namefield.h"
#include "project/projectinfo.h"

namespace tp {

namespace fs = std::filesystem;

namespace {

// The name and length of one take file, or nothing when the file cannot be
// opened or read (`readError` then holds the system's reason) or is shorter
// than the 1,536 bytes the name lies in (no take: `readError` stays 0).
struct TakeFileFacts {
  std::string name;
  int32_t length;
  bool cutShort;
};

// A FIFO or a device in place of a take is refused by the open, which does
// not wait for a writer.
std::optional<TakeFileFacts> readTakeFileFacts(const fs::path& path, int& readError) {
  readError = 0;
  FileHandle file = FileHandle::Open(path, O_RDONLY);
  if (!file.valid()) {
    readError = errno;
    return std::nullopt;
  }
  uint8_t head[TakeMinimumFileSize];
  const ssize_t got = file.Read(head, sizeof head);
  if (got < 0) readError = errno;
  if (got != ssize_t(sizeof head)) return std::nullopt;
  const int64_t size = file.Size();
  if (size < 0) return std::nullopt;
  return TakeFileFacts{DecodeNameField(head + TakeNameOffset), TakeLengthFromFileSize(size), TakeFileCutShort(size)};
}

char lastChar(const std::string& s) { return s.empty() ? '\0' : s.back(); }

}  // namespace

ProjectModel::ProjectModel() { ResetProjectView(""); View.trackTimes.fill(" -:--:--:-- "); }

void ProjectModel::ResetProjectView(const std::string& path) {
  TakesScanned = false;
  ProjectOpen = false;
  ProjectName.clear();
  ProjectFolder = path;
  if (lastChar(ProjectFolder) != '/') ProjectFolder += '/';
  for (auto& row : TakeSel) row.fill(MatrixCell{});
  MasTakeSel.fill(MatrixCell{});
  TrackSelDown.fill(false);
  TakeLengths.fill(0);
  TakeCutShort.fill(false);
  IgnoredTakeFiles.clear();
  UnreadableTakeFiles.clear();
  InformationFileFailure = Status::Ok();
  MasterTakeMask = 0;
  ImportTargetSet = false;
  FirstImportTrack = -1;
  SecondImportTrack = -1;
  TakesSelected = false;
  MasterMode = false;
  View = SelectionView{};
  View.trackTimes.fill(std::string(NoTime));
  View.masterTime = NoTime;
  View.playTime = NoTime;
}

bool ProjectModel::DirTreeChange(const std::string& path) {
  ResetProjectView(path);
  // An item without a file system path (the desktop node) is never a
  // project; reading it as the root folder would be a surprise.
  if (path.empty()) return false;
  const auto name = ReadProjectName(ProjectFolder, &InformationFileFailure);
  if (!name) return false;
  ProjectOpen = true;
  ProjectName = *name;
  ScanTakeFiles();
  return true;
}

void ProjectModel::ScanTakeFiles() {
  uint32_t leftMask = 0, rightMask = 0;
  std::array<std::string, MasterTakeCount> leftNames;
  bool anyMatch = false;

  std::error_code error;
  for (fs::directory_iterator it(ProjectFolder, error), end; !error && it != end; it.increment(error)) {
    const auto id = ParseTakeFileName(it->path().filename().native());
    if (!id) continue;
    anyMatch = true;
    if (it->is_directory(error)) continue;
    // Of two spellings of one take file, every operation uses the one
    // FindFileIgnoringCase picks; the scan shows that one too.
    const fs::path chosen = id->kind == TakeFileId::Track ? TakePath(id->track, id->take)
                            : MasterPath(id->kind == TakeFileId::MasterLeft ? MasterSide::Left : MasterSide::Right,
                                         id->take);
    if (chosen.filename() != it->path().filename()) {
      IgnoredTakeFiles.push_back(it->path());
      continue;
    }
    int readError = 0;
    const auto facts = readTakeFileFacts(it->path(), readError);
    if (readError != 0) UnreadableTakeFiles.push_back({it->path(), readError});
    if (!facts) continue;
    const int lengthIndex = id->kind == TakeFileId::Track        ? LengthIndex(id->track, id->take)
                            : id->kind == TakeFileId::MasterLeft ? MasterLeftIndex + id->take
                                                                 : MasterRightIndex + id->take;
    TakeCutShort[lengthIndex] = facts->cutShort;
    switch (id->kind) {
      case TakeFileId::Track: {
        MatrixCell& cell = TakeSel[id->track][id->take];
        cell.assigned = true;
        cell.caption = PadName(facts->name);
        TakeLengths[LengthIndex(id->track, id->take)] = facts->length;
        break;
      }
      case TakeFileId::MasterLeft:
        leftMask |= 1u << id->take;
        leftNames[id->take] = facts->name;
        TakeLengths[MasterLeftIndex + id->take] = facts->length;
        break;
      case TakeFileId::MasterRight:
        rightMask |= 1u << id->take;
        TakeLengths[MasterRightIndex + id->take] = facts->length;
        break;
    }
  }
  if (!anyMatch) return;

  // A master take exists only when both of its files were read; it is
  // captioned with the left file's name.
  MasterTakeMask = leftMask & rightMask;
  for (int n = 0; n < MasterTakeCount; ++n) {
    if (!(MasterTakeMask & (1u << n))) continue;
    MasTakeSel[n].assigned = true;
    MasTakeSel[n].caption = PadName(leftNames[n]);
  }
  TakesScanned = true;
}

void ProjectModel::TakeSelClick(int row, int column) {
  MatrixCell& clicked = TakeSel[row][column];
  clicked.down = !clicked.down;
  if (clicked.down)
    for (int k = 0; k < TakesPerTrack; ++k)
      if (k != column) TakeSel[row][k].down = false;
  UpdateSelection();
}

void ProjectModel::MasTakeSelClick(int column) {
  MatrixCell& clicked = MasTakeSel[column];
  clicked.down = !clicked.down;
  if (clicked.down)
    for (int k = 0; k < MasterTakeCount; ++k)
      if (k != column) MasTakeSel[k].down = false;
  UpdateSelection();
}

void ProjectModel::TrackSelClick(int row) {
  TrackSelDown[row] = !TrackSelDown[row];
  if (TrackSelDown[row]) {
    if (FirstImportTrack == -1) {
      FirstImportTrack = row;
    } else if (SecondImportTrack == -1) {
      SecondImportTrack = row;
    } else {
      TrackSelDown[FirstImportTrack] = false;
      FirstImportTrack = SecondImportTrack;
      SecondImportTrack = row;
    }
  } else if (row == SecondImportTrack) {
    SecondImportTrack = -1;
  } else if (row == FirstImportTrack) {
    FirstImportTrack = SecondImportTrack;
    SecondImportTrack = -1;
  }
  UpdateSelection();
}

void ProjectModel::MasterSelClick(bool down) {
  MasterMode = down;
  UpdateSelection();
}

std::array<int, TrackCount> ProjectModel::SelectedTakes() const {
  std::array<int, TrackCount> selected;
  for (int t = 0; t < TrackCount; ++t) {
    selected[t] = -1;
    for (int k = 0; k < TakesPerTrack; ++k)
      if (TakeSel[t][k].down) { selected[t] = k; break; }
  }
  return selected;
}

int ProjectModel::SelectedMasterTake() const {
  for (int n = 0; n < MasterTakeCount; ++n)
    if (MasTakeSel[n].down) return n;
  return -1;
}

namespace {
std::string trackTakeText(int track, int take) {
  char text[32];
  std::snprintf(text, sizeof text, "TRACK%u-%u", unsigned(track + 1), unsigned(take + 1));
  return text;
}

// One of the import labels with its %1 filled in.
std::string importLabel(Wording wording, const char* pattern, const std::string& value = {}) {
  std::string text = wording(pattern);
  if (const size_t at = text.find("%1"); at != std::string::npos) text.replace(at, 2, value);
  return text;
}
}  // namespace

void ProjectModel::UpdateSelection() {
  const auto selected = SelectedTakes();
  int32_t longest = 0;
  for (int t = 0; t < TrackCount; ++t)
    if (selected[t] >= 0 && TakeLength(t, selected[t]) > longest) longest = TakeLength(t, selected[t]);

  ImportTargetSet = false;
  View.lMonoLabel.clear();
  View.rLabel.clear();
  const int masterTake = SelectedMasterTake();
  if (MasterMode) {
    if (masterTake >= 0) {
      ImportTargetSet = true;
      View.lMonoLabel = importLabel(ViewWording, messages::ImportToMaster, std::to_string(masterTake + 1));
    }
  } else if (FirstImportTrack != -1 || SecondImportTrack != -1) {
    const bool firstHasTake = FirstImportTrack >= 0 && selected[FirstImportTrack] >= 0;
    const bool secondHasTake = SecondImportTrack >= 0 && selected[SecondImportTrack] >= 0;
    const int count = int(firstHasTake) + int(secondHasTake);
    if (count == 1) {
      View.lMonoLabel = importLabel(ViewWording, messages::ImportMono);
    } else if (count == 2) {
      View.lMonoLabel = importLabel(ViewWording, messages::ImportToLeftOrMono,
                                    trackTakeText(FirstImportTrack, selected[FirstImportTrack]));
      View.rLabel = importLabel(ViewWording, messages::ImportToRight,
                                trackTakeText(SecondImportTrack, selected[SecondImportTrack]));
    }
    ImportTargetSet = count > 0;
  }

  for (int t = 0; t < TrackCount; ++t) {
    const bool hasLength = selected[t] >= 0 && TakeLength(t, selected[t]) != 0;
    View.trackTimes[t] = hasLength ? FormatTakeTime(uint32_t(TakeLength(t, selected[t]))) : std::string(NoTime);
  }

  View.masterTime = NoTime;
  int32_t masterLength = 0;
  if (masterTake >= 0) {
    masterLength = std::max(TakeLengths[MasterLeftIndex + masterTake], TakeLengths[MasterRightIndex + masterTake]);
    if (masterLength != 0) View.masterTime = FormatTakeTime(uint32_t(masterLength));
  }
  if (MasterMode) longest = masterLength;

  TakesSelected = longest > 0;
  View.sliderMax = uint32_t(std::max(longest, 0));
  View.playTime = FormatTakeTime(View.sliderMax);
}

TakeSelection ProjectModel::PlaybackSelection() const {
  TakeSelection selection;
  selection.masterMode = MasterMode;
  if (MasterMode) {
    for (int n = 0; n < MasterTakeCount; ++n) {
      if (MasTakeSel[n].assigned && MasTakeSel[n].down) {
        selection.takes[0] = MasterPath(MasterSide::Left, n);
        selection.takes[1] = MasterPath(MasterSide::Right, n);
        selection.labels[0] = selection.labels[1] = MasterTakeLabel(n);
        break;
      }
    }
    return selection;
  }
  for (int t = 0; t < TrackCount; ++t)
    for (int k = 0; k < TakesPerTrack; ++k)
      if (TakeSel[t][k].assigned && TakeSel[t][k].down) {
        selection.takes[t] = TakePath(t, k);
        selection.labels[t] = TakeLabel(t, k);
        break;
      }
  return selection;
}

ImportTargets ProjectModel::ImportTargetsFor(uint32_t channels) const {
  ImportTargets targets;
  if (MasterMode) {
    const int n = SelectedMasterTake();
    if (n >= 0) {
      targets.masterMode = true;
      targets.first = {MasterLeftTrackNumber, n};
      targets.second = {MasterRightTrackNumber, n};
    }
    return targets;
  }
  const auto selected = SelectedTakes();
  if (FirstImportTrack >= 0 && selected[FirstImportTrack] >= 0)
    targets.first = {FirstImportTrack, selected[FirstImportTrack]};
  if (channels >= 2 && SecondImportTrack >= 0 && selected[SecondImportTrack] >= 0)
    targets.second = {SecondImportTrack, selected[SecondImportTrack]};
  // The first chosen track has no take selected but the second has: that
  // take becomes the only target rather than a file of take -1.
  if (!targets.first.used() && SecondImportTrack >= 0 && selected[SecondImportTrack] >= 0) {
    targets.first = {SecondImportTrack, selected[SecondImportTrack]};
    targets.second = {};
  }
  return targets;
}

void ProjectModel::RecordTake(int track, int take, const std::string& caption, int32_t length) {
  MatrixCell& cell = TakeSel[track][take];
  cell.assigned = true;
  cell.caption = caption;
  TakeLengths[LengthIndex(track, take)] = length;
  UpdateSelection();
}

void ProjectModel::RecordMasterTake(int masterTake, const std::string& caption, int32_t leftLength,
                                    int32_t rightLength) {
  MatrixCell& cell = MasTakeSel[masterTake];
  cell.assigned = true;
  cell.caption = caption;
  MasterTakeMask |= 1u << masterTake;
  TakeLengths[MasterLeftIndex + masterTake] = leftLength;
  TakeLengths[MasterRightIndex + masterTake] = rightLength;
  UpdateSelection();
}

void ProjectModel::ForgetTake(int track, int take) {
  TakeSel[track][take] = MatrixCell{};
  TakeLengths[LengthIndex(track, take)] = 0;
  UpdateSelection();
}

void ProjectModel::ForgetMasterTake(int masterTake) {
  MasTakeSel[masterTake] = MatrixCell{};
  MasterTakeMask &= ~(1u << masterTake);
  TakeLengths[MasterLeftIndex + masterTake] = 0;
  TakeLengths[MasterRightIndex + masterTake] = 0;
  UpdateSelection();
}

void ProjectModel::RenameTake(int track, int take, const std::string& caption) {
  TakeSel[track][take].caption = caption;
}

void ProjectModel::RenameMasterTake(int masterTake, const std::string& caption) {
  MasTakeSel[masterTake].caption = caption;
}

void ProjectModel::RenameProject(const std::string& nameBytes) { ProjectName = nameBytes; }

fs::path ProjectModel::TakePath(int track, int take) const {
  return PathForFile(ProjectFolder, TakeFileName(track, take));
}

fs::path ProjectModel::MasterPath(MasterSide side, int masterTake) const {
  return PathForFile(ProjectFolder, MasterTakeFileName(side, masterTake));
}

}  // namespace tp
