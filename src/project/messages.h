// The texts the program shows in its message boxes, its window caption and
// on the command line: every message of the program, in one place.
#pragma once

// The window shows these texts in the user's language: lupdate finds them by
// QT_TRANSLATE_NOOP, and the window translates them where it shows them
// (MessageText). Here the marker is only the text itself, so that the core
// and the command line, which stay in English and without Qt, use them as
// they are. Defined as Qt defines it, so that either may come first.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace tp::messages {

inline constexpr const char* ApplicationTitle = QT_TRANSLATE_NOOP("Messages", "TrackPorter for TKR-series Version 2");
// The application's short name: the class of its windows (WM_CLASS), which
// the desktop entry's StartupWMClass repeats so that a dock ties the window
// to its launcher.
inline constexpr const char* ApplicationName = "TrackPorter";
inline constexpr const char* DisplayNeeded = QT_TRANSLATE_NOOP(
    "Messages",
    "TrackPorter needs a graphical display (DISPLAY or WAYLAND_DISPLAY); trackporter-cli works without one.");
// What stands between the items of a list in the window ("1 song, 3 files"):
// each language has its own.
inline constexpr const char* ListSeparator = QT_TRANSLATE_NOOP("Messages", ", ");
inline constexpr const char* NothingToOpen = QT_TRANSLATE_NOOP("Messages", "There is no such folder or file");

// The question before an import writes over takes that hold audio.
inline constexpr const char* ReplaceCaption = QT_TRANSLATE_NOOP("Messages", "Take Importing");
inline constexpr const char* ReplaceOneTake = QT_TRANSLATE_NOOP("Messages", "Replace the take %1?");
inline constexpr const char* ReplaceTwoTakes = QT_TRANSLATE_NOOP("Messages", "Replace the takes %1 and %2?");
// Another import wrote the take after the question (or the command's check).
inline constexpr const char* TargetHoldsTake =
    QT_TRANSLATE_NOOP("Messages", "The take holds audio; nothing was written.");

// Where an import goes, under IMPORT: a master take, one track, or the two
// tracks of a stereo file ("TRACK1-1"); the colons line up in the window's
// fixed-pitch face.
inline constexpr const char* ImportToMaster = QT_TRANSLATE_NOOP("Messages", "Master %1");
inline constexpr const char* ImportMono = QT_TRANSLATE_NOOP("Messages", "Mono");
inline constexpr const char* ImportToLeftOrMono = QT_TRANSLATE_NOOP("Messages", "L/Mono :%1");
inline constexpr const char* ImportToRight = QT_TRANSLATE_NOOP("Messages", "R      :%1");
// The import's preview form: the captions of the file's format lines and
// its channels.
inline constexpr const char* SamplingRateCaption = QT_TRANSLATE_NOOP("Messages", "Sampling Rate : ");
inline constexpr const char* SamplingFramesCaption = QT_TRANSLATE_NOOP("Messages", "Sampling Frames : ");
inline constexpr const char* BitsPerWordCaption = QT_TRANSLATE_NOOP("Messages", "Bits / Word : ");
inline constexpr const char* Mono = QT_TRANSLATE_NOOP("Messages", "(mono)");
inline constexpr const char* Stereo = QT_TRANSLATE_NOOP("Messages", "(stereo)");
inline constexpr const char* ManyChannels = QT_TRANSLATE_NOOP("Messages", "(%1 channels)");
// Before a take is deleted: the take ("Track3-2", "Master 5") and its name.
inline constexpr const char* DeleteQuestion =
    QT_TRANSLATE_NOOP("Messages", "Are you sure to delete the Take?  \n  %1[%2]");
inline constexpr const char* ProjectFileNotOpened =
    QT_TRANSLATE_NOOP("Messages", "Project information file could not be opened.");
inline constexpr const char* ProjectFileNotRead =
    QT_TRANSLATE_NOOP("Messages", "Project information file could not be read.");
inline constexpr const char* ProjectFileNotWritten =
    QT_TRANSLATE_NOOP("Messages", "Project information file could not be written.");
