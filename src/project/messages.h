// The texts the program shows in its message boxes, its window caption and
// on the command line: every message of the program, in one place.
#pragma once

namespace tp::messages {

inline constexpr const char* ApplicationTitle = "TrackPorter for TKR-series Version 2";
// The application's short name: the class of its windows (WM_CLASS), which
// the desktop entry's StartupWMClass repeats so that a dock ties the window
// to its launcher.
inline constexpr const char* ApplicationName = "TrackPorter";
inline constexpr const char* DisplayNeeded =
    "TrackPorter needs a graphical display (DISPLAY or WAYLAND_DISPLAY); trackporter-cli works without one.";
inline constexpr const char* NothingToOpen = "There is no such folder or file";

// The question before an import writes over takes that hold audio.
inline constexpr const char* ReplaceCaption = "Take Importing";
inline constexpr const char* ReplaceOneTake = "Replace the take %1?";
inline constexpr const char* ReplaceTwoTakes = "Replace the takes %1 and %2?";
// Another import wrote the take after the question (or the command's check).
inline constexpr const char* TargetHoldsTake = "The take holds audio; nothing was written.";

inline constexpr const char* ProjectFileNotOpened = "Project information file could not be opened.";
inline constexpr const char* ProjectFileNotWritten = "Project information file could not be written.";
inline constexpr const char* TakeNotOpened = "The take could not be opened.";
inline constexpr const char* TakeNotDeleted = "The take could not be deleted.";
inline constexpr const char* TakeNotWritten = "The take could not be written.";
inline constexpr const char* OutputNotCreated = "Fail to create a Wav/AIFF";
inline constexpr const char* OutputNotWritten = "The Wav/AIFF could not be written.";
inline constexpr const char* NotWavOrAiff = "The file is not a WAV/AIFF.";
inline constexpr const char* TargetNotOpened = "File to write could not be opened.";
inline constexpr const char* NoTakeSelected = "No take is selected.";
inline constexpr const char* NoImportTarget = "No take is chosen to import into.";
inline constexpr const char* Converted = "Converted";
inline constexpr const char* Aborted = "Aborted";
// How many stereo samples of an export's mix saturated, under "Converted".
inline constexpr const char* SamplesClipped = "%1 samples clipped";
inline constexpr const char* OneSampleClipped = "1 sample clipped";
// An export's loudness to EBU R128, under "Converted" (and the loudness
// command's answer): integrated, range and true peak, or "silent" when no
// block rose above the absolute gate.
inline constexpr const char* LoudnessLine = "%1 LUFS, LRA %2 LU, true peak %3 dBTP";
inline constexpr const char* LoudnessSilent = "silent";
// After an export asked to normalise: the loudness the file reached, and
// whether the true-peak ceiling kept it from the target.
inline constexpr const char* NormalisedTo = "normalised to %1 LUFS";
inline constexpr const char* NormalisedHeldByCeiling = "normalised to %1 LUFS, held by the true-peak ceiling";
// The export's save dialog: the loudness to normalise the file to.
inline constexpr const char* NormaliseToLabel = "Normalise to";
inline constexpr const char* NormaliseOff = "Off";
inline constexpr const char* TakeNotRead = "The take could not be read";
// A take file that ends inside its 65,536-byte header (a copy cut short).
inline constexpr const char* TakeCutShort = "The take file is shorter than its header";
inline constexpr const char* SourceNotRead = "The file could not be read";
inline constexpr const char* SourceEndsEarly = "The file ends before its declared length.";
inline constexpr const char* SongFileRefused = "An export never replaces a file of a song folder.";
inline constexpr const char* SongInUse = "The song is in use by another TrackPorter.";
inline constexpr const char* RateNotConverted = "The sampling rate of the file cannot be converted.";
inline constexpr const char* SourceTooLong = "The file is longer than a take can hold.";
inline constexpr const char* NotAProjectFolder =
    "The folder is not a project folder (it has no project information file, or it is a backup).";
inline constexpr const char* NoProjectFound = "No project folder was found.";
inline constexpr const char* ArchiveFileNotVerified = "The file read back from the disk differs from the take.";
inline constexpr const char* ArchiveNotRead = "The archive's manifest could not be read.";
inline constexpr const char* ManifestChanged = "The archive's manifest was changed after it was written.";
inline constexpr const char* ArchiveUnfinished =
    "The archive was stopped before its checksums were written: finish it with stems --continue, or restore it "
    "with --allow-changed.";
inline constexpr const char* RestoredFileMismatch =
    "The rebuilt file differs from the original (its SHA-256 in the archive); nothing was written.";
inline constexpr const char* ArchiveFileChanged =
    "The archive file was changed after it was archived (samples, length or rate differ).";
inline constexpr const char* RestoredFileNotWritten = "The restored file could not be written.";
inline constexpr const char* SessionNotCreated = "The DAW project file could not be created.";
inline constexpr const char* SessionNotWritten = "The DAW project file could not be written.";
// UTF-8: the accented capitals share their bytes with the katakana, so only
// the small letters from U+00E0 on can be stored.
inline constexpr const char* NameCharactersRefused =
    "A name can hold only printable ASCII, half-width katakana and the accented small letters \u00e0 to \u00ff.";

// Reading a take's outline for the grid was given up because the song
// changed or the window closed; never shown.
inline constexpr const char* OutlineReadingStopped = "Reading the outline was stopped.";
// A take that changed its length while its outline was read.
inline constexpr const char* TakeChangedWhileRead = "The take changed while it was read";
// The cache of take outlines is only a shortcut: its failures are not shown.
inline constexpr const char* OutlineCacheNotWritten = "The outline cache could not be written.";

// Importing many files, and every channel of a multichannel file.
inline constexpr const char* FilesDoNotFit = "The files do not fit in the 16 tracks; nothing was written.";
// %1 channels, %2 and %3 the first and last track, %4 the take.
inline constexpr const char* ImportAllChannels = "Import all %1 channels to tracks %2\u2013%3, take %4?";
inline constexpr const char* FirstChannelsOnly = "First channels only";
// More than two takes an import of several files would replace.
inline constexpr const char* ReplaceTakes = "Replace the takes %1?";

}  // namespace tp::messages
