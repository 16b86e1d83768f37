// Bytes from a disk as text: file and folder names on an old disk are often
// not UTF-8 (Latin-1, or the bytes of a name some other system mangled).
// A JSON file may hold only strictly valid UTF-8, so what is not is shown
// through its Latin-1 reading, and a writer that must give the bytes back
// keeps them beside the text.
#pragma once

#include <string>
#include <string_view>

namespace tp {

// True when `bytes` is UTF-8 as the standard defines it: no overlong form,
// no encoded surrogate (U+D800-U+DFFF, such as ED A0 80), nothing above
// U+10FFFF, no sequence cut short.
bool IsStrictUtf8(std::string_view bytes);

// `bytes` itself when it is strictly valid UTF-8; otherwise every byte that
// does not start a valid sequence taken as its Latin-1 character.
std::string Utf8OrLatin1(std::string_view bytes);

}  // namespace tp
