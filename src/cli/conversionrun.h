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

// Runs `convert` with Ctrl-C as its abort and, when wanted, the progress
// bar on a terminal; tells nothing.
ConversionResult RunWithProgress(const std::string& label, bool showProgress,
                                 const std::function<ConversionResult(const ConversionHooks&)>& convert);
// Tells why a conversion was not done (an abort, a failure) and returns the
// exit status that says so.
int ReportUnconverted(const ConversionResult& result);

// `written` names the files a successful conversion has written, for -v.
int RunConversion(const std::string& label, Verbosity verbosity, const std::vector<std::filesystem::path>& written,
                  const std::function<ConversionResult(const ConversionHooks&)>& convert);

}  // namespace tp::cli
