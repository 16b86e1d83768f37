// trackporter-cli: the program's project operations for scripts and batch
// work, on the same core as the window.
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "cli/arguments.h"
#include "cli/commands.h"

namespace tp::cli {
namespace {

const Command commands[] = {
    {"info", "info DIR [--json]", "list the project's name and every take with its length", RunInfo},
    {"export", "export DIR OUT [--take T-K]... [--master N] [--volume T=V]... [--pan T=P]... [--aiff]",
     "export takes to a WAV or AIFF file: one take as mono, several as a stereo mix, a master take as its pair",
     RunExport},
    {"import", "import DIR IN (--to T-K [--to T-K] | --master N)",
     "import a WAV or AIFF file into a take (a stereo file over two tracks) or a master take", RunImport},
    {"rename", "rename DIR (--project NAME | --take T-K NAME | --master N NAME)",
     "rename the project, a take or a master take (8 characters are kept)", RunRename},
    {"delete", "delete DIR (--take T-K | --master N)", "delete a take or a master take", RunDelete},
    {"play", "play DIR [--take T-K]... [--master N] [--volume T=V]... [--pan T=P]... [--from SECONDS]",
     "audition takes on the default sound output through the mixer, until the longest take ends or Ctrl-C",
     RunPlay},
    {"stems", "stems SRC OUTDIR [--take T-K]... [--master N]... [--recursive] [--aiff] [--force]",
     "archive every take as its own named file (mono; master takes as stereo) with a manifest; "
     "--recursive finds every project under SRC",
     RunStems},
};

constexpr const char* Counting =
    "Tracks (1-16), takes (1-10) and master takes (1-10) count from 1, as on screen:\n"
    "--take 3-2 is Track3-2. Volume is 0-127 (default 100), pan 0-100 (default 50, centre).\n";

void printUsage(std::FILE* out) {
  std::fprintf(out, "usage: trackporter-cli COMMAND ...\n\n");
  for (const auto& command : commands) std::fprintf(out, "  %-8s %s\n", command.name, command.summary);
  std::fprintf(out, "\n%sRun trackporter-cli COMMAND --help for a command's options.\n", Counting);
}

void printCommandUsage(std::FILE* out, const Command& command) {
  std::fprintf(out, "usage: trackporter-cli %s\n\n%s.\n\n%s", command.usage, command.summary, Counting);
}

int run(int argc, char** argv) {
  if (argc < 2) {
    printUsage(stderr);
    return 2;
  }
  const std::string_view name = argv[1];
  if (IsHelpOption(name) || name == "help") {
    printUsage(stdout);
    return 0;
  }
  for (const auto& command : commands) {
    if (name != command.name) continue;
    for (int i = 2; i < argc; ++i)
      if (IsHelpOption(argv[i])) {
        printCommandUsage(stdout, command);
        return 0;
      }
    ArgumentReader args(argc, argv, 2);
    try {
      return command.run(args);
    } catch (const UsageError& error) {
      std::fprintf(stderr, "trackporter-cli %s: %s\n\n", command.name, error.what());
      printCommandUsage(stderr, command);
      return 2;
    } catch (const CommandFailure& error) {
      std::fprintf(stderr, "%s\n", error.what());
      return 1;
    }
  }
  std::fprintf(stderr, "trackporter-cli: unknown command \"%s\"\n\n", argv[1]);
  printUsage(stderr);
  return 2;
}

}  // namespace
}  // namespace tp::cli

int main(int argc, char** argv) {
  // A file size limit makes writes fail with an error the commands report,
  // instead of killing the process halfway through a file.
  std::signal(SIGXFSZ, SIG_IGN);
  return tp::cli::run(argc, argv);
}
