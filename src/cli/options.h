// One-line declarations of the options the commands share, so that every
// command spells, checks and documents them alike. Each returns the CLI11
// option for anything further (excludes, a check of its own).
#pragma once

#include <string>
#include <vector>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace tp::cli {

// The song folder (or another folder) as a positional argument.
CLI::Option* AddPositional(CLI::App& command, const std::string& name, std::string& value,
                           const std::string& description);

// An option with one value, given once.
CLI::Option* AddValue(CLI::App& command, const std::string& names, std::string& value, const std::string& valueName,
                      const std::string& description);

// An option that takes one value each time it is given and may be repeated.
CLI::Option* AddRepeatable(CLI::App& command, const std::string& names, std::vector<std::string>& values,
                           const std::string& valueName, const std::string& description);

// Repeatable track takes (T-K) and master takes (N), checked as they are read.
CLI::Option* AddTakeOption(CLI::App& command, const std::string& names, std::vector<std::string>& values,
                           const std::string& description);
// Repeatable track numbers (T), checked as they are read.
CLI::Option* AddTrackOption(CLI::App& command, const std::string& names, std::vector<std::string>& values,
                            const std::string& description);
CLI::Option* AddMasterOption(CLI::App& command, const std::string& names, std::vector<std::string>& values,
                             const std::string& description);

// --no-wait: fail at once when another program is writing the song, instead
// of waiting for it.
CLI::Option* AddNoWaitOption(CLI::App& command, bool& noWait);

}  // namespace tp::cli
