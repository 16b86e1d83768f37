// Just enough JSON for the reports of the command line and the archive's
// manifest: strings escaped as the format asks, numbers as they are.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tp {

// Bytes that are not valid UTF-8 (a folder named in Latin-1 on an old disk)
// are taken as Latin-1, so that the text is always valid JSON.
inline std::string ValidUtf8(std::string_view bytes) {
  std::string out;
  for (size_t i = 0; i < bytes.size();) {
    const unsigned char lead = (unsigned char)bytes[i];
    size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    bool valid = length > 0 && i + length <= bytes.size() && !(length == 2 && lead < 0xC2);
    for (size_t k = 1; valid && k < length; ++k) valid = ((unsigned char)bytes[i + k] & 0xC0) == 0x80;
    if (valid) {
      out.append(bytes.substr(i, length));
      i += length;
    } else {
      out += char(0xC0 | (lead >> 6));
      out += char(0x80 | (lead & 0x3F));
      ++i;
    }
  }
  return out;
}

inline std::string JsonString(std::string_view text) {
  const std::string utf8 = ValidUtf8(text);
  std::string out = "\"";
  for (unsigned char c : utf8) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
          out += escaped;
        } else {
          out += char(c);
        }
    }
  }
  return out + "\"";
}

}  // namespace tp
