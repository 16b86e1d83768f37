// A one-line progress bar on standard error, drawn only when it is a
// terminal so that scripts and logs stay clean.
#pragma once

#include <cstdint>
#include <string>

namespace tp::cli {

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
};

}  // namespace tp::cli
