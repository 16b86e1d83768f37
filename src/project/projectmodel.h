// The project model: what the main window shows of a project folder and what
// the user has selected in it. It holds the cells of the three matrices
// (take cells, master take cells, import track cells), the take lengths and
// the selection flags, and derives from them everything the window displays
// (UpdateSelection). The window mirrors these cells into its controls; the
// command-line companion drives the same model.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "audiofile/takefile.h"
#include "mix/takeselection.h"
#include "project/taketime.h"
#include "project/wording.h"
#include "storage/status.h"

namespace tp {

struct MatrixCell {
  bool assigned = false;  // the take exists
  bool down = false;      // selected
  std::string caption;    // the take's name, raw bytes padded to 8
};

// What UpdateSelection derives for display.
struct SelectionView {
  std::string lMonoLabel, rLabel;
  std::array<std::string, TrackCount> trackTimes;  // Time1..Time16
  std::string masterTime;                          // TimeM
  std::string playTime;                            // PlayTime
  uint32_t sliderMax = 0;                          // the slider's Max before its own minimum of 1
};

// Where an import writes: the track (0-15, 16 master left, 17 master right)
// and take of each target; track -1 means no target.
struct ImportTarget {
  int track = -1;
  int take = -1;
  bool used() const { return track >= 0; }
};
struct ImportTargets {
  ImportTarget first, second;
  bool masterMode = false;
  // The targets of the third channel on, for a file of more channels
  // imported to as many tracks (never in master mode).
  std::vector<ImportTarget> more;
  // Every target in channel order: first, second when used, then more.
  std::vector<ImportTarget> InChannelOrder() const {
    std::vector<ImportTarget> all;
    for (const ImportTarget& target : {first, second})
      if (target.used()) all.push_back(target);
    all.insert(all.end(), more.begin(), more.end());
    return all;
  }
};

class ProjectModel {
 public:
  // TakeLengths holds track x 10 + take, then the master takes' left files
  // from 160 and their right files from 170.
  static constexpr int MasterLeftIndex = TrackCount * TakesPerTrack;
  static constexpr int MasterRightIndex = MasterLeftIndex + MasterTakeCount;
  static constexpr int LengthCount = MasterRightIndex + MasterTakeCount;
  static constexpr int LengthIndex(int track, int take) { return track * TakesPerTrack + take; }

  ProjectModel();

  // The folder tree reported `path` (empty for an item without a file system
  // path). Clears everything the previous folder showed, then reads the
  // project name and scans the take files. Returns ProjectOpen.
  bool DirTreeChange(const std::string& path);

  // Click rules; each is called after the control toggled the clicked cell,
  // here modelled by toggling it first.
  void TakeSelClick(int row, int column);
  void MasTakeSelClick(int column);
  void TrackSelClick(int row);
  void MasterSelClick(bool down);

  // Recomputes every derived field and the view from the cells.
  void UpdateSelection();

  // The lowest Down take of each track, -1 for none (Down alone, an empty
  // cell counts: it is how an import target is picked).
  std::array<int, TrackCount> SelectedTakes() const;
  // The lowest Down master take, -1 for none.
  int SelectedMasterTake() const;

  // The files an audition or an export opens: the lowest take that is both
  // assigned and down per track, or the selected master take's pair.
  TakeSelection PlaybackSelection() const;

  // The targets of an import of a source with `channels` channels.
  ImportTargets ImportTargetsFor(uint32_t channels) const;

  // Path of a take file in the project folder, resolved without regard to
  // letter case (the canonical spelling when no such file exists).
  std::filesystem::path TakePath(int track, int take) const;
  std::filesystem::path MasterPath(MasterSide side, int masterTake) const;

  int32_t TakeLength(int track, int take) const { return TakeLengths[LengthIndex(track, take)]; }
  int32_t MasterLength(MasterSide side, int masterTake) const {
    return TakeLengths[(side == MasterSide::Left ? MasterLeftIndex : MasterRightIndex) + masterTake];
  }

  // What the operations that change the folder tell the model, so that the
  // window shows the folder as it now is. Each calls UpdateSelection.
  // `caption` is the take's name bytes as stored (8, blank-padded).
  void RecordTake(int track, int take, const std::string& caption, int32_t length);
  void RecordMasterTake(int masterTake, const std::string& caption, int32_t leftLength, int32_t rightLength);
  void ForgetTake(int track, int take);
  void ForgetMasterTake(int masterTake);
  void RenameTake(int track, int take, const std::string& caption);
  void RenameMasterTake(int masterTake, const std::string& caption);
  void RenameProject(const std::string& nameBytes);

  // Take files the scan passed over because another file of the same name
  // in another letter case is the one used (see FindFileIgnoringCase).
  std::vector<std::filesystem::path> IgnoredTakeFiles;
  // Take files the scan could not open or read (no permission, a failing
  // disk), with the system's reason: takes of the song it cannot show.
  struct UnreadableTake {
    std::filesystem::path path;
    int error = 0;
  };
  std::vector<UnreadableTake> UnreadableTakeFiles;
  // Reading the name from the project information file failed (the name
  // then is empty): what failed, for the operations that must not go on
  // with a name they did not read.
  Status InformationFileFailure;

  // Project model fields. Read them freely; they change only through the
  // methods above and the click rules.
  std::array<int32_t, LengthCount> TakeLengths{};
  // By the same index: the take file ends inside its header (damaged).
  std::array<bool, LengthCount> TakeCutShort{};
  bool ProjectOpen = false;
  bool TakesScanned = false;
  std::string ProjectFolder;  // ends in a separator
  std::string ProjectName;    // raw bytes, at most 8, trailing blanks kept
  uint32_t MasterTakeMask = 0;
  int FirstImportTrack = -1;
  int SecondImportTrack = -1;
  bool MasterMode = false;
  bool ImportTargetSet = false;
  bool TakesSelected = false;

  // Matrix cells.
  std::array<std::array<MatrixCell, TakesPerTrack>, TrackCount> TakeSel;
  std::array<MatrixCell, MasterTakeCount> MasTakeSel;
  std::array<bool, TrackCount> TrackSelDown{};

  SelectionView View;
  // The words of View's import labels ("Mono", "Master 1"): the window hands
  // in its translation.
  Wording ViewWording = AsWritten;

 private:
  void ResetProjectView(const std::string& path);
  void ScanTakeFiles();
};

}  // namespace tp
