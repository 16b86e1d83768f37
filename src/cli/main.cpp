// trackporter-cli: the program's project operations for scripts and batch
// work, on the same core as the window.
#include <csignal>

#include "cli/commandline.h"

int main(int argc, char** argv) {
  // A file size limit makes writes fail with an error the commands report,
  // instead of killing the process halfway through a file.
  std::signal(SIGXFSZ, SIG_IGN);
  return tp::cli::RunCommandLine(argc, argv);
}
