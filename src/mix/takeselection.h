// The take files an audition or an export opens: slot i is track i, or in
// master mode slot 0 the left and slot 1 the right file of a master take.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>

namespace tp {

struct TakeSelection {
  std::array<std::optional<std::filesystem::path>, 16> takes;
  // What the user calls each selected take ("Track05-1", "Master1"), for
  // messages about it.
  std::array<std::string, 16> labels;
  bool masterMode = false;
  int count() const {
    int n = 0;
    for (const auto& take : takes) n += take.has_value();
    return n;
  }
};

}  // namespace tp
