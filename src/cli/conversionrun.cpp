#include "cli/conversionrun.h"

#include <cstdio>

#include "cli/interrupt.h"
#include "cli/progressbar.h"

namespace tp::cli {

int RunConversion(const std::string& label, const std::function<ConversionResult(const ConversionHooks&)>& convert) {
  WatchForInterrupt();
  ProgressBar bar(label);
  ConversionHooks hooks;
  hooks.betweenBlocks = [] { return InterruptRequested(); };
  hooks.progress = [&bar](uint32_t position, uint32_t total) { bar.Update(position, total); };
  const ConversionResult result = convert(hooks);
  bar.Finish();
  switch (result.outcome) {
    case ConversionResult::Converted:
      std::printf("%s\n", result.message);
      return 0;
    case ConversionResult::Aborted:
      std::fprintf(stderr, "%s\n", result.message);
      return InterruptedExitCode;
    case ConversionResult::Failed:
      std::fprintf(stderr, "%s\n", result.message);
      return 1;
  }
  return 1;
}

}  // namespace tp::cli
