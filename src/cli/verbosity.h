// -q and -v of the commands that write files: how much they say while they
// work and when they are done.
#pragma once

#include <string>

namespace CLI {
class App;
}

namespace tp::cli {

enum class Verbosity {
  Quiet,    // no progress bar, no summary: only errors
  Normal,   // a progress bar on a terminal, then the summary
  Verbose,  // also one line per file written
};

struct VerbosityOptions {
  bool quiet = false, verbose = false;
  Verbosity level() const { return quiet ? Verbosity::Quiet : verbose ? Verbosity::Verbose : Verbosity::Normal; }
};

// Adds -q, and -v when the command writes files it can name one by one.
void AddVerbosityOptions(CLI::App& command, VerbosityOptions& options, bool filesToName = true);

}  // namespace tp::cli
