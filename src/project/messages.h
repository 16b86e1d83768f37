// The texts the program shows in its message boxes and on the command line.
#pragma once

namespace tp::messages {

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
inline constexpr const char* TakeNotRead = "The take could not be read";
inline constexpr const char* SourceNotRead = "The file could not be read";
inline constexpr const char* SongFileRefused = "An export never replaces a file of a song folder.";
inline constexpr const char* SongInUse = "The song is in use by another TrackPorter.";
inline constexpr const char* RateNotConverted = "The sampling rate of the file cannot be converted.";
inline constexpr const char* SourceTooLong = "The file is longer than a take can hold.";
inline constexpr const char* NameCharactersRefused =
    "A name can hold only printable ASCII, half-width katakana and the accented small letters \u00e0 to \u00ff.";

}  // namespace tp::messages
