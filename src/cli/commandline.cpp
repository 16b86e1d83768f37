#include "cli/commandline.h"

#include <cstdio>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "cli/helpformatter.h"
#include "cli/messages.h"
#include "project/programversion.h"

namespace tp::cli {

namespace {

constexpr int UsageExitCode = 2;

constexpr const char* Description =
    "The project operations of TrackPorter for scripts and batch work, on the same code as the window.";

constexpr const char* Counting =
    "Tracks (1-16), takes (1-10) and master takes (1-10) count from 1, as on screen: --take 3-2 is Track3-2. "
    "Volume is 0-127 (default 100), pan 0-100 (default 50, centre).";

std::string exitStatus(bool interruptible) {
  return std::string("Exit status: 0 done, 1 failed (the reason on standard error), 2 a mistake in the command "
                     "line") +
         (interruptible ? ", 130 interrupted by Ctrl-C." : ".");
}

bool interruptible(const std::string& name) {
  return name == "export" || name == "import" || name == "play" || name == "stems";
}

std::string footerOf(const Command& command) {
  std::string footer;
  if (command.namesTakes) footer += std::string(Counting) + "\n\n";
  footer += exitStatus(interruptible(command.name)) + "\n";
  if (!command.examples.empty()) {
    footer += command.examples.size() == 1 ? "\nExample:\n" : "\nExamples:\n";
    for (const auto& example : command.examples) footer += "  " + example + "\n";
  }
  return footer;
}

std::string helpHint(const std::string& path) { return "Run " + path + " --help for the options.\n"; }

const Command* findCommand(const std::string& name) {
  for (const auto& command : Commands())
    if (name == command.name) return &command;
  return nullptr;
}

CLI::App* chosenCommand(CLI::App& app) {
  const auto chosen = app.get_subcommands();
  return chosen.empty() ? nullptr : chosen.front();
}

// CLI11's complaint about leftovers lists them all; the program's own words
// name the first.
std::string leftoverMessage(const CLI::App& where) {
  const auto left = where.remaining();
  if (left.empty()) return "unexpected arguments";
  const std::string& first = left.front();
  if (first.size() > 1 && first[0] == '-') return "unknown option " + first;
  return "unexpected argument \"" + first + "\"";
}

// CLI11 counts the values an option lacks; the program names them, as its
// help does: "--take needs T-K NAME".
std::string missingValueMessage(const CLI::App& where, const std::string& complaint) {
  const std::string name = complaint.substr(0, complaint.find(':'));
  for (const CLI::Option* option : where.get_options())
    if (option->check_name(name) && !option->get_type_name().empty())
      return name + " needs " + option->get_type_name();
  return complaint;
}

int usageMistake(const CLI::App& where, const std::string& message) {
  const std::string path = where.get_parent() ? std::string(ProgramName) + " " + where.get_name() : ProgramName;
  ReportError(message);
  std::fprintf(stderr, "\n%s%s", UsageText(where, path).c_str(), helpHint(path).c_str());
  return UsageExitCode;
}

// -q and -v are the options a script passes to every command, so they may
// come before the command as well as after it. Those before it move to just
// after its name, where CLI11 reads them; a command that neither draws
// progress nor sums up (info, probe) has no such option and ignores them.
std::vector<std::string> globalOptionsAfterCommand(const CLI::App& app, std::vector<std::string> arguments) {
  const auto isGlobal = [](const std::string& argument) {
    return argument == "-q" || argument == "--quiet" || argument == "-v" || argument == "--verbose";
  };
  size_t command = 1;
  while (command < arguments.size() && isGlobal(arguments[command])) ++command;
  if (command == 1 || command == arguments.size() || arguments[command][0] == '-') return arguments;
  const std::vector<std::string> before(arguments.begin() + 1, arguments.begin() + std::ptrdiff_t(command));
  arguments.erase(arguments.begin() + 1, arguments.begin() + std::ptrdiff_t(command));
  // Not a command: reported as if the options before it were not there.
  if (!findCommand(arguments[1])) return arguments;
  const CLI::App* sub = app.get_subcommand(arguments[1]);
  for (auto option = before.rbegin(); option != before.rend(); ++option)
    if (sub->get_option_no_throw(*option)) arguments.insert(arguments.begin() + 2, *option);
  return arguments;
}

}  // namespace

std::unique_ptr<CLI::App> MakeCommandLine(std::vector<std::pair<CLI::App*, CommandRun>>& runs) {
  auto app = std::make_unique<CLI::App>(Description, ProgramName);
  app->formatter(std::make_shared<HelpFormatter>());
  app->set_help_flag("-h,--help", "show this help and exit");
  app->set_version_flag("--version", std::string(ProgramName) + " " + ProgramVersion, "print the version and exit");
  // One command per line: a song folder called "info" is then a folder,
  // not a second command.
  app->require_subcommand(0, 1);
  app->footer(std::string(Counting) + "\n\n" + exitStatus(true) + "\n\nRun " + ProgramName +
              " COMMAND --help for a command's options and an example.");
  for (const auto& command : Commands()) {
    CLI::App* sub = app->add_subcommand(command.name, command.summary);
    sub->set_help_flag("-h,--help", "show this help and exit");
    sub->footer(footerOf(command));
    runs.emplace_back(sub, command.define(*sub));
  }
  return app;
}

int RunCommandLine(int argc, char** argv) {
  std::vector<std::pair<CLI::App*, CommandRun>> runs;
  const auto app = MakeCommandLine(runs);
  if (argc < 2) {
    std::fprintf(stderr, "%s", app->help().c_str());
    return UsageExitCode;
  }
  std::vector<std::string> arguments = globalOptionsAfterCommand(*app, std::vector<std::string>(argv, argv + argc));
  const std::string first = arguments[1];
  if (first == "help") {
    const Command* command = arguments.size() > 2 ? findCommand(arguments[2]) : nullptr;
    std::printf("%s", command ? app->get_subcommand(command->name)->help(ProgramName).c_str() : app->help().c_str());
    return 0;
  }
  if (first[0] != '-' && !findCommand(first)) {
    ReportError("unknown command \"" + first + "\"");
    std::fprintf(stderr, "\n%s", app->help().c_str());
    return UsageExitCode;
  }

  std::vector<const char*> line;
  for (const std::string& argument : arguments) line.push_back(argument.c_str());
  try {
    app->parse(int(line.size()), line.data());
  } catch (const CLI::CallForHelp&) {
    std::printf("%s", app->help().c_str());
    return 0;
  } catch (const CLI::CallForVersion& version) {
    std::printf("%s\n", version.what());
    return 0;
  } catch (const CLI::ParseError& error) {
    CLI::App* where = chosenCommand(*app);
    if (where) SetCommandName(where->get_name());
    const CLI::App& complainer = where ? *where : *app;
    if (dynamic_cast<const CLI::ExtrasError*>(&error)) return usageMistake(complainer, leftoverMessage(complainer));
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&error))
      return usageMistake(complainer, missingValueMessage(complainer, error.what()));
    return usageMistake(complainer, error.what());
  }

  CLI::App* chosen = chosenCommand(*app);
  if (!chosen) {
    std::fprintf(stderr, "%s", app->help().c_str());
    return UsageExitCode;
  }
  SetCommandName(chosen->get_name());
  for (auto& [command, run] : runs) {
    if (command != chosen) continue;
    try {
      return run();
    } catch (const UsageError& error) {
      return usageMistake(*chosen, error.what());
    } catch (const CommandFailure& error) {
      ReportError(error.what());
      return 1;
    }
  }
  return UsageExitCode;
}

}  // namespace tp::cli
