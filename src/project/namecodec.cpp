#include "project/namecodec.h"

#include <cstdint>

#include "project/fullwidthfold.h"
#include "project/utf8text.h"

namespace tp {

namespace {

constexpr uint8_t KatakanaFirstByte = 0xA1;
constexpr uint8_t KatakanaLastByte = 0xDF;
constexpr char32_t KatakanaFirstCode = 0xFF61;

char32_t codeForByte(uint8_t byte) {
  if (byte >= KatakanaFirstByte && byte <= KatakanaLastByte)
    return KatakanaFirstCode + (byte - KatakanaFirstByte);
  return byte;  // ASCII and Latin-1
}

// The characters a new name may hold: printable ASCII, half-width katakana
// and the accented small letters U+00E0-U+00FF (whose bytes lie above the
// katakana). Control characters would break every line that shows the name.
std::optional<uint8_t> byteForCode(char32_t code) {
  if (code >= KatakanaFirstCode && code <= KatakanaFirstCode + (KatakanaLastByte - KatakanaFirstByte))
    return uint8_t(KatakanaFirstByte + (code - KatakanaFirstCode));
  if (code >= 0x20 && code <= 0x7E) return uint8_t(code);
  if (code > KatakanaLastByte && code <= 0xFF) return uint8_t(code);
  return std::nullopt;
}

// Decodes one UTF-8 sequence at `text[i]`, advancing i past it (or past
// one byte when there is none there); nothing on a malformed sequence.
std::optional<char32_t> nextCode(std::string_view text, size_t& i) {
  const Utf8Sequence sequence = Utf8SequenceAt(text, i);
  if (sequence.length == 0) {
    ++i;
    return std::nullopt;
  }
  i += sequence.length;
  return sequence.code;
}

// The codes of `text` with full-width forms folded (see FoldFullWidth);
// nothing when the UTF-8 is malformed, or a U+FFFD in its place if `lossy`.
std::optional<std::u32string> foldedCodes(std::string_view text, bool lossy) {
  std::u32string codes;
  for (size_t i = 0; i < text.size();) {
    const auto code = nextCode(text, i);
    if (!code && !lossy) return std::nullopt;
    if (!code) codes += char32_t(0xFFFD);
    else if (!FoldFullWidth(*code, codes)) codes += *code;
  }
  return codes;
}

}  // namespace

std::string FoldFullWidthText(std::string_view text) {
  // Held here: a range-for over *foldedCodes(...) would outlive its optional.
  const std::u32string codes = *foldedCodes(text, true);
  std::string out;
  for (char32_t code : codes) AppendUtf8(out, code);
  return out;
}

std::string NameBytesToUtf8(std::string_view bytes) {
  std::string out;
  for (char c : bytes) AppendUtf8(out, codeForByte(uint8_t(c)));
  return out;
}

std::optional<std::string> Utf8ToNameBytes(std::string_view text) {
  const auto codes = foldedCodes(text, false);
  if (!codes) return std::nullopt;
  std::string out;
  for (char32_t code : *codes) {
    const auto byte = byteForCode(code);
    if (!byte) return std::nullopt;
    out += char(*byte);
  }
  return out;
}

std::string Utf8ToNameBytesLossy(std::string_view text) {
  const std::u32string codes = *foldedCodes(text, true);
  std::string out;
  for (char32_t code : codes) {
    const auto byte = byteForCode(code);
    out += byte ? char(*byte) : '_';
  }
  return out;
}

}  // namespace tp
