#include "project/fullwidthfold.h"

#include <array>
#include <cstdint>

namespace tp {

namespace {

constexpr char16_t Voiced = 0xFF9E, SemiVoiced = 0xFF9F;

// U+30A1 (ァ) to U+30FA (ヺ): the half-width letter and the mark after it.
// Zero where the half-width forms have no such letter (ヮ, ヰ, ヱ, ヵ, ヶ, ヸ,
// ヹ): those are refused rather than replaced by a look-alike.
struct HalfWidth {
  char16_t letter, mark;
};
constexpr char32_t KatakanaFirst = 0x30A1, KatakanaLast = 0x30FA;
constexpr std::array<HalfWidth, KatakanaLast - KatakanaFirst + 1> Katakana = {{
    {0xFF67, 0}, {0xFF71, 0}, {0xFF68, 0}, {0xFF72, 0}, {0xFF69, 0}, {0xFF73, 0},                  // ァアィイゥウ
    {0xFF6A, 0}, {0xFF74, 0}, {0xFF6B, 0}, {0xFF75, 0}, {0xFF76, 0}, {0xFF76, Voiced},             // ェエォオカガ
    {0xFF77, 0}, {0xFF77, Voiced}, {0xFF78, 0}, {0xFF78, Voiced}, {0xFF79, 0}, {0xFF79, Voiced},   // キギクグケゲ
    {0xFF7A, 0}, {0xFF7A, Voiced}, {0xFF7B, 0}, {0xFF7B, Voiced}, {0xFF7C, 0}, {0xFF7C, Voiced},   // コゴサザシジ
    {0xFF7D, 0}, {0xFF7D, Voiced}, {0xFF7E, 0}, {0xFF7E, Voiced}, {0xFF7F, 0}, {0xFF7F, Voiced},   // スズセゼソゾ
    {0xFF80, 0}, {0xFF80, Voiced}, {0xFF81, 0}, {0xFF81, Voiced}, {0xFF6F, 0}, {0xFF82, 0},        // タダチヂッツ
    {0xFF82, Voiced}, {0xFF83, 0}, {0xFF83, Voiced}, {0xFF84, 0}, {0xFF84, Voiced}, {0xFF85, 0},   // ヅテデトドナ
    {0xFF86, 0}, {0xFF87, 0}, {0xFF88, 0}, {0xFF89, 0}, {0xFF8A, 0}, {0xFF8A, Voiced},             // ニヌネノハバ
    {0xFF8A, SemiVoiced}, {0xFF8B, 0}, {0xFF8B, Voiced}, {0xFF8B, SemiVoiced}, {0xFF8C, 0},        // パヒビピフ
    {0xFF8C, Voiced}, {0xFF8C, SemiVoiced}, {0xFF8D, 0}, {0xFF8D, Voiced}, {0xFF8D, SemiVoiced},   // ブプヘベペ
    {0xFF8E, 0}, {0xFF8E, Voiced}, {0xFF8E, SemiVoiced}, {0xFF8F, 0}, {0xFF90, 0}, {0xFF91, 0},    // ホボポマミム
    {0xFF92, 0}, {0xFF93, 0}, {0xFF6C, 0}, {0xFF94, 0}, {0xFF6D, 0}, {0xFF95, 0},                  // メモャヤュユ
    {0xFF6E, 0}, {0xFF96, 0}, {0xFF97, 0}, {0xFF98, 0}, {0xFF99, 0}, {0xFF9A, 0},                  // ョヨラリルレ
    {0xFF9B, 0}, {0, 0}, {0xFF9C, 0}, {0, 0}, {0, 0}, {0xFF66, 0},                                 // ロヮワヰヱヲ
    {0xFF9D, 0}, {0xFF73, Voiced}, {0, 0}, {0, 0}, {0xFF9C, Voiced}, {0, 0},                       // ンヴヵヶヷヸ
    {0, 0}, {0xFF66, Voiced},                                                                      // ヹヺ
}};

// The punctuation and marks an input method types in full width.
struct Single {
  char32_t full, half;
};
constexpr Single Marks[] = {
    {0x3000, 0x0020},  // ideographic space
    {0x3001, 0xFF64},  // 、
    {0x3002, 0xFF61},  // 。
    {0x300C, 0xFF62},  // 「
    {0x300D, 0xFF63},  // 」
    {0x30FB, 0xFF65},  // ・
    {0x30FC, 0xFF70},  // ー, the prolonged sound mark
    {0x3099, Voiced},  // the combining voiced and semi-voiced marks
    {0x309A, SemiVoiced},
    {0x309B, Voiced},  // the spacing ones
    {0x309C, SemiVoiced},
};

// Full-width ASCII, U+FF01 (！) to U+FF5E (～), lies 0xFEE0 above ASCII.
constexpr char32_t FullWidthAsciiFirst = 0xFF01, FullWidthAsciiLast = 0xFF5E, FullWidthAsciiOffset = 0xFEE0;

}  // namespace

bool FoldFullWidth(char32_t code, std::u32string& out) {
  if (code >= FullWidthAsciiFirst && code <= FullWidthAsciiLast) {
    out += code - FullWidthAsciiOffset;
    return true;
  }
  if (code >= KatakanaFirst && code <= KatakanaLast) {
    const HalfWidth half = Katakana[code - KatakanaFirst];
    if (half.letter == 0) return false;
    out += half.letter;
    if (half.mark != 0) out += half.mark;
    return true;
  }
  for (const Single& mark : Marks)
    if (mark.full == code) {
      out += mark.half;
      return true;
    }
  return false;
}

}  // namespace tp
