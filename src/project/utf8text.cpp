#include "project/utf8text.h"

namespace tp {

namespace {

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// The length of the valid sequence at `at`, or 0. The second byte's range
// depends on the first: that is where overlong forms, surrogates and code
// points above U+10FFFF are told apart (the standard's table 3-7).
size_t sequenceLength(std::string_view bytes, size_t at) {
  const unsigned char lead = (unsigned char)bytes[at];
  if (lead < 0x80) return 1;
  size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  else if (lead == 0xE0) length = 3, low = 0xA0;
  else if (lead == 0xED) length = 3, high = 0x9F;
  else if (lead >= 0xE1 && lead <= 0xEF) length = 3;
  else if (lead == 0xF0) length = 4, low = 0x90;
  else if (lead >= 0xF1 && lead <= 0xF3) length = 4;
  else if (lead == 0xF4) length = 4, high = 0x8F;
  else return 0;
  if (at + length > bytes.size()) return 0;
  const unsigned char second = (unsigned char)bytes[at + 1];
  if (second < low || second > high) return 0;
  for (size_t k = 2; k < length; ++k)
    if (!isContinuation((unsigned char)bytes[at + k])) return 0;
  return length;
}

}  // namespace

bool IsStrictUtf8(std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    const size_t length = sequenceLength(bytes, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string Utf8OrLatin1(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size();) {
    if (const size_t length = sequenceLength(bytes, i); length > 0) {
      text.append(bytes.substr(i, length));
      i += length;
      continue;
    }
    const unsigned char byte = (unsigned char)bytes[i++];
    text += char(0xC0 | (byte >> 6));
    text += char(0x80 | (byte & 0x3F));
  }
  return text;
}

}  // namespace tp
