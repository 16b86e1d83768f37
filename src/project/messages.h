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

}  // namespace tp::messages
