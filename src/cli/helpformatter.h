// The help of trackporter-cli and of each command, laid out for an
// 80-column terminal: CLI11's own layout lets a long description run past
// the edge, and its usage line knows nothing of repeatable options.
#pragma once

#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

namespace tp::cli {

constexpr size_t HelpWidth = 80;

// Breaks text into lines of at most `width` columns at spaces; lines after
// the first start with `indent` spaces. A word longer than a line stays
// whole.
std::string WrapText(std::string_view text, size_t indent, size_t width = HelpWidth, size_t firstColumn = 0);

// "usage: trackporter-cli export DIR OUT [-t T-K]... [--aiff]", wrapped.
// `path` is what precedes the options ("trackporter-cli export").
std::string UsageText(const CLI::App& command, const std::string& path);

class HelpFormatter : public CLI::FormatterBase {
 public:
  std::string make_help(const CLI::App* app, std::string path, CLI::AppFormatMode mode) const override;
};

}  // namespace tp::cli
