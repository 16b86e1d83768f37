// The command line of trackporter-cli, read with CLI11: the commands and
// their options, the help, and what an exit status means.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "cli/commands.h"

namespace CLI {
class App;
}

namespace tp::cli {

// The whole command line with every command's options declared; `runs`
// receives each command's subcommand with what runs it. The tests walk the
// result to check the manual against the options.
std::unique_ptr<CLI::App> MakeCommandLine(std::vector<std::pair<CLI::App*, CommandRun>>& runs);

// Reads the line, runs the command, and returns the exit status: usage
// mistakes give 2, whichever part of the parse found them.
int RunCommandLine(int argc, char** argv);

}  // namespace tp::cli
