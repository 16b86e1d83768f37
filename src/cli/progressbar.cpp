#include "cli/progressbar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace tp::cli {

namespace {
constexpr int WidestBar = 40, NarrowestBar = 10;
constexpr int PercentWidth = 5;  // " 100%"
constexpr int BarFrameWidth = 3;  // " [" and "]"
const std::string Ellipsis = "...";

std::string percentText(int percent) {
  char text[8];
  std::snprintf(text, sizeof text, " %3d%%", percent);
  return text;
}

// The first `bytes` bytes of `text`, never ending inside a UTF-8 character
// (a song's name may hold katakana or accented letters).
std::string leading(const std::string& text, int bytes) {
  size_t end = size_t(std::max(bytes, 0));
  if (end >= text.size()) return text;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  return text.substr(0, end);
}

std::string bar(int percent, int width) {
  const int filled = std::clamp(percent, 0, 100) * width / 100;
  return " [" + std::string(size_t(filled), '#') + std::string(size_t(width - filled), ' ') + "]";
}
}  // namespace

int TerminalColumns() {
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

std::string FitProgressLine(const std::string& label, int percent, int columns) {
  const int room = std::max(columns - 1, PercentWidth);  // the last column stays free
  const int labelWidth = int(label.size());
  const int barWidth = std::min(WidestBar, room - labelWidth - BarFrameWidth - PercentWidth);
  if (barWidth >= NarrowestBar) return label + bar(percent, barWidth) + percentText(percent);
  // The narrowest bar stays; the label gives up its end.
  const int labelRoom = room - NarrowestBar - BarFrameWidth - PercentWidth;
  if (labelRoom > int(Ellipsis.size()))
    return leading(label, labelRoom - int(Ellipsis.size())) + Ellipsis + bar(percent, NarrowestBar) +
           percentText(percent);
  // Too narrow for a bar: the label's start and the percentage.
  return leading(label, room - PercentWidth) + percentText(percent);
}

ProgressBar::ProgressBar(std::string label, bool wanted)
    : label_(std::move(label)), enabled_(wanted && ::isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() { Finish(); }

void ProgressBar::Update(uint64_t done, uint64_t total) {
  if (!enabled_) return;
  const int percent = total == 0 ? 100 : int(done * 100 / total);
  if (percent == lastPercent_) return;
  lastPercent_ = percent;
  // Asked each time: the user may have resized the terminal meanwhile.
  const int columns = TerminalColumns();
  std::string line = FitProgressLine(label_, percent, columns);
  // A shorter line covers what is left of the one before, within the width.
  const size_t length = line.size();
  const size_t cover = std::min(lastLength_, size_t(std::max(columns - 1, 0)));
  if (length < cover) line.append(cover - length, ' ');
  lastLength_ = length;
  std::fprintf(stderr, "\r%s", line.c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressBar::Finish() {
  if (!drawn_) return;
  std::fputc('\n', stderr);
  drawn_ = false;
  lastLength_ = 0;
}

}  // namespace tp::cli
