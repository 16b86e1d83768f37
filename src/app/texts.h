// Texts of the window that are not the project model's own.
#pragma once

namespace tp::texts {

inline constexpr const char* ApplicationTitle = "TrackPorter for TKR-series Version 2";
inline constexpr const char* NameCharactersRefused =
    "A name can hold only ASCII letters, digits and signs, half-width katakana and Latin-1 letters.";

}  // namespace tp::texts
