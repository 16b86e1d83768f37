// Command-line parsing shared by the commands. Users count tracks, takes and
// master takes from 1, as on screen; these helpers turn that into the
// program's 0-based numbers and reject anything out of range.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tp::cli {

// A mistake in how the command was called: the command prints its usage
// and exits with 2.
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct TrackTake {
  int track;  // 0-15
  int take;   // 0-9
};

// "T-K" with T 1-16 and K 1-10.
TrackTake ParseTrackTake(std::string_view text);
// "N" with N 1-10; returns 0-9.
int ParseMasterTake(std::string_view text);
// "T=V" with T 1-16 and V within [low, high]; returns the 0-based track.
std::pair<int, int> ParseTrackValue(std::string_view text, int low, int high);
// A decimal number of seconds, 0 or more.
double ParseSeconds(std::string_view text);

// Walks argv: options with values and positional arguments.
class ArgumentReader {
 public:
  ArgumentReader(int argc, char** argv, int first);
  bool done() const { return next_ >= args_.size(); }
  std::string_view peek() const { return args_[next_]; }
  std::string take() { return args_[next_++]; }
  // The value after an option; a usage error when there is none.
  std::string valueOf(std::string_view option);

 private:
  std::vector<std::string> args_;
  size_t next_ = 0;
};

bool IsHelpOption(std::string_view arg);

}  // namespace tp::cli
