// The command line's JSON reports (info --json, probe --json): built as
// nlohmann-json values, keys in the order they were set, and printed on one
// line with a blank after every comma and colon, as the reports always
// were. Strings and numbers are nlohmann-json's own text.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

namespace tp::cli {

using Json = nlohmann::ordered_json;

std::string OneLineJson(const Json& value);

}  // namespace tp::cli
