#include "project/namecodec.h"

#include <cstdint>

#include "project/fullwidthfold.h"

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

void appendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += char(code);
  } else if (code < 0x800) {
    out += char(0xC0 | (code >> 6));
    out += char(0x80 | (code & 0x3F));
  } else {
    out += char(0xE0 | (code >> 12));
    out += char(0x80 | ((code >> 6) & 0x3F));
    out += char(0x80 | (code & 0x3F));
  }
}

// Decodes one UTF-8 sequence at `text[i]`, advancing i; nothing on a
// malformed sequence.
std::optional<char32_t> nextCode(std::string_view text, size_t& i) {
  const uint8_t lead = uint8_t(text[i++]);
  if (lead < 0x80) return lead;
  int continuation;
  char32_t code;
  if ((lead & 0xE0) == 0xC0) { continuation = 1; code = lead & 0x1F; }
  else if ((lead & 0xF0) == 0xE0) { continuation = 2; code = lead & 0x0F; }
  else if ((lead & 0xF8) == 0xF0) { continuation = 3; code = lead & 0x07; }
  else return std::nullopt;
  for (int k = 0; k < continuation; ++k) {
    if (i >= text.size() || (uint8_t(text[i]) & 0xC0) != 0x80) return std::nullopt;
    code = (code << 6) | (uint8_t(text[i++]) & 0x3F);
  }
  return code;
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
  for (char32_t code : codes) appendUtf8(out, code);
  return out;
}

std::string NameBytesToUtf8(std::string_view bytes) {
  std::string out;
  for (char c : bytes) appendUtf8(out, codeForByte(uint8_t(c)));
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