inline constexpr const char* TakeNotOpened = QT_TRANSLATE_NOOP("Messages", "The take could not be opened.");
inline constexpr const char* TakeNotDeleted = QT_TRANSLATE_NOOP("Messages", "The take could not be deleted.");
inline constexpr const char* TakeNotWritten = QT_TRANSLATE_NOOP("Messages", "The take could not be written.");
inline constexpr const char* OutputNotCreated = QT_TRANSLATE_NOOP("Messages", "Fail to create a Wav/AIFF");
inline constexpr const char* OutputNotWritten = QT_TRANSLATE_NOOP("Messages", "The Wav/AIFF could not be written.");
inline constexpr const char* NotWavOrAiff = QT_TRANSLATE_NOOP("Messages", "The file is not a WAV/AIFF.");
inline constexpr const char* TargetNotOpened = QT_TRANSLATE_NOOP("Messages", "File to write could not be opened.");
inline constexpr const char* NoTakeSelected = QT_TRANSLATE_NOOP("Messages", "No take is selected.");
inline constexpr const char* NoImportTarget = QT_TRANSLATE_NOOP("Messages", "No take is chosen to import into.");
inline constexpr const char* Converted = QT_TRANSLATE_NOOP("Messages", "Converted");
inline constexpr const char* Aborted = QT_TRANSLATE_NOOP("Messages", "Aborted");
// How many stereo samples of an export's mix saturated, under "Converted".
inline constexpr const char* SamplesClipped = QT_TRANSLATE_NOOP("Messages", "%1 samples clipped");
inline constexpr const char* OneSampleClipped = QT_TRANSLATE_NOOP("Messages", "1 sample clipped");
// An export's loudness to EBU R128, under "Converted" (and the loudness
// command's answer): integrated, range and true peak, or "silent" when no
// block rose above the absolute gate.
inline constexpr const char* LoudnessLine = QT_TRANSLATE_NOOP("Messages", "%1 LUFS, LRA %2 LU, true peak %3 dBTP");
inline constexpr const char* LoudnessSilent = QT_TRANSLATE_NOOP("Messages", "silent");
// After an export asked to normalise: the loudness the file reached, and
// whether the true-peak ceiling kept it from the target.
inline constexpr const char* NormalisedTo = QT_TRANSLATE_NOOP("Messages", "normalised to %1 LUFS");
inline constexpr const char* NormalisedHeldByCeiling =
    QT_TRANSLATE_NOOP("Messages", "normalised to %1 LUFS, held by the true-peak ceiling");
// The export's save dialog: the loudness to normalise the file to.
inline constexpr const char* NormaliseToLabel = QT_TRANSLATE_NOOP("Messages", "Normalise to");
inline constexpr const char* NormaliseOff = QT_TRANSLATE_NOOP("Messages", "Off");
inline constexpr const char* TakeNotRead = QT_TRANSLATE_NOOP("Messages", "The take could not be read");
// A take file that ends inside its 65,536-byte header (a copy cut short).
inline constexpr const char* TakeCutShort = QT_TRANSLATE_NOOP("Messages", "The take file is shorter than its header");
inline constexpr const char* SourceNotRead = QT_TRANSLATE_NOOP("Messages", "The file could not be read");
inline constexpr const char* SourceEndsEarly =
    QT_TRANSLATE_NOOP("Messages", "The file ends before its declared length.");
// A compressed stream whose last frame is cut off (a FLAC file copied or
// piped only in part).
inline constexpr const char* SourceEndsInFrame =
    QT_TRANSLATE_NOOP("Messages", "The file ends in the middle of its audio.");
// A file that begins as a sound file of a format the import reads, but
// whose decoder refuses it: %1 the file, %2 the decoder's reason.
inline constexpr const char* SourceDamaged = QT_TRANSLATE_NOOP("Messages", "%1 is damaged: %2");
// What the import reads, after "The file is not a WAV/AIFF." for a file
// that is no sound file at all.
inline constexpr const char* FormatsImported = QT_TRANSLATE_NOOP(
    "Messages",
    "the import reads WAV, AIFF, FLAC, Ogg Vorbis, MP3, Opus, CAF, RF64, Wave64 and the other formats libsndfile "
    "decodes");
// A rate no audio has: 0, NaN, infinite, or beyond 768 kHz.
inline constexpr const char* SampleRateRefused =
    QT_TRANSLATE_NOOP("Messages", "The file's sampling rate is not one between 1 Hz and 768 kHz.");
// A file of a batch that holds fewer frames when its turn comes than when
// the batch was checked (it was cut short meanwhile).
inline constexpr const char* SourceShrank =
    QT_TRANSLATE_NOOP("Messages", "it holds fewer frames than when the import began");
