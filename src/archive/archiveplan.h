// Archiving songs, the plan: which songs, which of their takes, and where
// each file goes. An archive holds every take of a song (or of every song
// on a disk) as its own named audio file, a manifest with what rebuilds the
// song folder byte for byte (manifest.h), a copy of every other file of the
// song under recorder/, and a SHA256SUMS file that lets sha256sum check the
// archive without this program. archiverun.h runs a plan; the command
// line's stems and the window's Archive... both plan here.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "archive/manifest.h"
#include "archive/stemfile.h"
#include "audiofile/audiofile.h"
#include "project/projectmodel.h"
#include "storage/songlock.h"
#include "storage/status.h"

namespace tp {

struct ArchiveSongPlan;
struct ArchiveItem;

// A file of each song's archive besides its audio files (a DAW project that
// refers to them), written once the song's files are: listed in SHA256SUMS
// and the manifest like them, named among what --force would replace,
// written anew by a resumed archive, and left alone by restore.
struct ArchiveCompanion {
  // Its name in the song's output folder.
  std::function<std::string(const ArchiveSongPlan&)> name;
  // Writes it at `target`, from the song's files that were written; `stop`
  // says when to give up (Aborted, nothing is then left).
  std::function<ConversionResult(const ArchiveSongPlan&, const std::vector<const ArchiveItem*>& written,
                       const std::filesystem::path& target, const std::function<bool()>& stop)>
      write;
};

struct ArchiveRequest {
  std::filesystem::path source;      // the song folder, or with `recursive` a folder (a disk) to search
  std::filesystem::path outputRoot;  // the archive folder, or the folder of one per song
  struct Take {
    int track, take;  // 0-based
  };
  std::vector<Take> takes;  // only these takes and master takes; both empty: all
  std::vector<int> masters;
  bool recursive = false;
  AudioFormat format = FormatWav;
  bool verify = false;
  bool resume = false;  // skip what an earlier run's manifest lists as complete
  // An archive shares each song's lock with other readers while it reads
  // the song; a writer holding it is waited for, or with Wait::No refused.
  SongLock::Wait wait = SongLock::Wait::Yes;
  std::optional<ArchiveCompanion> companion;
};

// One audio file to write.
struct ArchiveItem {
  std::string label;      // "Track03-2" / "Master1", for messages
  int track = -1;         // 0-based, or -1 for a master take
  int take = 0;           // 0-based take or master take
  std::string nameBytes;  // the take's name as stored
  StemSource source;
  std::filesystem::path output;
  std::vector<std::filesystem::path> takeFiles;  // the take, or a master take's left and right files
  // A take file ends inside its 65,536-byte header: the archive keeps it
  // byte for byte, a DAW project leaves it out.
  bool damaged = false;
};

struct ArchiveSongPlan {
  std::filesystem::path folder;
  std::string nameBytes;
  std::filesystem::path outputFolder;
  std::vector<ArchiveItem> items;
  std::vector<std::string> missing;  // takes asked for that the song lacks
  std::string relativeFolder;        // the song's path below the archived root
  std::vector<std::filesystem::path> otherFiles;  // every file of the song that is no take, copied as it is
  std::optional<ArchiveManifest> previous;        // with `resume`: the manifest an earlier run wrote
  // Folders inside the song folder: a recorder keeps none, and they are not
  // part of the song's archive (a song among them is found by `recursive`).
  std::vector<std::filesystem::path> subfolders;
  // Take files that could not be opened or read when the song was planned.
  std::vector<ProjectModel::UnreadableTake> unreadableTakes;
};

// Finds the songs and where each one's files go: the output folder itself
// for one song; <outputRoot>/<song name>/ when searching a disk, with the
// folder's own name added where two songs share a name. Fails with
// NotAProjectFolder or NoProjectFound naming the folder.
Status PlanArchive(const ArchiveRequest& request, std::vector<ArchiveSongPlan>& plans);

// The song's plan made anew, once the archive holds the song's lock: the
// song may have changed since it was planned (an import that lengthened a
// take), and what is read must be what the plan says. Keeps where the
// song goes and what an earlier run wrote.
Status ReplanArchiveSong(const ArchiveRequest& request, ArchiveSongPlan& plan);

// The files the archive would replace (none of an archive being resumed).
std::vector<std::filesystem::path> ExistingArchiveFiles(const ArchiveRequest& request,
                                                        const std::vector<ArchiveSongPlan>& plans);

// The bytes of take samples an item moves: what progress counts.
uint64_t ArchiveItemBytes(const ArchiveItem& item);

}  // namespace tp
