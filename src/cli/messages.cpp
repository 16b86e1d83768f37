#include "cli/messages.h"

#include <cstdio>

namespace tp::cli {

namespace {
std::string commandName;
}

void SetCommandName(std::string name) { commandName = std::move(name); }

const std::string& CommandName() { return commandName; }

void ReportError(const std::string& message) {
  if (commandName.empty())
    std::fprintf(stderr, "%s: %s\n", ProgramName, message.c_str());
  else
    std::fprintf(stderr, "%s: %s: %s\n", ProgramName, commandName.c_str(), message.c_str());
}

}  // namespace tp::cli