inline constexpr const char* SongFileRefused =
    QT_TRANSLATE_NOOP("Messages", "An export never replaces a file of a song folder.");
inline constexpr const char* SongInUse = QT_TRANSLATE_NOOP("Messages", "The song is in use by another TrackPorter.");
inline constexpr const char* RateNotConverted =
    QT_TRANSLATE_NOOP("Messages", "The sampling rate of the file cannot be converted.");
inline constexpr const char* SourceTooLong = QT_TRANSLATE_NOOP("Messages", "The file is longer than a take can hold.");
inline constexpr const char* NotAProjectFolder = QT_TRANSLATE_NOOP(
    "Messages", "The folder is not a project folder (it has no project information file, or it is a backup).");
inline constexpr const char* NoProjectFound = QT_TRANSLATE_NOOP("Messages", "No project folder was found.");
inline constexpr const char* ArchiveFileNotVerified =
    QT_TRANSLATE_NOOP("Messages", "The file read back from the disk differs from the take.");
inline constexpr const char* ArchiveNotRead =
    QT_TRANSLATE_NOOP("Messages", "The archive's manifest could not be read.");
inline constexpr const char* ManifestChanged =
    QT_TRANSLATE_NOOP("Messages", "The archive's manifest was changed after it was written.");
inline constexpr const char* ArchiveUnfinished = QT_TRANSLATE_NOOP(
    "Messages",
    "The archive was stopped before its checksums were written: finish it with stems --continue, or restore it "
    "with --allow-changed.");
inline constexpr const char* RestoredFileMismatch = QT_TRANSLATE_NOOP(
    "Messages", "The rebuilt file differs from the original (its SHA-256 in the archive); nothing was written.");
inline constexpr const char* ArchiveFileChanged = QT_TRANSLATE_NOOP(
    "Messages", "The archive file was changed after it was archived (samples, length or rate differ).");
inline constexpr const char* RestoredFileNotWritten =
    QT_TRANSLATE_NOOP("Messages", "The restored file could not be written.");
inline constexpr const char* SessionNotCreated =
    QT_TRANSLATE_NOOP("Messages", "The DAW project file could not be created.");
inline constexpr const char* SessionNotWritten =
    QT_TRANSLATE_NOOP("Messages", "The DAW project file could not be written.");
inline constexpr const char* ArdourSessionNotWritten =
    QT_TRANSLATE_NOOP("Messages", "The Ardour session could not be written.");
inline constexpr const char* ArdourSessionExists =
    QT_TRANSLATE_NOOP("Messages", "The Ardour session folder exists; nothing was written.");
// Only a session this program wrote, as it wrote it, is ever replaced.
inline constexpr const char* ArdourFolderRefused = QT_TRANSLATE_NOOP(
    "Messages", "The folder holds more than an Ardour session written by TrackPorter; it is never replaced.");
// A take file that ends inside its header has no audio to put in a DAW
// project; %1 is the take ("Track05-1").
inline constexpr const char* TakeLeftOutDamaged =
    QT_TRANSLATE_NOOP("Messages", "%1 is damaged (shorter than its header): left out of the project.");
// UTF-8: the accented capitals share their bytes with the katakana, so only
// the small letters from U+00E0 on can be stored.
inline constexpr const char* NameCharactersRefused = QT_TRANSLATE_NOOP(
    "Messages",
    "A name can hold only printable ASCII, half-width katakana and the accented small letters \u00e0 to \u00ff.");

// Reading a take's outline for the grid was given up because the song
// changed or the window closed; never shown.
inline constexpr const char* OutlineReadingStopped = QT_TRANSLATE_NOOP("Messages", "Reading the outline was stopped.");
// A take that changed its length while its outline was read.
inline constexpr const char* TakeChangedWhileRead = QT_TRANSLATE_NOOP("Messages", "The take changed while it was read");
// The cache of take outlines is only a shortcut: its failures are not shown.
// The saved mixes of "Keep each song's mix": %1 the file, %2 why.
inline constexpr const char* SavedMixesIgnored = QT_TRANSLATE_NOOP(
    "Messages", "The saved mixes in %1 could not be read (%2); every song starts from the default mix.");
inline constexpr const char* SavedMixesNotWritten = QT_TRANSLATE_NOOP("Messages", "The saved mixes could not be written.");
inline constexpr const char* OutlineCacheNotWritten =
    QT_TRANSLATE_NOOP("Messages", "The outline cache could not be written.");

