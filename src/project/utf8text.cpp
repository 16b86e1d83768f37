#include "project/utf8text.h"

namespace tp {

namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

// The second byte's range depends on the first: that is where overlong
// forms, surrogates and code points above U+10FFFF are told apart (the
// standard's table 3-7).
Utf8Sequence Utf8SequenceAt(std::string_view bytes, size_t at) {
  const unsigned char lead = (unsigned char)bytes[at];
  if (lead < 0x80) return {1, lead};
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead == 0xE0) length = 3, low = 0xA0;
  else if (lead == 0xED) length = 3, high = 0x9F;
  else if (lead >= 0xE1 && lead <= 0xEF) length = 3;
  else if (lead == 0xF0) length = 4, low = 0x90;
  else if (lead >= 0xF1 && lead <= 0xF3) length = 4;
  else if (lead == 0xF4) length = 4, high = 0x8F;
  else return {};
  if (at + length > bytes.size()) return {};
  const unsigned char second = (unsigned char)bytes[at + 1];
  if (second < low || second > high) return {};
  char32_t code = lead & (0x7F >> length);
  for (size_t k = 1; k < length; ++k) {
    const unsigned char byte = (unsigned char)bytes[at + k];
    if (!isContinuation(byte)) return {};
    code = (code << 6) | (byte & 0x3F);
  }
  return {length, code};
}

void AppendUtf8(std::string& text, char32_t code) {
  if (code < 0x80) {
    text += char(code);
  } else if (code < 0x800) {
    text += char(0xC0 | (code >> 6));
    text += char(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    text += char(0xE0 | (code >> 12));
    text += char(0x80 | ((code >> 6) & 0x3F));
    text += char(0x80 | (code & 0x3F));
  } else {
    text += char(0xF0 | (code >> 18));
    text += char(0x80 | ((code >> 12) & 0x3F));
    text += char(0x80 | ((code >> 6) & 0x3F));
    text += char(0x80 | (code & 0x3F));
  }
}

bool IsStrictUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const size_t length = Utf8SequenceAt(bytes, i).length;
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string Utf8OrLatin1(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    if (const size_t length = Utf8SequenceAt(bytes, i).length; length > 0) {
      text.append(bytes.substr(i, length));
      i += length;
      continue;
    }
    AppendUtf8(text, (unsigned char)bytes[i++]);
  }
  return text;
}

}  // namespace tp
