#include "cli/helpformatter.h"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <vector>

#include <CLI/CLI.hpp>

namespace tp::cli {

namespace {

constexpr size_t DescriptionColumn = 24;
constexpr char UnbreakableSpace = '\x1f';

std::vector<std::string_view> words(std::string_view text) {
  std::vector<std::string_view> found;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find(' ', start), text.size());
    if (end > start) found.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return found;
}

bool repeatable(const CLI::Option& option) {
  return option.get_expected_max() >= CLI::detail::expected_max_vector_size;
}

bool takesValue(const CLI::Option& option) { return option.get_expected_min() > 0 && !option.get_type_name().empty(); }

// "-t, --take", "--aiff".
std::string optionNames(const CLI::Option& option) {
  std::string names;
  for (const auto& name : option.get_snames()) names += (names.empty() ? "-" : ", -") + name;
  for (const auto& name : option.get_lnames()) names += (names.empty() ? "--" : ", --") + name;
  return names;
}

// The shortest spelling, for the usage line: "-t", "--aiff".
std::string shortestName(const CLI::Option& option) {
  if (!option.get_snames().empty()) return "-" + option.get_snames().front();
  return "--" + option.get_lnames().front();
}

std::string describedRow(const std::string& left, const std::string& description) {
  std::string row = "  " + left;
  if (row.size() + 2 > DescriptionColumn) {
    row += "\n";
    row.append(DescriptionColumn, ' ');
  } else {
    row.append(DescriptionColumn - row.size(), ' ');
  }
  return row + WrapText(description, DescriptionColumn, HelpWidth, DescriptionColumn) + "\n";
}

// Paragraphs separated by blank lines are wrapped; lines that start with
// two spaces (examples) are kept exactly as written.
std::string wrapFooter(const std::string& footer) {
  std::string out, paragraph;
  auto flush = [&] {
    if (!paragraph.empty()) out += WrapText(paragraph, 0) + "\n";
    paragraph.clear();
  };
  std::istringstream lines(footer);
  for (std::string line; std::getline(lines, line);) {
    if (line.empty()) {
      flush();
      out += "\n";
    } else if (line.starts_with("  ")) {
      flush();
      out += line + "\n";
    } else {
      paragraph += (paragraph.empty() ? "" : " ") + line;
    }
  }
  flush();
  return out;
}

std::vector<const CLI::Option*> visibleOptions(const CLI::App& app, bool positional) {
  return app.get_options([positional](const CLI::Option* option) {
    return !option->get_group().empty() && option->get_positional() == positional;
  });
}

}  // namespace

std::string WrapText(std::string_view text, size_t indent, size_t width, size_t firstColumn) {
  std::string out;
  size_t column = firstColumn;
  bool lineStart = true;
  for (const std::string_view word : words(text)) {
    if (!lineStart && column + 1 + word.size() > width) {
      out += "\n";
      out.append(indent, ' ');
      column = indent;
      lineStart = true;
    }
    if (!lineStart) {
      out += ' ';
      ++column;
    }
    out += word;
    column += word.size();
    lineStart = false;
  }
  return out;
}

std::string UsageText(const CLI::App& command, const std::string& path) {
  std::string line = path;
  if (!command.get_subcommands([](const CLI::App*) { return true; }).empty()) line += " COMMAND [ARGUMENT]...";
  for (const CLI::Option* option : visibleOptions(command, true)) line += " " + option->get_name();
  for (const CLI::Option* option : visibleOptions(command, false)) {
    if (option == command.get_help_ptr()) continue;
    std::string item = shortestName(*option);
    if (takesValue(*option)) item += " " + option->get_type_name();
    line += " [" + item + "]" + (repeatable(*option) ? "..." : "");
  }
  // An option and its value stay on one line: the space between them is a
  // stand-in until the line is wrapped.
  for (size_t at = 0; (at = line.find("[", at)) != std::string::npos; ++at)
    for (size_t i = at; i < line.size() && line[i] != ']'; ++i)
      if (line[i] == ' ') line[i] = UnbreakableSpace;
  // Continuation lines line up after "usage: trackporter-cli ".
  const size_t indent = std::string_view("usage: ").size() + path.find(' ') + 1;
  std::string wrapped = WrapText(line, path.find(' ') == std::string::npos ? 7 : indent, HelpWidth, 7);
  std::replace(wrapped.begin(), wrapped.end(), UnbreakableSpace, ' ');
  return "usage: " + wrapped + "\n";
}

std::string HelpFormatter::make_help(const CLI::App* app, std::string path, CLI::AppFormatMode) const {
  std::string out = UsageText(*app, path);
  std::string description = app->get_description();
  // A command's summary is a fragment in the list of commands and a
  // sentence at the head of its own help.
  if (app->get_parent() && !description.empty()) {
    description[0] = char(std::toupper(static_cast<unsigned char>(description[0])));
    description += ".";
  }
  if (!description.empty()) out += "\n" + WrapText(description, 0) + "\n";

  const auto commands = app->get_subcommands([](const CLI::App*) { return true; });
  if (!commands.empty()) {
    out += "\nCommands:\n";
    for (const CLI::App* command : commands) out += describedRow(command->get_name(), command->get_description());
  }
  const auto positionals = visibleOptions(*app, true);
  if (!positionals.empty()) {
    out += "\nArguments:\n";
    for (const CLI::Option* option : positionals) out += describedRow(option->get_name(), option->get_description());
  }
  const auto options = visibleOptions(*app, false);
  if (!options.empty()) {
    out += "\nOptions:\n";
    for (const CLI::Option* option : options) {
      std::string left = optionNames(*option);
      if (takesValue(*option)) left += " " + option->get_type_name();
      out += describedRow(left, option->get_description());
    }
  }
  if (!app->get_footer().empty()) out += "\n" + wrapFooter(app->get_footer());
  return out;
}

}  // namespace tp::cli
