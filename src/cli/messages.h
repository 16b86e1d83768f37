// What the commands say on standard error: every line starts with the
// program and the command, "trackporter-cli: export: ...", so that a script
// running several commands can tell whose complaint it is.
#pragma once

#include <string>

namespace tp::cli {

// Set once the command line names the command; before that the prefix is
// the program's name alone.
void SetCommandName(std::string name);
const std::string& CommandName();

// "trackporter-cli: <command>: <message>" and a newline, on standard error.
void ReportError(const std::string& message);

// The program's name as messages and usage lines show it.
constexpr const char* ProgramName = "trackporter-cli";

}  // namespace tp::cli
