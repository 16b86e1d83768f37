// Runs a conversion from the command line: Ctrl-C aborts it between blocks,
// a progress bar shows on a terminal, and the outcome becomes the exit status.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "cli/verbosity.h"
#include "convert/conversion.h"

namespace tp::cli {

// The summary and the -v lines go to standard error from now on (the
// conversion writes its sound to standard output).
void SendReportsToStandardError();

// `written` names the files a successful conversion has written, for -v.
int RunConversion(const std::string& label, Verbosity verbosity, const std::vector<std::filesystem::path>& written,
                  const std::function<ConversionResult(const ConversionHooks&)>& convert);

}  // namespace tp::cli