// The audition: the computer has no sound output, or the one it has would
// not start.
inline constexpr const char* NoSoundOutput = QT_TRANSLATE_NOOP("Messages", "No sound output device was found.");
inline constexpr const char* SoundOutputNotStarted =
    QT_TRANSLATE_NOOP("Messages", "The sound output could not be started.");

// Importing many files, and every channel of a multichannel file.
inline constexpr const char* FilesDoNotFit =
    QT_TRANSLATE_NOOP("Messages", "The files do not fit in the 16 tracks; nothing was written.");
// %1 channels, %2 and %3 the first and last track, %4 the take.
inline constexpr const char* ImportAllChannels =
    QT_TRANSLATE_NOOP("Messages", "Import all %1 channels to tracks %2–%3, take %4?");
inline constexpr const char* FirstChannelsOnly = QT_TRANSLATE_NOOP("Messages", "First channels only");
// Fewer tracks remain from the first chosen one than the file has channels:
// %1 of the %2 channels, to tracks %3–%4.
inline constexpr const char* ImportSomeChannels =
    QT_TRANSLATE_NOOP("Messages", "Import %1 of the %2 channels to tracks %3–%4?");
inline constexpr const char* FirstChannelOnly = QT_TRANSLATE_NOOP("Messages", "First channel only");
// Only one track remains (%1, the last): a stereo file's left channel, or
// another file's first.
inline constexpr const char* ImportLeftChannelOnly =
    QT_TRANSLATE_NOOP("Messages", "Import only the left channel to track %1?");
inline constexpr const char* ImportFirstChannelOnly =
    QT_TRANSLATE_NOOP("Messages", "Import only the first channel to track %1?");
// What an import tells beside "Converted": the chosen takes no channel went
// to, the channels no take got, and after a batch that stopped, which takes
// its files wrote. %1 names the takes ("Track08-1", "Track08-1 to
// Track10-1"), %2 what the file has ("1 channel", "2 channels").
inline constexpr const char* TakeLeftEmpty = QT_TRANSLATE_NOOP("Messages", "%1 was left empty: the file has %2.");
inline constexpr const char* TakesLeftEmpty = QT_TRANSLATE_NOOP("Messages", "%1 were left empty: the file has %2.");
inline constexpr const char* OneChannel = QT_TRANSLATE_NOOP("Messages", "1 channel");
inline constexpr const char* SomeChannels = QT_TRANSLATE_NOOP("Messages", "%1 channels");
inline constexpr const char* ChannelLeftOut = QT_TRANSLATE_NOOP("Messages", "Channel %1 of the file was left out.");
inline constexpr const char* ChannelsLeftOut =
    QT_TRANSLATE_NOOP("Messages", "Channels %1 of the file were left out.");
inline constexpr const char* FromTo = QT_TRANSLATE_NOOP("Messages", "%1 to %2");
inline constexpr const char* OneAndOther = QT_TRANSLATE_NOOP("Messages", "%1 and %2");
inline constexpr const char* OneWrittenOneUntouched =
    QT_TRANSLATE_NOOP("Messages", "%1 was written; %2 is untouched.");
inline constexpr const char* OneWrittenSomeUntouched =
    QT_TRANSLATE_NOOP("Messages", "%1 was written; %2 are untouched.");
inline constexpr const char* SomeWrittenOneUntouched =
    QT_TRANSLATE_NOOP("Messages", "%1 were written; %2 is untouched.");
inline constexpr const char* SomeWrittenSomeUntouched =
    QT_TRANSLATE_NOOP("Messages", "%1 were written; %2 are untouched.");

// More than two takes an import of several files would replace.
inline constexpr const char* ReplaceTakes = QT_TRANSLATE_NOOP("Messages", "Replace the takes %1?");

// Standard input (`import DIR -`, `probe -`), which only the command line
// reads (and the command line speaks English): how it is named where a
// file's name would be, and the failure to keep the copy of it that the
// import reads. Marked like every other text, should a window ever read it.
inline constexpr const char* StandardInputName = QT_TRANSLATE_NOOP("Messages", "standard input");
inline constexpr const char* StandardInputNotStored =
    QT_TRANSLATE_NOOP("Messages", "Standard input could not be stored");

}  // namespace tp::messages
