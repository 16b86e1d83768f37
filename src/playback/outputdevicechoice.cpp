#include "playback/outputdevicechoice.h"

#include <algorithm>
#include <cstdlib>

namespace tp {

namespace {

char lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool containsIgnoringCase(std::string_view text, std::string_view part) {
  return std::search(text.begin(), text.end(), part.begin(), part.end(),
                     [](char a, char b) { return lower(a) == lower(b); }) != text.end();
}

}  // namespace

std::string RequestedOutputDevice(const std::optional<std::string>& option, const char* environmentValue) {
  if (option) return *option;
  return environmentValue ? std::string(environmentValue) : std::string();
}

std::string RequestedOutputDevice(const std::optional<std::string>& option) {
  return RequestedOutputDevice(option, std::getenv(AudioDeviceVariable));
}

std::optional<size_t> MatchOutputDevice(const std::vector<std::string>& names, std::string_view wanted) {
  if (wanted.empty()) return std::nullopt;
  for (size_t i = 0; i < names.size(); ++i)
    if (containsIgnoringCase(names[i], wanted)) return i;
  return std::nullopt;
}

}  // namespace tp
