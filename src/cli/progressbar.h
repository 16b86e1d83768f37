// A one-line progress bar on standard error, drawn only when it is a
// terminal so that scripts and logs stay clean.
#pragma once

#include <cstdint>
#include <string>

namespace tp::cli {

// The columns of the terminal on standard error (TIOCGWINSZ), 80 when it
// does not say.
int TerminalColumns();

// "label [#####     ]  42%" in fewer than `columns` characters (a line that
// fills the last column makes some terminals wrap, and "\r" then redraws
// only the wrapped part): the bar gives way first, down to 10 columns, then
// the label is cut at its end with "...", then the bar goes.
std::string FitProgressLine(const std::string& label, int percent, int columns);

class ProgressBar {
 public:
  // `wanted` false (-q) keeps it off even on a terminal.
  explicit ProgressBar(std::string label, bool wanted = true);
  ~ProgressBar();  // ends the line
  void Update(uint64_t done, uint64_t total);
  void SetLabel(std::string label) { label_ = std::move(label); lastPercent_ = -1; }
  void Finish();

 private:
  std::string label_;
  bool enabled_;
  bool drawn_ = false;
  int lastPercent_ = -1;
  size_t lastLength_ = 0;  // what the next line must cover
};

}  // namespace tp::cli
