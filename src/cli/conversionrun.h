// Runs a conversion from the command line: Ctrl-C aborts it between blocks,
// a progress bar shows on a terminal, and the outcome becomes the exit status.
#pragma once

#include <functional>
#include <string>

#include "convert/conversion.h"

namespace tp::cli {

int RunConversion(const std::string& label, const std::function<ConversionResult(const ConversionHooks&)>& convert);

}  // namespace tp::cli
