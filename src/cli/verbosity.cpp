#include "cli/verbosity.h"

#include <CLI/CLI.hpp>

namespace tp::cli {

void AddVerbosityOptions(CLI::App& command, VerbosityOptions& options, bool filesToName) {
  CLI::Option* quiet = command.add_flag("-q,--quiet", options.quiet, "no progress and no summary: only errors");
  if (!filesToName) return;
  command.add_flag("-v,--verbose", options.verbose, "one line for each file written")->excludes(quiet);
}

}  // namespace tp::cli
