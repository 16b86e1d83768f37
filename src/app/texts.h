// Texts of the window that are not the project model's own.
#pragma once

namespace tp::texts {

inline constexpr const char* ApplicationTitle = "TrackPorter for TKR-series Version 2";

// The question before an import writes over takes that hold audio.
inline constexpr const char* ReplaceCaption = "Take Importing";
inline constexpr const char* ReplaceOneTake = "Replace the take %1?";
inline constexpr const char* ReplaceTwoTakes = "Replace the takes %1 and %2?";
// UTF-8: the accented capitals share their bytes with the katakana, so only
// the small letters from U+00E0 on can be stored.
inline constexpr const char* NameCharactersRefused =
    "A name can hold only printable ASCII, half-width katakana and the accented small letters \u00e0 to \u00ff.";

}  // namespace tp::texts
