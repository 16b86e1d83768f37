#include "cli/options.h"

#include <CLI/CLI.hpp>

#include "cli/arguments.h"

namespace tp::cli {

CLI::Option* AddPositional(CLI::App& command, const std::string& name, std::string& value,
                           const std::string& description) {
  return command.add_option(name, value, description)->type_name("");
}

CLI::Option* AddValue(CLI::App& command, const std::string& names, std::string& value, const std::string& valueName,
                      const std::string& description) {
  return command.add_option(names, value, description)->type_name(valueName);
}

CLI::Option* AddRepeatable(CLI::App& command, const std::string& names, std::vector<std::string>& values,
                           const std::string& valueName, const std::string& description) {
  // One value per occurrence: "--take 1-1 DIR" must leave DIR to the
  // positionals rather than read it as a second take.
  return command.add_option(names, values, description)->type_name(valueName)->allow_extra_args(false);
}

CLI::Option* AddTakeOption(CLI::App& command, const std::string& names, std::vector<std::string>& values,
                           const std::string& description) {
  return AddRepeatable(command, names, values, "T-K", description)
      ->check(Checked([](std::string_view text) { ParseTrackTake(text); }));
}

CLI::Option* AddTrackOption(CLI::App& command, const std::string& names, std::vector<std::string>& values,
                            const std::string& description) {
  return AddRepeatable(command, names, values, "T", description)
      ->check(Checked([](std::string_view text) { ParseTrack(text); }));
}

CLI::Option* AddMasterOption(CLI::App& command, const std::string& names, std::vector<std::string>& values,
                             const std::string& description) {
  return AddRepeatable(command, names, values, "N", description)
      ->check(Checked([](std::string_view text) { ParseMasterTake(text); }));
}

CLI::Option* AddNoWaitOption(CLI::App& command, bool& noWait) {
  return command.add_flag("--no-wait", noWait,
                          "fail at once when another TrackPorter is writing the song, instead of waiting");
}

}  // namespace tp::cli
