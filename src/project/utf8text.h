// Bytes from a disk as text: file and folder names on an old disk are often
// not UTF-8 (Latin-1, or the bytes of a name some other system mangled).
// A JSON file may hold only strictly valid UTF-8, so what is not is shown
// through its Latin-1 reading, and a writer that must give the bytes back
// keeps them beside the text.
#pragma once

#include <string>
#include <string_view>

namespace tp {

// One UTF-8 sequence as the standard defines it: its length in bytes (0
// when the bytes at that place are none: an overlong form, an encoded
// surrogate such as ED A0 80, a code point above U+10FFFF, a stray
// continuation byte or a sequence cut short) and the code point it encodes.
struct Utf8Sequence {
  size_t length = 0;
  char32_t code = 0;
};
// The sequence that starts at `bytes[at]` (at < bytes.size()). Every reader
// of UTF-8 in the program decodes through this one.
Utf8Sequence Utf8SequenceAt(std::string_view bytes, size_t at);

// Appends the UTF-8 bytes of `code` (at most U+10FFFF, no surrogate).
void AppendUtf8(std::string& text, char32_t code);

// True when `bytes` is UTF-8 as the standard defines it: no overlong form,
// no encoded surrogate (U+D800-U+DFFF, such as ED A0 80), nothing above
// U+10FFFF, no sequence cut short.
bool IsStrictUtf8(std::string_view bytes);

// `bytes` itself when it is strictly valid UTF-8; otherwise every byte that
// does not start a valid sequence taken as its Latin-1 character.
std::string Utf8OrLatin1(std::string_view bytes);

}  // namespace tp
