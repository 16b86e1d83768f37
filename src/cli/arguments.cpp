#include "cli/arguments.h"

#include <charconv>
#include <cmath>

#include <CLI/CLI.hpp>

namespace tp::cli {

namespace {

int parseNumber(std::string_view text, int low, int high, std::string_view what) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
    throw UsageError(std::string(what) + " must be a number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not \"" + std::string(text) + "\"");
  return value;
}

}  // namespace

TrackTake ParseTrackTake(std::string_view text) {
  const auto dash = text.find('-');
  if (dash == std::string_view::npos)
    throw UsageError("a take is written TRACK-TAKE, for example 3-2, not \"" + std::string(text) + "\"");
  return {parseNumber(text.substr(0, dash), 1, 16, "the track") - 1,
          parseNumber(text.substr(dash + 1), 1, 10, "the take") - 1};
}

int ParseTrack(std::string_view text) { return parseNumber(text, 1, 16, "the track") - 1; }

int ParseMasterTake(std::string_view text) { return parseNumber(text, 1, 10, "the master take") - 1; }

std::pair<int, int> ParseTrackValue(std::string_view text, int low, int high) {
  const auto equals = text.find('=');
  if (equals == std::string_view::npos)
    throw UsageError("a mixer setting is written TRACK=VALUE, for example 3=90, not \"" + std::string(text) + "\"");
  return {parseNumber(text.substr(0, equals), 1, 16, "the track") - 1,
          parseNumber(text.substr(equals + 1), low, high, "the value")};
}

double ParseSeconds(std::string_view text) {
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value) || value < 0)
    throw UsageError("a time is a number of seconds, 0 or more, not \"" + std::string(text) + "\"");
  return value;
}

double ParseNumberWithin(std::string_view text, double low, double high, const std::string& what) {
  double value = 0;
  // from_chars takes no leading '+'.
  const std::string_view digits = !text.empty() && text.front() == '+' ? text.substr(1) : text;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
  if (error != std::errc() || end != digits.data() + digits.size() || !(value >= low && value <= high))
    throw UsageError(what + " is a number from " + std::to_string(int(low)) + " to " + std::to_string(int(high)) +
                     ", not \"" + std::string(text) + "\"");
  return value;
}

CLI::Validator Checked(std::function<void(std::string_view)> parse) {
  return CLI::Validator(
      [parse = std::move(parse)](std::string& value) -> std::string {
        try {
          parse(value);
        } catch (const UsageError& error) {
          return error.what();
        }
        return {};
      },
      // No description: the help names the value (T-K, N) itself.
      std::string());
}

}  // namespace tp::cli
