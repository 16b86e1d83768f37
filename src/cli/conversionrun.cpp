#include "cli/conversionrun.h"

#include <cstdio>

#include "cli/interrupt.h"
#include "cli/messages.h"
#include "cli/progressbar.h"

namespace tp::cli {

namespace {
std::FILE* reports = stdout;
}  // namespace

void SendReportsToStandardError() { reports = stderr; }

ConversionResult RunWithProgress(const std::string& label, bool showProgress,
                                 const std::function<ConversionResult(const ConversionHooks&)>& convert) {
  WatchForInterrupt();
  ProgressBar bar(label, showProgress);
  ConversionHooks hooks;
  hooks.betweenBlocks = [] { return InterruptRequested(); };
  hooks.progress = [&bar](uint32_t position, uint32_t total) { bar.Update(position, total); };
  // Ctrl-C stops within a few blocks; the workers need not wait for this
  // thread to be woken after every block.
  hooks.blocksAhead = 4;
  const ConversionResult result = convert(hooks);
  bar.Finish();
  return result;
}

int ReportUnconverted(const ConversionResult& result) {
  if (result.outcome == ConversionResult::Aborted) {
    ReportError(result.message);
    return InterruptedExitCode;
  }
  // Ctrl-C while waiting for another program's hold on the song.
  if (InterruptRequested()) return InterruptedExitCode;
  ReportError(result.Text());
  for (const std::string& note : NoteLines(result)) ReportError(note);
  return 1;
}

int RunConversion(const std::string& label, Verbosity verbosity, const std::vector<std::filesystem::path>& written,
                  const std::function<ConversionResult(const ConversionHooks&)>& convert) {
  const ConversionResult result = RunWithProgress(label, verbosity != Verbosity::Quiet, convert);
  if (result.outcome != ConversionResult::Converted) return ReportUnconverted(result);
  if (verbosity == Verbosity::Verbose)
    for (const auto& file : written) std::fprintf(reports, "%s\n", file.c_str());
  if (verbosity != Verbosity::Quiet) {
    std::fprintf(reports, "%s\n", result.message);
    for (const std::string& line : LinesUnderConverted(result)) std::fprintf(reports, "%s\n", line.c_str());
  }
  return 0;
}

}  // namespace tp::cli
