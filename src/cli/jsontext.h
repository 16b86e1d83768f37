// Just enough JSON for the commands' reports: strings escaped as the format
// asks, numbers as they are.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tp::cli {

inline std::string JsonString(std::string_view utf8) {
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

}  // namespace tp::cli
