// Command-line parsing shared by the commands. Users count tracks, takes and
// master takes from 1, as on screen; these helpers turn that into the
// program's 0-based numbers and reject anything out of range.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class Validator;
}

namespace tp::cli {

// A mistake in how the command was called: the command prints its usage
// and exits with 2, whatever found it (CLI11 or the command's own checks).
struct UsageError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct TrackTake {
  int track;  // 0-15
  int take;   // 0-9
};

// "T-K" with T 1-16 and K 1-10.
TrackTake ParseTrackTake(std::string_view text);
// "T" with T 1-16; returns 0-15.
int ParseTrack(std::string_view text);
// "N" with N 1-10; returns 0-9.
int ParseMasterTake(std::string_view text);
// "T=V" with T 1-16 and V within [low, high]; returns the 0-based track.
std::pair<int, int> ParseTrackValue(std::string_view text, int low, int high);
// A decimal number of seconds, 0 or more.
double ParseSeconds(std::string_view text);
// A decimal number within [low, high]; `what` names it in the complaint
// ("a loudness in LUFS").
double ParseNumberWithin(std::string_view text, double low, double high, const std::string& what);

// A check for CLI11 that runs one of the parsers above on each value, so
// that a wrong value is refused while the line is read, with the parser's
// own message.
CLI::Validator Checked(std::function<void(std::string_view)> parse);

}  // namespace tp::cli
