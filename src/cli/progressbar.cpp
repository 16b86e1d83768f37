#include "cli/progressbar.h"

#include <cstdio>
#include <unistd.h>

namespace tp::cli {

ProgressBar::ProgressBar(std::string label, bool wanted)
    : label_(std::move(label)), enabled_(wanted && ::isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() { Finish(); }

void ProgressBar::Update(uint64_t done, uint64_t total) {
  if (!enabled_) return;
  const int percent = total == 0 ? 100 : int(done * 100 / total);
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  constexpr int Width = 40;
  const int filled = percent * Width / 100;
  std::fprintf(stderr, "\r%s [%.*s%*s] %3d%%", label_.c_str(), filled, "########################################",
               Width - filled, "", percent);
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressBar::Finish() {
  if (!drawn_) return;
  std::fputc('\n', stderr);
  drawn_ = false;
}

}  // namespace tp::cli
