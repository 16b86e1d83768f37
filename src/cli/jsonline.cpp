#include "cli/jsonline.h"

namespace tp::cli {

std::string OneLineJson(const Json& value) {
  std::string text;
  const char* separator = "";
  if (value.is_object()) {
    text = "{";
    for (const auto& [key, item] : value.items()) {
      text += separator + Json(key).dump() + ": " + OneLineJson(item);
      separator = ", ";
    }
    return text + "}";
  }
  if (value.is_array()) {
    text = "[";
    for (const Json& item : value) {
      text += separator + OneLineJson(item);
      separator = ", ";
    }
    return text + "]";
  }
  // Every string put in was valid UTF-8; `replace` keeps a mistake from
  // becoming an exception.
  return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace tp::cli
