// The single-byte character set of names on disk, for display and entry.
// The recorder writes ASCII and half-width katakana; everything else is taken
// as Latin-1 so that any byte survives a round trip through a rename.
//   0x00-0x7F  ASCII
//   0xA1-0xDF  half-width katakana U+FF61-U+FF9F
//   other      Latin-1 (U+0080-U+00A0, U+00E0-U+00FF)
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tp {

// Raw name bytes -> UTF-8 text.
std::string NameBytesToUtf8(std::string_view bytes);

// `text` with what a Japanese input method types in full width folded to the
// half-width forms a name can hold (ドラム to ﾄﾞﾗﾑ, 「ＶＯＸ」 to ｢VOX｣; see
// fullwidthfold.h); every other character stays. The window cuts a typed
// name to 8 characters after this, as the folded name is what is stored.
std::string FoldFullWidthText(std::string_view text);

// UTF-8 text -> raw name bytes, full-width forms folded first, or nothing
// when a character may not be typed into a name: anything but printable
// ASCII, half-width katakana and the accented small letters U+00E0-U+00FF
// (the caller tells the user messages::NameCharactersRefused; nothing is
// written).
std::optional<std::string> Utf8ToNameBytes(std::string_view text);

// The same (folding included), with every character that has no byte
// replaced by "_": for names taken from file names, which may hold anything.
std::string Utf8ToNameBytesLossy(std::string_view text);

}  // namespace tp
