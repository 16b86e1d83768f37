// What a Japanese input method types, folded to what a name can hold: the
// recorder's character set has only half-width katakana, so full-width
// katakana become their half-width forms (a voiced one becomes two: ド is
// ﾄ and ﾞ), the Japanese punctuation its half-width forms, and full-width
// ASCII plain ASCII.
#pragma once

#include <string>

namespace tp {

// Appends the folded form of `code` to `out` and returns true, or returns
// false when `code` has no half-width form (it is then left as it is).
bool FoldFullWidth(char32_t code, std::u32string& out);

}  // namespace tp
